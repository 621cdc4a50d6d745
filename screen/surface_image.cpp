#include "screen/surface_image.h"

namespace kalo {

// Rows have no padding, so the stride is four bytes a pixel.
QImage SurfaceImage(Surface& surface) {
  if (surface.width() == 0 || surface.height() == 0) return QImage();
  return QImage(reinterpret_cast<uchar*>(surface.bits()), surface.width(), surface.height(),
                static_cast<qsizetype>(surface.width()) * 4, QImage::Format_RGB32);
}

QImage SurfaceImage(const Surface& surface) {
  if (surface.width() == 0 || surface.height() == 0) return QImage();
  return QImage(reinterpret_cast<const uchar*>(surface.bits()), surface.width(), surface.height(),
                static_cast<qsizetype>(surface.width()) * 4, QImage::Format_RGB32);
}

}  // namespace kalo
