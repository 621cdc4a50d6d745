// A drawing window with no screen behind it: strokes go straight into a
// surface, and the controls a screen would show over the designs are not
// there at all. For designs drawn into images.
#pragma once

#include "common/design_window.h"
#include "platform/surface.h"

namespace kalo {

// A window without controls: nothing is shown over its designs, and nothing
// takes room there.
class WindowWithoutControls : public DesignWindow {
 public:
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

class ImageWindow final : public WindowWithoutControls {
 public:
  explicit ImageWindow(Surface& surface) : surface_(surface) {}

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
  void SetBackColor(Long colour) override { back_ = colour; }
  void Cls() override { surface_.Clear(back_); }
  void Refresh() override {}
  Single ScaleWidth() const override { return static_cast<Single>(surface_.width()); }
  Single ScaleHeight() const override { return static_cast<Single>(surface_.height()); }

 private:
  Surface& surface_;
  Long fore_ = 0, back_ = 0;
  Integer width_ = 1, mode_ = 13;
};

}  // namespace kalo
