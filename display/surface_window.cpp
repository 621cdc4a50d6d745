#include "display/surface_window.h"

#include "platform/qt_pacer.h"

namespace kalo {

SurfaceWindow::SurfaceWindow(int width, int height) : surface_(width, height) {
  push_clock_.start();
  surface_.Clear(back_colour_);
}

void SurfaceWindow::Line(Single x1, Single y1, Single x2, Single y2, Long colour) {
  if (unloaded_) return;
  ++figures_.strokes;
  surface_.Line(x1, y1, x2, y2, colour);
}

void SurfaceWindow::PSet(Single x, Single y, Long colour) {
  if (unloaded_) return;
  ++figures_.strokes;
  surface_.PSet(x, y, colour);
}

void SurfaceWindow::SetDrawWidth(Integer width) {
  draw_width_ = width;
  surface_.SetDrawWidth(width);
}

void SurfaceWindow::SetDrawMode(Integer mode) {
  draw_mode_ = mode;
  surface_.SetDrawMode(mode);
}

void SurfaceWindow::SetBackColor(Long colour) {
  back_colour_ = colour;
  Cls();
}

void SurfaceWindow::Cls() {
  if (!unloaded_) surface_.Clear(back_colour_);
}

void SurfaceWindow::Refresh() {
  if (last_push_ns_ >= 0 &&
      push_clock_.nsecsElapsed() - last_push_ns_ < QtPacer::kPushIntervalMs * 1000000)
    return;
  RefreshNow();
}

}  // namespace kalo
