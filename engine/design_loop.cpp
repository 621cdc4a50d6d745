// The design loop, in the order a design is made: T (top of a design), P (a
// new picture), D (the design's set-up), L (its layers), E (its end) and F (the
// end of the picture). Every random draw below is made in the order written;
// a draw that only matters under a condition is made only when the condition
// holds.
#include "engine/design_loop.h"

#include "core/numbers.h"
#include "core/setting_rules.h"

namespace kalo {

namespace {

constexpr Integer kCopyPen = 13;

// A 0-based whole number below n, each with chance 1 in n.
int Below(RandomSource& rnd, double n) { return static_cast<int>(Int(rnd.Rnd() * n)); }

}  // namespace

void RunDesignLoop(LoopContext& ctx) {
  DesignLoop loop(ctx);
  for (;;) loop.RunOneDesign();
}

DesignLoop::DesignLoop(LoopContext& ctx)
    : ctx_(ctx), s_(ctx.engine.s), win_(ctx.engine.win), rnd_(ctx.engine.rnd) {
  loc_.HalfHeight = static_cast<Single>(Int(win_.ScaleHeight() / 2));
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
  return ctx_.run.DesignEnabled[static_cast<size_t>(type)];
}

// ---------------------------------------------------------------------------
// T. Top of a design: where it would stand if nothing later moves it.

void DesignLoop::ProposeCentre() {
  loc_.FirstLayer = true;
  if (s_.SwitchesGiven || Below(rnd_, 5) <= 3) {
    s_.CenterX = static_cast<Single>(Int(win_.ScaleWidth() / 2));
    s_.CenterY = static_cast<Single>(Int(win_.ScaleHeight() / 2));
  } else {
    OffCentre();
  }
  if (s_.ShowDesignName) {
    win_.SetVisible(Control::Command5, false);
    win_.Refresh();
  }
}

// The off-centre rule: mostly in the middle half of the screen, sometimes
// anywhere on it, sometimes towards the top left.
bool DesignLoop::OffCentre() {
  const double sw = win_.ScaleWidth(), sh = win_.ScaleHeight();
  if (Below(rnd_, 4) != 0) {
    s_.CenterX = static_cast<Single>(Int(rnd_.Rnd() * sw / 2) + Int(sw / 4));
    s_.CenterY = static_cast<Single>(Int(rnd_.Rnd() * sh / 2) + Int(sh / 4));
    return false;
  }
  if (Below(rnd_, 4) != 0) {
    s_.CenterX = static_cast<Single>(Int(rnd_.Rnd() * sw * 0.75) + Int(sw * 0.125));
    s_.CenterY = static_cast<Single>(Int(rnd_.Rnd() * sh * 0.75) + Int(sh * 0.125));
  } else {
    s_.CenterX = static_cast<Single>(Int(rnd_.Rnd() * sw * 0.25) + Int(sw * 0.125));
    s_.CenterY = static_cast<Single>(Int(rnd_.Rnd() * sh * 0.25) + Int(sh * 0.125));
  }
  return true;
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
    s_.CenterX = static_cast<Single>(Int(win_.ScaleWidth() / 2));
    s_.CenterY = static_cast<Single>(Int(win_.ScaleHeight() / 2));
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
    win_.SetCaption(Control::Command5, kDesignTypeNames[s_.DesignType]);
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
    if (loc_.DrawModeChoice == 6) PickDrawMode();
    loc_.FixedMode = Below(rnd_, 4) == 3;
  } else {
    loc_.FixedMode = true;
    loc_.DrawModeChoice = kCopyPen;
    if (loc_.settings.Roundness == "BO") PickStretch(3);
  }
  if (loc_.DrawModeChoice == kCopyPen && Below(rnd_, 4) == 3) loc_.FixedMode = true;
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
  if (lines && s_.Revolutions > 6 && win_.DrawMode() == 10 && pen >= 7) {
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
// L. Layers: the same figure again in a new colour, mode and (mostly thinner)
// pen, until the pen has shrunk to nothing or MaxLayers are done.

void DesignLoop::DrawLayers() {
  do {
    if (loc_.FirstLayer) {
      PrepareFirstLayer();
    } else {
      PrepareLaterLayer();
    }
    RefreshLayerMode();
    ChooseLayerPenAndColour();
    ApplySolidMix();
    MaybeNarrowPen();
    DrawDesign(ctx_.engine);
    DecayPenWidth();
    ++loc_.LayerCount;
  } while (loc_.LayerCount != Int(loc_.settings.MaxLayers) && loc_.PenWidth >= 1);
}

void DesignLoop::PrepareFirstLayer() {
  loc_.LayerCount = 0;
  s_.DesignRecord.clear();
  loc_.KeepStyle = Below(rnd_, 6) == 0;
  if (loc_.settings.Roundness == "BO") {
    if (s_.DesignType >= KaloGons) {
      PickStretch(3);
    } else if (s_.DesignType == KaloYarn || s_.DesignType == KaloStar) {
      s_.XStretch = static_cast<Single>(Below(rnd_, 2));
      if (s_.XStretch == 0) s_.XStretch = win_.ScaleWidth() / win_.ScaleHeight();
    } else {
      PickStretch(2);
    }
  }
  if (loc_.DesignsPerPicture < 2 && !loc_.ClusterPicture) {
    win_.SetDrawMode(loc_.DrawModeChoice);
    // Now and then the Gons, Angle and Boxes figures reach to a random width
    // instead of the distance from their centre.
    if (!s_.SwitchesGiven && Below(rnd_, 6) == 0) {
      s_.HalfWidth = static_cast<Single>(Int(rnd_.Rnd() * (win_.ScaleWidth() - 50)) + 50);
    } else {
      s_.HalfWidth = s_.CenterX;
    }
    loc_.FirstLayer = false;
    return;
  }
  PlaceClusterDesign();
}

// One design of a cluster: smaller, solid, and placed somewhere of its own.
void DesignLoop::PlaceClusterDesign() {
  const size_t type = static_cast<size_t>(s_.DesignType);
  const double sw = win_.ScaleWidth(), sh = win_.ScaleHeight();
  if (!(s_.UseLines[type] && loc_.PenWidth < 3) && !s_.SwitchesGiven) {
    s_.HalfWidth = static_cast<Single>(Int((sw / 2 - 19) * rnd_.Rnd()) + 20);
  }
  loc_.PenWidth = loc_.PenWidth > 2 ? static_cast<Integer>(Int(loc_.PenWidth * 4 / 5.0)) : 1;
  loc_.DrawModeChoice = kCopyPen;
  win_.SetDrawMode(kCopyPen);

  if (s_.DesignType == KaloYarn) {
    s_.YarnRadius = static_cast<Single>(Int(rnd_.Rnd() * s_.YarnRadius / 6));
    if (s_.YarnRadius < 120) s_.YarnRadius = 120;
    if (s_.YarnPoints > 15) s_.YarnPoints = static_cast<Single>(Int(rnd_.Rnd() * 9) + 4);
  } else if (s_.DesignType == KaloStar) {
    s_.StarRadius = static_cast<Single>(Int(rnd_.Rnd() * s_.StarRadius / 6));
    if (s_.StarRadius < 120) s_.StarRadius = 120;
    if (s_.StarPoints > 12) s_.StarPoints = static_cast<Single>(Int(rnd_.Rnd() * 9) + 4);
  } else if (s_.DesignType == KaloSpiral) {
    // Small spirals whose pen lies well outside the rolling circle. On a tiny
    // window no such spiral exists; after enough tries the last one drawn is
    // kept rather than searching for ever.
    for (int tries = 0; tries < kClusterSpiralTries; ++tries) {
      PickDesignParams(s_, rnd_);
      if (s_.FixedRadius < s_.MaxRadius / 5 && s_.RollRadius * 1.6 <= s_.PenRadius &&
          s_.RollRadius <= s_.FixedRadius / 4) {
        break;
      }
    }
  }

  if (s_.SwitchesGiven) {
    s_.HalfWidth = s_.CenterX;
  } else if (Below(rnd_, 5) == 0) {
    s_.CenterX = static_cast<Single>(Int(sw / 2));
    s_.CenterY = static_cast<Single>(Int(sh / 2));
  } else if (OffCentre()) {
    // Far from the middle: keep the figure's fixed circle on the screen.
    if (s_.CenterX < s_.FixedRadius) s_.CenterX = s_.FixedRadius;
    if (sw - s_.CenterX < s_.FixedRadius) s_.CenterX = static_cast<Single>(sw - s_.FixedRadius);
    if (s_.CenterY < s_.FixedRadius) s_.CenterY = s_.FixedRadius;
    if (sh - s_.CenterY < s_.FixedRadius) s_.CenterY = static_cast<Single>(sh - s_.FixedRadius);
  }
  if (loc_.settings.Roundness == "BO" && s_.DesignType >= KaloGons) PickStretch(3);
  if (loc_.PenWidth > 30) loc_.PenWidth = 30;
  loc_.FirstLayer = false;
}

void DesignLoop::PrepareLaterLayer() {
  const size_t type = static_cast<size_t>(s_.DesignType);
  const bool mixStyles = loc_.settings.LinesDots == "LD";
  if (mixStyles && !loc_.KeepStyle) {
    if (!loc_.FixedStyle) s_.UseLines[type] = Below(rnd_, 2) == 0;
    loc_.KeepStyle = Below(rnd_, 6) == 0;
  }
  if (!loc_.FixedDecay) loc_.Decay = rnd_.Rnd();
  if (loc_.FixedMode || loc_.ClusterPicture) {
    win_.SetDrawMode(loc_.DrawModeChoice);
    if (Below(rnd_, 3) == 0) {
      loc_.DrawModeChoice = kCopyPen;
      win_.SetDrawMode(kCopyPen);
    } else if (win_.DrawMode() == kCopyPen) {
      if (!loc_.ClusterPicture) PickDrawMode();
      win_.SetDrawMode(loc_.DrawModeChoice);
    }
  }
  if (s_.DesignType == KaloSpiral && mixStyles && !loc_.FixedStyle) {
    s_.UseLines[KaloSpiral] = Below(rnd_, 2) == 0;
  }
  if (s_.DesignType == KaloBoxes && !loc_.NoBoxFlags) RandomizeBoxFlags(s_, rnd_);
  if (s_.DesignType == KaloGons && !loc_.NoGonSides) {
    s_.GonStyle = static_cast<Integer>(Below(rnd_, 7));
  }
}

// Single designs that do not keep their mode get a fresh one every layer.
void DesignLoop::RefreshLayerMode() {
  if (loc_.ClusterPicture || loc_.FixedMode) return;
  PickDrawMode();
  if (loc_.DrawModeChoice == 6) PickDrawMode();
  win_.SetDrawMode(loc_.DrawModeChoice);
}

void DesignLoop::ChooseLayerPenAndColour() {
  // A layer without a pen keeps the width and colour of the one before.
  if (loc_.PenWidth <= 0) return;
  win_.SetDrawWidth(loc_.PenWidth);
  const Long colour = LayerColour();
  win_.SetForeColor(colour);
  loc_.PrevColour = colour;
  if (loc_.DesignsPerPicture >= 2 && loc_.PenWidth < 3) RestInThinCluster();
}

// A colour that stands out from the background and from the layer below.
// When the settings allow no such colour (Brightness 0 with solid colours),
// the last one drawn is used after a bounded number of tries.
Long DesignLoop::LayerColour() {
  const bool solid = loc_.settings.SolidMix == "SO";
  const double b = loc_.settings.Brightness;
  Long colour = 0;
  for (int tries = 0; tries < kColourTries; ++tries) {
    const double r1 = rnd_.Rnd(), r2 = rnd_.Rnd(), r3 = rnd_.Rnd();
    if (solid) {
      colour = RGB(CInt(Int(r1 * b) + 1), CInt(Int(r2 * b) + 1), CInt(Int(r3 * b) + 1));
    } else {
      colour = RGB(CInt(r1 * 255 + 1), CInt(r2 * 255 + 1), CInt(r3 * 255 + 1));
    }
    if (colour != win_.BackColor() && colour != loc_.PrevColour) break;
  }
  return colour;
}

// Thin clusters build up slowly, and now and then start again elsewhere on a
// clean screen.
void DesignLoop::RestInThinCluster() {
  Wait(4);
  if (Below(rnd_, Int(loc_.DesignsPerPicture * 0.75)) != 0) return;
  win_.Cls();
  if (ctx_.run.RandomBackground) NewRandomBackground();
  if (Below(rnd_, 3) != 0) PickClusterCenter();
}

void DesignLoop::ApplySolidMix() {
  if (loc_.settings.SolidMix == "SO") {
    loc_.DrawModeChoice = kCopyPen;
  } else if (loc_.settings.SolidMix == "MI") {
    while (loc_.DrawModeChoice == kCopyPen) PickDrawMode();
  }
  win_.SetDrawMode(loc_.DrawModeChoice);
}

// A rare hair-thin layer over a broad one.
void DesignLoop::MaybeNarrowPen() {
  if (loc_.PenWidth > 15 && Below(rnd_, 100) == 10) {
    loc_.PenWidth = CInt(Int(rnd_.Rnd() * 3) + 1);
    win_.SetDrawWidth(loc_.PenWidth);
  }
}

void DesignLoop::DecayPenWidth() {
  Integer& pen = loc_.PenWidth;
  if (pen == 1) pen = 0;
  if (pen > 4) {
    const double decay = loc_.Decay;
    if (decay >= 0.9 || decay <= 0.4) {
      if (Below(rnd_, 50) == 0) {
        pen = static_cast<Integer>(Int(pen * 0.75));
      } else if (Below(rnd_, 50) == 0) {
        pen = static_cast<Integer>(Int(pen / 2.0));
      } else {
        pen -= 3;
      }
    } else {
      pen = static_cast<Integer>(Int(pen * decay));
      if (decay > 0.85) loc_.FixedDecay = true;
    }
  }
  if (pen == 1 || pen == 2) pen = 1;
  if (pen == 4) pen = 2;
  if (pen == 3) pen = 1;
  if (s_.DesignType == KaloSpiral && loc_.DesignsPerPicture == 1 && pen == 1) pen = 0;
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
  s_.DesignRecord = StrInt(win_.BackColor()) + "\\" + s_.DesignRecord;
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
    win_.Cls();
    if (showName) win_.SetVisible(Control::Command5, false);
    win_.SetVisible(Control::Command2, true);
    win_.Refresh();
    Wait(12);
  }
  Wait(6);
  if (win_.IsVisible(Control::Command2)) {
    Wait(6);
    win_.SetVisible(Control::Command2, false);
    if (showName) win_.SetVisible(Control::Command5, true);
    win_.Refresh();
  }
  win_.Refresh();
  if (!companion && ctx_.run.ShowAboutFlag && Below(rnd_, 11) == 0) {
    ctx_.services.ShowAboutBriefly();
    Wait(22);
    ctx_.services.UnloadAbout();
    win_.Cls();
  }
  win_.Cls();
  if (ctx_.run.RandomBackground) NewRandomBackground();
  loc_.DesignCount = 0;
  loc_.ThinCluster = false;
}

void DesignLoop::NewRandomBackground() {
  const Long colour = QBColor(Below(rnd_, 16));
  win_.SetBackColor(colour);
  win_.SetColours(Control::Label3, colour, colour >= 2 ? QBColor(0) : QBColor(15));
  win_.Cls();
}

// ---------------------------------------------------------------------------
// The pickers.

// Raster modes that look good over earlier layers: 2, 5 (not for Boxes), 6,
// 7, 8, 10, 13 and 14.
void DesignLoop::PickDrawMode() {
  for (;;) {
    loc_.DrawModeChoice = CInt(Int(rnd_.Rnd() * 13) + 2);
    const Integer m = loc_.DrawModeChoice;
    if (m == 3 || m == 4 || m == 9 || m == 11 || m == 12) continue;
    if (m == 5 && s_.DesignType == KaloBoxes) continue;
    return;
  }
}

void DesignLoop::PickStretch(Integer limit) {
  const Single screenRatio = win_.ScaleWidth() / win_.ScaleHeight();
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
  const double sw = win_.ScaleWidth(), sh = win_.ScaleHeight();
  if (Below(rnd_, 4) != 0) {
    s_.CenterX = static_cast<Single>(Int(rnd_.Rnd() * sw / 2) + Int(sw / 4));
    s_.CenterY = static_cast<Single>(Int(rnd_.Rnd() * sh / 2) + Int(sh / 4));
  } else if (Below(rnd_, 4) != 0) {
    s_.CenterX = static_cast<Single>(Int(rnd_.Rnd() * sw * 0.75) + Int(sw * 0.125));
    s_.CenterY = static_cast<Single>(Int(rnd_.Rnd() * sh * 0.75) + Int(sh * 0.125));
  } else {
    // Beyond the right and bottom edges: only a corner of the design shows.
    s_.CenterX = static_cast<Single>(Int(rnd_.Rnd() * sw * 0.75) + Int(sw * 0.875));
    s_.CenterY = static_cast<Single>(Int(rnd_.Rnd() * sh * 0.75) + Int(sh * 0.875));
  }
}

}  // namespace kalo
