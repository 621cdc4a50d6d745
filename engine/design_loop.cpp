// The design loop, in the order a design is made: T (top of a design), P (a
// new picture), D (the design's set-up), L (its layers, in
// design_loop_layers.cpp), E (its end) and F (the end of the picture). Every
// random draw below is made in the order written; a draw that only matters
// under a condition is made only when the condition holds.
#include "engine/design_loop.h"

#include "core/numbers.h"
#include "core/setting_rules.h"
#include "engine/startup_rules.h"

namespace kalo {

void RunDesignLoop(LoopContext& ctx) {
  DesignLoop loop(ctx);
  for (;;) loop.RunOneDesign();
}

DesignLoop::DesignLoop(LoopContext& ctx)
    : ctx_(ctx),
      s_(ctx.engine.s),
      canvas_(ctx.engine.canvas),
      overlay_(ctx.engine.overlay),
      rnd_(ctx.engine.rnd) {
  loc_.HalfHeight = static_cast<Single>(Int(canvas_.ScaleHeight() / 2));
}

void DesignLoop::RunOneDesign() {
  ReadSettings();
  ProposeCentre();
  if (loc_.DesignCount == 0) SetUpPicture();
  SetUpDesign();
  DrawLayers();
  if (EndDesign()) EndPicture();
}

void DesignLoop::ReadSettings() {
  const SettingsTexts& t = ctx_.run.Settings;
  loc_.settings.MaxDrawWidth = Val(t[kMaxDrawWidth]);
  loc_.settings.MaxLayers = Val(t[kMaxLayers]);
  loc_.settings.Brightness = Val(t[kBrightness]);
  loc_.settings.LinesDots = Code(t[kLinesDots]);
  loc_.settings.SolidMix = Code(t[kSolidMix]);
  loc_.settings.Roundness = Code(t[kRoundness]);
}

void DesignLoop::Wait(int units) {
  for (int i = 0; i < units; ++i) {
    ctx_.engine.pacer.Sleep(250);
    ctx_.engine.pacer.DoEvents();
  }
}

bool DesignLoop::Enabled(Integer type) const {
  return (ctx_.run.DesignEnabled[static_cast<size_t>(type)]);
}

// ---------------------------------------------------------------------------
// T. Top of a design: where it would stand if nothing later moves it.

void DesignLoop::ProposeCentre() {
  loc_.FirstLayer = true;
  if (s_.SwitchesGiven || Below(rnd_, 5) <= 3) {
    s_.CenterX = static_cast<Single>(Int(canvas_.ScaleWidth() / 2));
    s_.CenterY = static_cast<Single>(Int(canvas_.ScaleHeight() / 2));
  } else {
    OffCentre();
  }
  if (s_.ShowDesignName) {
    overlay_.HideDesignName();
    canvas_.Refresh();
  }
}

// The off-centre rule: mostly in the middle half of the screen, sometimes
// anywhere on it, sometimes towards the top left.
bool DesignLoop::OffCentre() {
  const int row = CentreRow();
  if (row == 2) CentreWithin(0.25, 0.125);
  return row != 0;
}

// The start the off-centre rule and cluster centres share: three times in
// four the middle half of the screen (row 0), else three times in four its
// middle three quarters (row 1); row 2 leaves the centre to the caller.
int DesignLoop::CentreRow() {
  if (Below(rnd_, 4) != 0) {
    CentreWithin(0.5, 0.25);
    return 0;
  }
  if (Below(rnd_, 4) != 0) {
    CentreWithin(0.75, 0.125);
    return 1;
  }
  return 2;
}

// A random centre in the part of the screen `span` of its width and height
// across, whose top left corner lies `from` of them in from the screen's.
void DesignLoop::CentreWithin(double span, double from) {
  const double sw = canvas_.ScaleWidth(), sh = canvas_.ScaleHeight();
  s_.CenterX = static_cast<Single>(Int(rnd_.Rnd() * sw * span) + Int(sw * from));
  s_.CenterY = static_cast<Single>(Int(rnd_.Rnd() * sh * span) + Int(sh * from));
}

// ---------------------------------------------------------------------------
// P. A new picture: one centred design, or a cluster of five to thirteen.

void DesignLoop::SetUpPicture() {
  loc_.FixedDecay = Below(rnd_, 4) == 3;
  loc_.ClusterPicture = Below(rnd_, 10) == 5;
  if (!loc_.ClusterPicture) {
    loc_.SingleSetUp = true;
    s_.MaxRadius = 216;
    loc_.DesignsPerPicture = 1;
    s_.RadiusRange = 999;
    s_.CenterX = static_cast<Single>(Int(canvas_.ScaleWidth() / 2));
    s_.CenterY = static_cast<Single>(Int(canvas_.ScaleHeight() / 2));
    return;
  }
  // With look-changing switches a cluster keeps the previous picture's sizes
  // and every design stays centred.
  if (s_.SwitchesGiven) return;
  loc_.DesignsPerPicture = static_cast<Integer>(Int(rnd_.Rnd() * 4 + 5));
  if (Below(rnd_, 3) == 0) {
    loc_.ThinCluster = true;
    loc_.PenWidth = 1;
    loc_.DesignsPerPicture += 5;
  }
  s_.MaxRadius = loc_.HalfHeight - 40;
  s_.RadiusRange = loc_.HalfHeight / 2;
  loc_.SingleSetUp = false;
  PickClusterCenter();
}

// ---------------------------------------------------------------------------
// D. Design set-up: type, drawing mode, pen, style and shape parameters.

void DesignLoop::SetUpDesign() {
  ChooseDesignType();
  if (s_.ShowDesignName) {
    overlay_.NameDesign(kDesignTypeNames[s_.DesignType]);
  }
  ChooseDrawModeAndFixing();
  ChoosePenWidth();
  ChooseLinesOrDots();
  if (s_.DesignType == KaloSpiral) PresetSpiral();
  ChooseDesignFlags();
  PickParams();
  if (s_.DesignType == KaloBoxes) FlattenSomeBoxes();
  if (s_.DesignType == KaloSpiral) TuneSpiral();
}

// Spiral 3 in 11, Gons, Angle and Boxes 2 in 11, Yarn and Star 1 in 11 for a
// single picture; clusters favour the three types that stay small.
void DesignLoop::ChooseDesignType() {
  bool any = false;
  for (int t = 0; t < kDesignTypeCount; ++t) any = any || Enabled(static_cast<Integer>(t));
  if (!any) {
    // Nothing is enabled (Yarn alone cannot be drawn with dots): draw Spirals
    // rather than search for ever.
    s_.DesignType = KaloSpiral;
    return;
  }
  static constexpr Integer kTypeOfDraw[11] = {0, 1, 2, 3, 4, 5, 0, 3, 4, 5, 0};
  do {
    int n;
    if (loc_.SingleSetUp) {
      n = Below(rnd_, loc_.ClusterPicture ? 10 : 11);
    } else {
      n = Below(rnd_, 10);
      if (n == 0) n = Below(rnd_, 3);
    }
    s_.DesignType = kTypeOfDraw[n];
  } while (!Enabled(s_.DesignType));
}

void DesignLoop::ChooseDrawModeAndFixing() {
  if (!loc_.ClusterPicture) {
    PickDrawMode();
    if (loc_.DrawModeChoice == RasterMode::Invert) PickDrawMode();
    loc_.FixedMode = Below(rnd_, 4) == 3;
  } else {
    loc_.FixedMode = true;
    loc_.DrawModeChoice = RasterMode::CopyPen;
    if (loc_.settings.Roundness == "BO") PickStretch(3);
  }
  if (loc_.DrawModeChoice == RasterMode::CopyPen && Below(rnd_, 4) == 3) loc_.FixedMode = true;
}

void DesignLoop::ChoosePenWidth() {
  if (loc_.ThinCluster) return;
  loc_.PenWidth = CInt(Int(rnd_.Rnd() * loc_.settings.MaxDrawWidth));
}

void DesignLoop::ChooseLinesOrDots() {
  if (loc_.settings.LinesDots != "LD") return;
  s_.UseLines[static_cast<size_t>(s_.DesignType)] = Below(rnd_, 8) <= 5;
  loc_.FixedStyle = Below(rnd_, 16) == 7;
}

void DesignLoop::PresetSpiral() {
  // A pen left outside the figure by the previous Spiral is brought in.
  if (s_.SpiralInside && !s_.SpiralOutside && s_.PenRadius > s_.MaxRadius) {
    s_.PenRadius = static_cast<Single>(Int(s_.MaxRadius - loc_.PenWidth));
  }
  s_.InnerPenMode = Below(rnd_, 10) < 9;
  s_.OuterPenMode = Below(rnd_, 10) < 9;
  s_.SpiralDetail = static_cast<Integer>(Below(rnd_, 12));
  if (s_.SpiralDetail < 8) s_.SpiralDetail = static_cast<Integer>(Below(rnd_, 12));
  // Very fine steps drawn as lines crawl; keep them moderate.
  if (s_.UseLines[KaloSpiral] && s_.SpiralDetail > 9) {
    s_.SpiralDetail = CInt(Int(rnd_.Rnd() * 5) + 2);
  }
}

void DesignLoop::ChooseDesignFlags() {
  if (s_.DesignType == KaloBoxes) loc_.NoBoxFlags = Below(rnd_, 2) == 0;
  if (s_.DesignType == KaloGons) loc_.NoGonSides = Below(rnd_, 2) == 0;
  loc_.Decay = rnd_.Rnd();
}

void DesignLoop::PickParams() {
  ctx_.run.StartingUp = false;
  // The Spiral set-up can only find two radii a factor of two apart when the
  // largest allowed radius is at least 10; a tiny window, or a first cluster
  // picture that inherited no sizes, gets that much.
  if (s_.DesignType == KaloSpiral && s_.MaxRadius < 10) s_.MaxRadius = 10;
  PickDesignParams(s_, rnd_);
}

void DesignLoop::FlattenSomeBoxes() {
  const int r = Below(rnd_, 7);
  if (r == 5 || r == 6) s_.BoxTwist = 0;
}

void DesignLoop::TuneSpiral() {
  const bool lines = s_.UseLines[KaloSpiral];
  Integer& pen = loc_.PenWidth;
  // An outer curve round a circle as large as the screen allows would leave
  // it; halve the fixed circle and fit the rolling one to it.
  if (s_.SpiralOutside && !s_.SpiralInside && s_.FixedRadius >= s_.MaxRadius) {
    const double r = s_.RollRadius;
    s_.FixedRadius = static_cast<Single>(Int(s_.MaxRadius / 2));
    s_.RollRadius =
        static_cast<Single>(Int((s_.FixedRadius / 3.0 - r / 3 + 1) * rnd_.Rnd()) + r / 3);
  }
  // Many revolutions: coarser steps and thinner pens, or the curves clog.
  if (s_.Revolutions > 8) --s_.SpiralDetail;
  if (lines && s_.Revolutions > 5) {
    if (pen > 24) pen = 24;
    if (s_.Revolutions > 7 && pen >= 4) pen = 3;
  }
  if (lines && s_.Revolutions > 6 && canvas_.DrawMode() == RasterMode::NotXorPen && pen >= 7) {
    pen = CInt(Int((pen - 11) * static_cast<double>(rnd_.Rnd()) + 6));
  }
  if (!lines && s_.SpiralDetail == 0) s_.SpiralDetail = 1;
  if (s_.Revolutions > 6 && s_.SpiralInside && s_.SpiralOutside) {
    if (Below(rnd_, 2) == 0) {
      s_.SpiralInside = false;
    } else {
      s_.SpiralOutside = false;
    }
  }
  if (s_.Revolutions > 5 && pen >= 21) pen = CInt(Int(rnd_.Rnd() * 12 + 4));
}

// ---------------------------------------------------------------------------
// E. End of a design: rest, and save it if the space bar marked it.

bool DesignLoop::EndDesign() {
  ++loc_.DesignCount;
  Wait(6);
  if (loc_.DesignCount == loc_.DesignsPerPicture) Wait(6);
  if (ctx_.run.SavePending) SaveMarkedDesign();
  return loc_.DesignCount >= loc_.DesignsPerPicture;
}

void DesignLoop::SaveMarkedDesign() {
  // The canvas file needs the background the design was drawn on.
  s_.DesignRecord = StrInt(canvas_.BackColor()) + "\\" + s_.DesignRecord;
  ctx_.run.SaveCancelled = false;
  SaverServices& sv = ctx_.services;
  if (!ctx_.run.CompanionMode()) {
    sv.SaveData(0);
    sv.SaveData(1);
    sv.RestoreCursor();
    sv.ShowAboutModal();
    sv.HideCursor();
  } else {
    sv.SaveDataForDrawPgm();
  }
  ctx_.run.SavePending = false;
}

// ---------------------------------------------------------------------------
// F. End of a picture: rest, maybe a hint or the about display, then a clean
// screen, perhaps in a new colour.

void DesignLoop::EndPicture() {
  const bool companion = ctx_.run.CompanionMode();
  const bool showName = s_.ShowDesignName;
  if (!companion && Below(rnd_, 10) == 0) {
    canvas_.Cls();
    if (showName) overlay_.HideDesignName();
    overlay_.ShowHint();
    canvas_.Refresh();
    Wait(12);
  }
  Wait(6);
  if (overlay_.HintShown()) {
    Wait(6);
    overlay_.HideHint();
    if (showName) overlay_.ShowDesignName();
    canvas_.Refresh();
  }
  canvas_.Refresh();
  if (!companion && ctx_.run.ShowAboutFlag && Below(rnd_, 11) == 0) {
    ctx_.services.ShowAboutBriefly();
    Wait(22);
    ctx_.services.UnloadAbout();
    canvas_.Cls();
  }
  canvas_.Cls();
  if (ctx_.run.RandomBackground) NewRandomBackground();
  loc_.DesignCount = 0;
  loc_.ThinCluster = false;
}

void DesignLoop::NewRandomBackground() {
  const Long colour = QBColor(Below(rnd_, 16));
  canvas_.SetBackColor(colour);
  ColourFooter(canvas_, overlay_);
  canvas_.Cls();
}

// ---------------------------------------------------------------------------
// The pickers.

// Raster modes that look good over earlier layers: not-merge, mask-pen-not
// (not for Boxes), invert, xor, not-mask, not-xor, copy and merge-pen-not.
void DesignLoop::PickDrawMode() {
  using enum RasterMode;
  for (;;) {
    loc_.DrawModeChoice = static_cast<RasterMode>(CInt(Int(rnd_.Rnd() * 13) + 2));
    const RasterMode m = loc_.DrawModeChoice;
    if (m == MaskNotPen || m == NotCopyPen || m == MaskPen || m == Nop || m == MergeNotPen)
      continue;
    if (m == MaskPenNot && s_.DesignType == KaloBoxes) continue;
    return;
  }
}

void DesignLoop::PickStretch(Integer limit) {
  const Single screenRatio = canvas_.ScaleWidth() / canvas_.ScaleHeight();
  if (s_.DesignType == KaloSpiral) {
    s_.XStretch = Below(rnd_, 5) >= 2 ? 1.0f : screenRatio;
    return;
  }
  s_.XStretch = static_cast<Single>(Below(rnd_, 2));
  if (s_.XStretch == 1) return;
  if (Below(rnd_, 4) == 0) {
    do {
      s_.XStretch = rnd_.Rnd();
    } while (s_.XStretch < 0.4 || s_.XStretch > limit);
  } else {
    s_.XStretch = screenRatio;
  }
}

void DesignLoop::PickClusterCenter() {
  // Beyond the right and bottom edges: only a corner of the design shows.
  if (CentreRow() == 2) CentreWithin(0.75, 0.875);
}

}  // namespace kalo
