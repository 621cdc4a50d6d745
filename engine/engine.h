// The design engine: the per-design parameter set-up, the per-layer dispatcher
// and the six renderers. Everything draws on a Canvas, shows through an
// Overlay and paces itself through Pacer; nothing here knows about Qt, files
// or dialogs.
#pragma once

#include "core/canvas.h"
#include "core/overlay.h"
#include "core/random.h"
#include "engine/design_state.h"

namespace kalo {

// Pi and two pi as the designs have always used them: these rounded values
// decide where every point falls and how many points a figure gets.
inline constexpr double kPi = 3.14159265;
inline constexpr double kTwoPi = 6.2831853;

// What every renderer draws with.
struct EngineContext {
  DesignState& s;
  Canvas& canvas;
  Overlay& overlay;
  Pacer& pacer;
  RandomSource& rnd;
};

// Draw(n) = Int(Rnd * n) + 1, a whole number from 1 to n.
Single Draw(RandomSource& rnd, double n);

// The stroke cadence before each step of a renderer: yield, then sleep
// CLng(StrokeDelay) ms when StrokeDelay > 0.
void StrokeStep(EngineContext& e);

// Parameter set-up, once per design, for the current DesignType.
void PickDesignParams(DesignState& s, RandomSource& rnd);
void SeparateRadii(DesignState& s);
void AvoidStraightAngle(DesignState& s, Long previousTurn);
void RandomizeBoxFlags(DesignState& s, RandomSource& rnd);

// One layer: the name button, the layer's record fields, the renderer, the
// draw mode field and the closing "/".
void DrawDesign(EngineContext& e);

// Spiral.
void CalcRevolutions(DesignState& s);
void DrawSpiral(EngineContext& e);
// Yarn.
void MakeYarnPoints(DesignState& s);
void DrawYarn(EngineContext& e);
// Star.
void MakeStarRings(DesignState& s);
void DrawStar(EngineContext& e);
// Gons.
void DrawGons(EngineContext& e);
// Angle.
void DrawAngle(EngineContext& e);
// Boxes.
void CalcBoxPoints(DesignState& s, Single a);
void DrawBoxLines(EngineContext& e, Long colour);
void DrawBoxDots(EngineContext& e, Long colour);
void DrawBoxes(EngineContext& e);

}  // namespace kalo
