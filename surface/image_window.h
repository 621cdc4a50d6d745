// SurfacePen is the canvas of everything that draws into a surface -- the pen
// the design loop sets and the strokes it draws with it -- whatever shows the
// surface afterwards: a window of our own, a screen-saver host's window, or
// an image file.
#pragma once

#include "core/canvas.h"
#include "surface/surface.h"

namespace kalo {

class SurfacePen : public Canvas {
 public:
  explicit SurfacePen(Surface& surface) : surface_(surface) {}

  void Line(Single x1, Single y1, Single x2, Single y2, Long colour) override {
    surface_.Line(x1, y1, x2, y2, colour);
  }
  void PSet(Single x, Single y, Long colour) override { surface_.PSet(x, y, colour); }
  Long ForeColor() const override { return fore_; }
  void SetForeColor(Long colour) override { fore_ = colour; }
  Integer DrawWidth() const override { return width_; }
  void SetDrawWidth(Integer width) override {
    width_ = width;
    surface_.SetDrawWidth(width);
  }
  RasterMode DrawMode() const override { return mode_; }
  void SetDrawMode(RasterMode mode) override {
    mode_ = mode;
    surface_.SetDrawMode(static_cast<int>(mode));
  }
  Long BackColor() const override { return back_; }
  // A new background colour clears the image to it, as the background
  // switches expect of a freshly created window.
  void SetBackColor(Long colour) override {
    back_ = colour;
    Cls();
  }
  void Cls() override { surface_.Clear(back_); }
  void Refresh() override {}
  Single ScaleWidth() const override { return static_cast<Single>(surface_.width()); }
  Single ScaleHeight() const override { return static_cast<Single>(surface_.height()); }

  // Resizes the image to width x height, if it is not that size already,
  // keeping what is drawn at its place so that the strokes still to come of
  // the design being drawn meet the ones already there; the new part takes
  // the background. Returns whether the size changed.
  bool ResizeKeeping(int width, int height) {
    if (width == surface_.width() && height == surface_.height()) return false;
    surface_.ResizeKeeping(width, height, back_);
    return true;
  }

 protected:
  Surface& surface_;

 private:
  Long fore_ = 0, back_ = 0;
  Integer width_ = 1;
  RasterMode mode_ = RasterMode::CopyPen;
};

}  // namespace kalo
