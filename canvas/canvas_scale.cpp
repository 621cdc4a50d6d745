#include "canvas/canvas_scale.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "canvas/canvas_replay.h"
#include "core/numbers.h"

namespace kalo {

namespace {

// The saved screen's middle -- where the replay centres the design -- on the
// picture's middle.
CanvasScale Centred(Single layout_width, Single layout_height, double factor, int width,
                    int height) {
  CanvasScale s{layout_width, layout_height, factor, 0, 0};
  const double cx = Int(layout_width / 2), cy = Int(layout_height / 2);
  s.offset_x = Int(width / 2.0) - cx * factor;
  s.offset_y = Int(height / 2.0) - cy * factor;
  return s;
}

// The drawing's extent on the layout made `fit` of the picture's shorter
// side, its middle on the picture's middle; nullopt when nothing shows.
std::optional<CanvasScale> Fitted(const CanvasDesign& design, PictureSize layout, int width,
                                  int height, double fit) {
  const PixelRect drawn = CanvasExtent(design, layout.width, layout.height);
  if (drawn.empty()) return std::nullopt;
  const double longer = std::max(drawn.width(), drawn.height());
  const double factor = std::min(fit * std::min(width, height) / longer, kMaxCanvasScale);
  CanvasScale s{static_cast<Single>(layout.width), static_cast<Single>(layout.height), factor, 0,
                0};
  s.offset_x = (width - 1) / 2.0 - (drawn.left + drawn.right - 1) / 2.0 * factor;
  s.offset_y = (height - 1) / 2.0 - (drawn.top + drawn.bottom - 1) / 2.0 * factor;
  return s;
}

uint32_t LittleEndian(const unsigned char* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

}  // namespace

bool CanvasScale::Plain(int width, int height) const {
  return layout_width == static_cast<Single>(width) &&
         layout_height == static_cast<Single>(height) && factor == 1 && offset_x == 0 &&
         offset_y == 0;
}

CanvasScale PlainScale(int width, int height) {
  return {static_cast<Single>(width), static_cast<Single>(height), 1, 0, 0};
}

CanvasScale ChooseCanvasScale(const CanvasDesign& design, int width, int height,
                              const ScaleRequest& request) {
  const PictureSize layout = request.saved.value_or(PictureSize{width, height});
  if (request.fit > 0) {
    if (auto fitted = Fitted(design, layout, width, height, request.fit)) return *fitted;
  }
  if (request.factor > 0) {
    if (request.saved)
      return Centred(static_cast<Single>(layout.width), static_cast<Single>(layout.height),
                     request.factor, width, height);
    // The screen it was saved on is taken to be the picture shrunk by the
    // factor, so that the factor is what a user would measure.
    return Centred(static_cast<Single>(std::max(1.0, width / request.factor)),
                   static_cast<Single>(std::max(1.0, height / request.factor)), request.factor,
                   width, height);
  }
  if (!request.saved) return PlainScale(width, height);
  const double factor = std::min(static_cast<double>(width) / layout.width,
                                 static_cast<double>(height) / layout.height);
  return Centred(static_cast<Single>(layout.width), static_cast<Single>(layout.height), factor,
                 width, height);
}

std::string SavedBitmapName(const std::string& canvas_file, const char* extension) {
  const size_t slash = canvas_file.rfind('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = canvas_file.rfind('.');
  // A leading dot names a hidden file; it is no extension.
  if (dot != std::string::npos && dot > base) return canvas_file.substr(0, dot) + extension;
  return canvas_file + extension;
}

std::optional<PictureSize> SavedScreenSize(const std::string& canvas_file) {
  for (const char* extension : {".bmp", ".BMP"}) {
    // Not blocking: a pipe or a device of that name is no bitmap, and must
    // not hold the program up.
    const int fd =
        ::open(SavedBitmapName(canvas_file, extension).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    unsigned char head[26] = {};
    const bool read_whole = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                            ::read(fd, head, sizeof head) == static_cast<ssize_t>(sizeof head);
    ::close(fd);
    if (!read_whole || head[0] != 'B' || head[1] != 'M') continue;
    // The oldest header holds 16-bit sizes; every later one 32-bit sizes, the
    // height negative for rows stored from the top.
    const uint32_t header = LittleEndian(head + 14, 4);
    int64_t w = 0, h = 0;
    if (header == 12) {
      w = LittleEndian(head + 18, 2);
      h = LittleEndian(head + 20, 2);
    } else if (header >= 40) {
      w = static_cast<int32_t>(LittleEndian(head + 18, 4));
      h = std::llabs(static_cast<int32_t>(LittleEndian(head + 22, 4)));
    }
    if (w >= 1 && h >= 1 && w <= kMaxPictureSide && h <= kMaxPictureSide)
      return PictureSize{static_cast<int>(w), static_cast<int>(h)};
  }
  return std::nullopt;
}

void ScaledCanvas::SetDrawWidth(Integer width) {
  width_ = width;
  // A pen below 1 draws as 1, so it grows as one.
  const double scaled = std::lround(std::max<Integer>(1, width) * scale_.factor);
  out_.SetDrawWidth(static_cast<Integer>(std::clamp(scaled, 1.0, 32767.0)));
}

}  // namespace kalo
