#include "platform/bitmap_file.h"

#include <QIODevice>
#include <QImage>
#include <cerrno>

#include "platform/file_error.h"

namespace kalo {

std::string SaveBitmapFile(const uint32_t* pixels, int width, int height, const std::string& path) {
  if (pixels == nullptr || width <= 0 || height <= 0) return FileErrorMessage(EINVAL);
  // A view on the surface's own memory; the conversion makes the copy that
  // the BMP writer stores as three bytes a pixel.
  const QImage view(reinterpret_cast<const uchar*>(pixels), width, height,
                    static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
  const QImage rgb = view.convertToFormat(QImage::Format_RGB888);

  return WriteWholeFile(path, [&rgb](QIODevice& file) { return rgb.save(&file, "BMP"); });
}

}  // namespace kalo
