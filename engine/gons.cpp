// KaloGons: regular polygons growing and turning out from the design centre,
// drawn as outlines, spokes from the centre, connectors between neighbouring
// polygons' corners, or a mix of these, in lines or dots.
#include <array>
#include <cmath>

#include "core/numbers.h"
#include "engine/engine.h"

namespace kalo {

namespace {

constexpr Single kFirstRadius = 5;
// The corner tables hold corners 1 .. 42 (element 0 copies corner 1).
constexpr int kLastCorner = 42;

// Which stroke families a style draws; every style but 0 gives the first
// polygon its spokes.
struct GonStrokes {
  bool laterSpokes, connectors, edges;
};

GonStrokes StrokesOf(Integer style) {
  switch (style) {
    case 0:
      return {false, false, true};
    case 1:
      return {true, false, true};
    case 2:
      return {false, true, true};
    case 3:
      return {true, false, false};
    case 4:
      return {false, true, false};
    case 5:
      return {true, true, false};
    case 6:
      return {true, true, true};
    default:
      return {false, false, false};
  }
}

struct Corner {
  Long x, y;
};

// The corner at radius r and angle a in degrees: angle 0 lies straight below
// the centre, 90 to its left. Corners are kept as whole pixels, rounded down.
Corner CornerAt(const DesignState& s, Single r, Single a) {
  const double theta = -(2.0 * a) * kPi / 360;
  return {CLng(Int(r * std::sin(theta) * s.XStretch + s.CenterX)),
          CLng(Int(r * std::cos(theta) + s.CenterY))};
}

// A stroke from (x1, y1) to (x2, y2), or in dot mode one dot at (dotX, dotY).
void Stroke(EngineContext& e, bool lines, double x1, double y1, double x2, double y2, double dotX,
            double dotY) {
  if (lines) {
    e.canvas.Line(static_cast<Single>(x1), static_cast<Single>(y1), static_cast<Single>(x2),
               static_cast<Single>(y2), e.canvas.ForeColor());
  } else {
    e.canvas.PSet(static_cast<Single>(dotX), static_cast<Single>(dotY), e.canvas.ForeColor());
  }
}

void Spoke(EngineContext& e, bool lines, Long x, Long y) {
  Stroke(e, lines, e.s.CenterX, e.s.CenterY, x, y, x, y);
}

// Edge from corner i to corner i - 1; its dot marks corner i - 1.
void Edge(EngineContext& e, bool lines, const std::array<Long, 43>& xs,
          const std::array<Long, 43>& ys, int i) {
  Stroke(e, lines, xs[i], ys[i], xs[i - 1], ys[i - 1], xs[i - 1], ys[i - 1]);
}

// Closing edge from the last corner back to corner 0 (the copy of corner 1);
// its dot marks the last corner, so dot mode gives every corner one dot.
void CloseEdge(EngineContext& e, bool lines, const std::array<Long, 43>& xs,
               const std::array<Long, 43>& ys, int last) {
  Stroke(e, lines, xs[last], ys[last], xs[0], ys[0], xs[last], ys[last]);
}

}  // namespace

void DrawGons(EngineContext& e) {
  DesignState& s = e.s;
  const Single reach = s.SwitchesGiven ? s.GonReach : static_cast<Single>(2.0 * s.GonReach);
  const GonStrokes strokes = StrokesOf(s.GonStyle);
  const bool lines =
      s.DesignType >= 0 && s.DesignType < kDesignTypeCount && s.UseLines[s.DesignType];
  for (int k = 0; k <= 31; ++k) {
    s.PrevRingX[k] = s.PrevRingY[k] = s.RingX[k] = s.RingY[k] = 0;
  }

  Single r = kFirstRadius;
  const Single step = static_cast<Single>(360.0 / s.GonSides);
  const double growth = s.GonGrowth / 100.0 + 1;

  // The first, tiny polygon is drawn in one go.
  int i = 0;
  for (Single a = 0; a <= 359 && i < kLastCorner; a = static_cast<Single>(a + step)) {
    ++i;
    const Corner c = CornerAt(s, r, a);
    s.PrevRingX[i] = c.x;
    s.PrevRingY[i] = c.y;
    if (s.GonStyle != 0) Spoke(e, lines, c.x, c.y);
    if (i == 1) {
      s.PrevRingX[0] = c.x;
      s.PrevRingY[0] = c.y;
    }
    if (i > 1 && strokes.edges) Edge(e, lines, s.PrevRingX, s.PrevRingY, i);
  }
  if (strokes.edges) CloseEdge(e, lines, s.PrevRingX, s.PrevRingY, i);

  r = static_cast<Single>(r * growth);
  Single start = s.GonTwist;
  do {
    i = 0;
    const Single end = static_cast<Single>(start + 359.0);
    for (Single a = start; a <= end && i < kLastCorner; a = static_cast<Single>(a + step)) {
      StrokeStep(e);
      ++i;
      const Corner c = CornerAt(s, r, a);
      s.RingX[i] = c.x;
      s.RingY[i] = c.y;
      if (strokes.laterSpokes) Spoke(e, lines, c.x, c.y);
      if (strokes.connectors) {
        Stroke(e, lines, s.PrevRingX[i], s.PrevRingY[i], c.x, c.y, c.x, c.y);
      }
      if (i == 1) {
        s.RingX[0] = c.x;
        s.RingY[0] = c.y;
      }
      if (i > 1 && strokes.edges) Edge(e, lines, s.RingX, s.RingY, i);
      s.PrevRingX[i] = c.x;
      s.PrevRingY[i] = c.y;
    }
    if (strokes.edges) CloseEdge(e, lines, s.RingX, s.RingY, i);
    r = static_cast<Single>(r * growth);
    start = static_cast<Single>(start + s.GonTwist);
  } while (static_cast<Single>(s.HalfWidth * reach) > r);
  e.pacer.DoEvents();
}

}  // namespace kalo
