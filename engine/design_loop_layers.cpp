// The design loop's layers (L): the same figure again in a new colour, mode
// and (mostly thinner) pen, until the pen has shrunk to nothing or MaxLayers
// are done. Every random draw below is made in the order written.
#include "engine/design_loop.h"

namespace kalo {

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
      if (s_.XStretch == 0) s_.XStretch = canvas_.ScaleWidth() / canvas_.ScaleHeight();
    } else {
      PickStretch(2);
    }
  }
  if (loc_.DesignsPerPicture < 2 && !loc_.ClusterPicture) {
    canvas_.SetDrawMode(loc_.DrawModeChoice);
    // Now and then the Gons, Angle and Boxes figures reach to a random width
    // instead of the distance from their centre.
    if (!s_.SwitchesGiven && Below(rnd_, 6) == 0) {
      s_.HalfWidth = static_cast<Single>(Int(rnd_.Rnd() * (canvas_.ScaleWidth() - 50)) + 50);
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
  const double sw = canvas_.ScaleWidth(), sh = canvas_.ScaleHeight();
  if (!(s_.UseLines[type] && loc_.PenWidth < 3) && !s_.SwitchesGiven) {
    s_.HalfWidth = static_cast<Single>(Int((sw / 2 - 19) * rnd_.Rnd()) + 20);
  }
  loc_.PenWidth = loc_.PenWidth > 2 ? static_cast<Integer>(Int(loc_.PenWidth * 4 / 5.0)) : 1;
  loc_.DrawModeChoice = RasterMode::CopyPen;
  canvas_.SetDrawMode(RasterMode::CopyPen);

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
    canvas_.SetDrawMode(loc_.DrawModeChoice);
    if (Below(rnd_, 3) == 0) {
      loc_.DrawModeChoice = RasterMode::CopyPen;
      canvas_.SetDrawMode(RasterMode::CopyPen);
    } else if (canvas_.DrawMode() == RasterMode::CopyPen) {
      if (!loc_.ClusterPicture) PickDrawMode();
      canvas_.SetDrawMode(loc_.DrawModeChoice);
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
  if (loc_.DrawModeChoice == RasterMode::Invert) PickDrawMode();
  canvas_.SetDrawMode(loc_.DrawModeChoice);
}

void DesignLoop::ChooseLayerPenAndColour() {
  // A layer without a pen keeps the width and colour of the one before.
  if (loc_.PenWidth <= 0) return;
  canvas_.SetDrawWidth(loc_.PenWidth);
  const Long colour = LayerColour();
  canvas_.SetForeColor(colour);
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
    if (colour != canvas_.BackColor() && colour != loc_.PrevColour) break;
  }
  return colour;
}

// Thin clusters build up slowly, and now and then start again elsewhere on a
// clean screen.
void DesignLoop::RestInThinCluster() {
  Wait(4);
  if (Below(rnd_, Int(loc_.DesignsPerPicture * 0.75)) != 0) return;
  canvas_.Cls();
  if (ctx_.run.RandomBackground) NewRandomBackground();
  if (Below(rnd_, 3) != 0) PickClusterCenter();
}

void DesignLoop::ApplySolidMix() {
  if (loc_.settings.SolidMix == "SO") {
    loc_.DrawModeChoice = RasterMode::CopyPen;
  } else if (loc_.settings.SolidMix == "MI") {
    while (loc_.DrawModeChoice == RasterMode::CopyPen) PickDrawMode();
  }
  canvas_.SetDrawMode(loc_.DrawModeChoice);
}

// A rare hair-thin layer over a broad one.
void DesignLoop::MaybeNarrowPen() {
  if (loc_.PenWidth > 15 && Below(rnd_, 100) == 10) {
    loc_.PenWidth = CInt(Int(rnd_.Rnd() * 3) + 1);
    canvas_.SetDrawWidth(loc_.PenWidth);
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

}  // namespace kalo
