// Design windows that draw into a surface. SurfacePen is the drawing half of
// every such window -- the pen the design loop sets and the strokes it draws
// with it -- whatever shows the surface afterwards: a window of our own, a
// screen-saver host's window, or an image file. WithoutControls adds the
// controls of a window that has none to show.
#pragma once

#include <string>

#include "core/design_window.h"
#include "surface/surface.h"

namespace kalo {

class SurfacePen : public DesignWindow {
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
  Integer DrawMode() const override { return mode_; }
  void SetDrawMode(Integer mode) override {
    mode_ = mode;
    surface_.SetDrawMode(mode);
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

 protected:
  Surface& surface_;

 private:
  Long fore_ = 0, back_ = 0;
  Integer width_ = 1, mode_ = 13;
};

// A window with no controls: nothing is shown over its designs, and nothing
// takes room there.
template <class Window>
class WithoutControls : public Window {
 public:
  using Window::Window;
  void SetCaption(Control, const std::string&) override {}
  std::string Caption(Control) const override { return ""; }
  void SetVisible(Control, bool) override {}
  bool IsVisible(Control) const override { return false; }
  void Move(Control, Single, Single) override {}
  Single Left(Control) const override { return 0; }
  Single Top(Control) const override { return 0; }
  Single Width(Control) const override { return 0; }
  Single Height(Control) const override { return 0; }
  void SetColours(Control, Long, Long) override {}
};

// Designs drawn straight into an image.
using ImageWindow = WithoutControls<SurfacePen>;

}  // namespace kalo
