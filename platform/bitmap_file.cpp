#include "platform/bitmap_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <cerrno>
#include <string_view>

#include "platform/file_error.h"
#include "platform/whole_file.h"

namespace kalo {

std::string SaveBitmapFile(const uint32_t* pixels, int width, int height, const std::string& path) {
  if (pixels == nullptr || width <= 0 || height <= 0) return FileErrorMessage(EINVAL);
  // A view on the surface's own memory; the conversion makes the copy that
  // the BMP writer stores as three bytes a pixel.
  const QImage view(reinterpret_cast<const uchar*>(pixels), width, height,
                    static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
  const QImage rgb = view.convertToFormat(QImage::Format_RGB888);

  // Encoded in memory first, so that the file writer alone decides whether
  // every byte reached the disk.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (rgb.isNull() || !rgb.save(&buffer, "BMP")) return FileErrorMessage(ENOMEM);
  const int error =
      WriteWholeFile(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  return error ? FileErrorMessage(error) : "";
}

}  // namespace kalo
