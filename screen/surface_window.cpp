#include "screen/surface_window.h"

#include "screen/qt_pacer.h"
#include "system/steady_clock.h"

namespace kalo {

SurfaceWindow::SurfaceWindow(int width, int height)
    : OwnedImage(width, height), SurfacePen(image), clock_(SteadyNs) {
  surface_.Clear(BackColor());
}

void SurfaceWindow::Line(Single x1, Single y1, Single x2, Single y2, Long colour) {
  if (unloaded_) return;
  ++figures_.strokes;
  SurfacePen::Line(x1, y1, x2, y2, colour);
}

void SurfaceWindow::PSet(Single x, Single y, Long colour) {
  if (unloaded_) return;
  ++figures_.strokes;
  SurfacePen::PSet(x, y, colour);
}

void SurfaceWindow::Cls() {
  if (!unloaded_) SurfacePen::Cls();
}

void SurfaceWindow::SetBackColor(Long colour) {
  SurfacePen::SetBackColor(colour);
  if (back_watcher_) back_watcher_(colour);
}

void SurfaceWindow::Refresh() {
  if (last_push_ns_ >= 0 && clock_() - last_push_ns_ < QtPacer::kPushIntervalMs * 1000000) return;
  RefreshNow();
}

}  // namespace kalo
