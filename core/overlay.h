// What is shown over the designs on a saver's own screen: the banner at the
// top, the hint in the middle, the design's name on it, and the footer. The
// start-up rules and the design loop say what to show; the window decides
// how it looks and where it stands. Runs with no screen of their own show
// nothing.
#pragma once

#include <string>

#include "core/basic_types.h"

namespace kalo {

class Overlay {
 public:
  virtual ~Overlay() = default;

  // Puts the footer along the bottom edge, the hint in the middle and the
  // banner at the top, for the canvas's present size.
  virtual void LayOut() = 0;
  // The footer's background and text colours.
  virtual void ColourFooter(Long back, Long fore) = 0;
  // The banner, telling how to hand a design to the companion program.
  virtual void ShowCompanionHint() = 0;

  // The hint between pictures; it is up when the window first shows.
  virtual void ShowHint() = 0;
  virtual void HideHint() = 0;
  virtual bool HintShown() const = 0;

  // The design type's name, which shows centred on the design.
  virtual void NameDesign(const std::string& name) = 0;
  virtual void CentreDesignName(Single centre_x, Single centre_y) = 0;
  virtual void ShowDesignName() = 0;
  virtual void HideDesignName() = 0;
};

// Shows nothing. It only keeps whether the hint would be up, so that the loop
// rests between pictures as long as it does on a screen.
class NullOverlay final : public Overlay {
 public:
  void LayOut() override {}
  void ColourFooter(Long, Long) override {}
  void ShowCompanionHint() override {}
  void ShowHint() override { hint_ = true; }
  void HideHint() override { hint_ = false; }
  bool HintShown() const override { return hint_; }
  void NameDesign(const std::string&) override {}
  void CentreDesignName(Single, Single) override {}
  void ShowDesignName() override {}
  void HideDesignName() override {}

 private:
  bool hint_ = true;
};

}  // namespace kalo
