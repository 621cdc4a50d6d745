// Angle: a polygonal spiral walked from the design centre, each segment turned
// by a fixed angle and longer than the one before by a fixed percentage.
#include <cmath>

#include "engine/engine.h"

namespace kalo {

namespace {

bool DrawsLines(const DesignState& s) {
  return s.DesignType >= 0 && s.DesignType < kDesignTypeCount && s.UseLines[s.DesignType];
}

// Segments far outside the window, or wholly above and left of its origin,
// are not worth sending: a coordinate this large would only be clipped away.
bool SegmentVisible(const DesignState& s) {
  if (s.CurX <= 0 && s.CurY <= 0 && s.EndX <= 0 && s.EndY <= 0) return false;
  if (s.CurX >= 16384 || s.CurY >= 16384) return false;
  if (s.EndX >= 16384 || s.EndY >= 16384) return false;
  if (s.CurX <= -16384 || s.CurY <= -16384) return false;
  if (s.EndX <= -16384 || s.EndY <= -16384) return false;
  return true;
}

}  // namespace

void DrawAngle(EngineContext& e) {
  DesignState& s = e.s;
  const Single reach = s.SwitchesGiven ? s.AngleReach : static_cast<Single>(2.0 * s.AngleReach);
  s.SideLength = 2;
  s.CurX = s.CenterX;
  s.CurY = s.CenterY;
  // The first segment already carries one turn.
  Single h = static_cast<Single>((s.AngleTurn + static_cast<double>(s.AngleTurn)) * kPi / 360);
  const Single fullTurn = static_cast<Single>(kTwoPi);
  const bool lines = DrawsLines(s);
  for (;;) {
    StrokeStep(e);
    s.EndX = static_cast<Single>(s.SideLength * std::cos(h - kPi / 2) * s.XStretch + s.CurX);
    s.EndY = static_cast<Single>(s.SideLength * std::sin(h - kPi / 2) + s.CurY);
    if (SegmentVisible(s)) {
      if (lines) {
        e.canvas.Line(s.CurX, s.CurY, s.EndX, s.EndY, e.canvas.ForeColor());
      } else {
        // Only the start is marked, so the first dot sits on the centre.
        e.canvas.PSet(s.CurX, s.CurY, e.canvas.ForeColor());
      }
    }
    const Single previous = s.SideLength;
    s.SideLength = static_cast<Single>((s.AngleGrowth / 100.0 + 1) * s.SideLength);
    h = static_cast<Single>(h + (s.AngleTurn + static_cast<double>(s.AngleTurn)) * kPi / 360);
    if (h > fullTurn) h = static_cast<Single>(h - kTwoPi);
    s.CurX = s.EndX;
    s.CurY = s.EndY;
    if (s.SideLength >= static_cast<Single>(static_cast<double>(s.HalfWidth) * reach)) break;
    // A segment that no longer grows would never reach the limit: the
    // spiral is as large as it will get.
    if (!(s.SideLength > previous)) break;
  }
  e.pacer.DoEvents();
}

}  // namespace kalo
