#include "app/render_canvas.h"

#include <sys/stat.h>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <optional>
#include <string_view>

#include "canvas/canvas_file.h"
#include "canvas/canvas_reader.h"
#include "canvas/canvas_replay.h"
#include "canvas/canvas_scale.h"
#include "core/ascii.h"
#include "files/bitmap_file.h"
#include "files/file_error.h"
#include "screen/surface_image.h"
#include "surface/surface.h"
#include "system/display_check.h"

namespace kalo {

namespace {

constexpr int kFallbackWidth = 1920;
constexpr int kFallbackHeight = 1080;

struct Size {
  int width, height;
};

// The size of the saver's image on the primary screen: the screen in device
// pixels, rounded as the saver window rounds it.
Size PrimaryScreenSize() {
  if (!DisplayAvailable()) return {kFallbackWidth, kFallbackHeight};
  static char name[] = "kalosaver";
  static char* argv[] = {name, nullptr};
  int argc = 1;
  QGuiApplication app(argc, argv);
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return {kFallbackWidth, kFallbackHeight};
  const qreal scale = screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
  const QRect g = screen->geometry();
  return {std::max(1, static_cast<int>(std::lround(g.width() * scale))),
          std::max(1, static_cast<int>(std::lround(g.height() * scale)))};
}

bool EndsWithBmp(const std::string& name) {
  return name.size() >= 4 && SameIgnoringCase(std::string_view(name).substr(name.size() - 4), ".bmp");
}

// The PNG is made in memory first, so that the file is written whole or not
// at all, like every file the saver writes.
std::string SavePngFile(const Surface& surface, const std::string& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const QImage image = SurfaceImage(surface);
  // A light compression: line art on a plain background packs almost as well
  // as at the default level, in two thirds of the time, which at 8K is most
  // of a render's time.
  constexpr int kPngQuality = 70;
  if (image.isNull() || !image.save(&buffer, "PNG", kPngQuality)) return FileErrorMessage(ENOMEM);
  return WriteFileAtomically(
      path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// Whether two names lead to the same existing file.
bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

int Fail(const std::string& message) {
  // File errors come as "Error 28" and the reason on a line of their own.
  std::string line;
  for (char c : message) line += c == '\n' ? std::string(": ") : std::string(1, c);
  std::fprintf(stderr, "kalosaver: %s\n", line.c_str());
  return 1;
}

}  // namespace

ScaleRequest RequestedScale(const Invocation& inv) {
  ScaleRequest request;
  request.saved = inv.from_width > 0 ? std::optional(PictureSize{inv.from_width, inv.from_height})
                                     : SavedScreenSize(inv.canvas_file);
  request.factor = inv.scale;
  request.fit = inv.fit;
  return request;
}

std::string DefaultRenderOutput(const std::string& canvas_file) {
  const size_t slash = canvas_file.rfind('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = canvas_file.rfind('.');
  // A leading dot names a hidden file; it is no extension.
  if (dot != std::string::npos && dot > base) return canvas_file.substr(0, dot) + ".png";
  return canvas_file + ".png";
}

int RenderCanvas(const Invocation& inv) {
  const std::string& canvas = inv.canvas_file;
  const CanvasRead read = ReadCanvasFile(canvas);
  if (!read.ok()) return Fail(ShownFileName(canvas) + ": " + read.error);

  const std::string output =
      inv.output_file.empty() ? DefaultRenderOutput(canvas) : inv.output_file;
  if (output == canvas || SameFile(output, canvas)) {
    return Fail(ShownFileName(output) +
                ": the image would replace the canvas file; name another with -o");
  }
  // That bitmap is what tells the size the design was saved at.
  for (const char* extension : {".bmp", ".BMP"}) {
    if (SameFile(output, SavedBitmapName(canvas, extension)))
      return Fail(ShownFileName(output) +
                  ": the image would replace the bitmap saved with the canvas file; name another "
                  "with -o");
  }
  const Size size =
      inv.width > 0 && inv.height > 0 ? Size{inv.width, inv.height} : PrimaryScreenSize();
  const CanvasScale scale =
      ChooseCanvasScale(read.design, size.width, size.height, RequestedScale(inv));
  if (std::string why = CheckCanvasWork(read.design, size.width, size.height, scale); !why.empty())
    return Fail(ShownFileName(canvas) + ": " + why);

  std::optional<Surface> surface;
  try {
    surface.emplace(size.width, size.height);
  } catch (const std::bad_alloc&) {
    return Fail("not enough memory for a " + std::to_string(size.width) + " x " +
                std::to_string(size.height) + " image");
  }
  DrawCanvasImage(read.design, *surface, scale);
  const std::string error =
      EndsWithBmp(output) ? SaveBitmapFile(*surface, output) : SavePngFile(*surface, output);
  if (error.empty()) return 0;
  // A message that already names the file (a device given as the output)
  // is not prefixed with the name a second time.
  const std::string shown = ShownFileName(output);
  return Fail(error.find(shown) != std::string::npos ? error : shown + ": " + error);
}

}  // namespace kalo
