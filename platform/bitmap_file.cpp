#include "platform/bitmap_file.h"

#include <QImage>
#include <QSaveFile>
#include <QString>
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

  QSaveFile file(QString::fromStdString(path));
  errno = 0;
  if (!file.open(QIODevice::WriteOnly)) return FileErrorMessage(LastOsError());
  errno = 0;
  if (!rgb.save(&file, "BMP")) {
    int error = LastOsError();
    file.cancelWriting();
    return FileErrorMessage(error);
  }
  errno = 0;
  if (!file.commit()) return FileErrorMessage(LastOsError());
  return "";
}

}  // namespace kalo
