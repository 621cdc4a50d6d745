// The surface's pixels seen as a QImage, for the window to paint from and the
// bitmap export to save, without copying the buffer.
#pragma once

#include <QImage>

#include "surface/surface.h"

namespace kalo {

// A Format_RGB32 image over the surface's own memory: strokes drawn later show
// through, and painting into the image draws on the surface. Valid until the
// surface is resized or destroyed; a 0 x 0 surface gives a null image.
QImage SurfaceImage(Surface& surface);

// The same view, read-only: writing to it detaches a private copy.
QImage SurfaceImage(const Surface& surface);

}  // namespace kalo
