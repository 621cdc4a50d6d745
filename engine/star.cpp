// Star: concentric rings of evenly spaced points, spokes from the centre to
// the outer ring, and chords from each ring to its mirror ring shifted by one
// point, which weaves the star.
#include <cmath>

#include "core/numbers.h"
#include "engine/engine.h"

namespace kalo {

namespace {

// StarX/StarY hold points 1 to 26 of rings 1 to 21.
constexpr int kLastStarPoint = 26;
constexpr int kLastStarRing = 21;

// Points per ring and number of rings, held within what the ring tables can
// take; the values of the design set-up (3 to 25 points, 1 to 20 rings) pass
// unchanged.
Single StarPointLimit(const DesignState& s) {
  return s.StarPoints > kLastStarPoint ? static_cast<Single>(kLastStarPoint) : s.StarPoints;
}
Single StarRingLimit(const DesignState& s) {
  return s.StarRings > kLastStarRing ? static_cast<Single>(kLastStarRing) : s.StarRings;
}

bool DrawsLines(const DesignState& s) {
  return s.DesignType >= 0 && s.DesignType < kDesignTypeCount && s.UseLines[s.DesignType];
}

// One stroke of the star: a line, or a dot at each end, start first.
void StarStroke(EngineContext& e, Single x1, Single y1, Single x2, Single y2, bool lines) {
  if (lines) {
    e.canvas.Line(x1, y1, x2, y2, e.canvas.ForeColor());
  } else {
    e.canvas.PSet(x1, y1, e.canvas.ForeColor());
    e.canvas.PSet(x2, y2, e.canvas.ForeColor());
  }
}

}  // namespace

void MakeStarRings(DesignState& s) {
  const double p = StarPointLimit(s);
  const double n = StarRingLimit(s);
  const double r = s.StarRadius;
  const Integer rings = CInt(n);
  const Single limit = static_cast<Single>(kTwoPi);
  for (Integer k = 1; k <= rings; ++k) {
    s.PointCount = 0;
    const Single step = static_cast<Single>(kTwoPi / p);
    // Single-precision accumulation decides whether a ring gets an extra
    // point equal to its first; a step that never moves the angle forward
    // still stops at a full table.
    for (Single a = 0; a <= limit && s.PointCount < kLastStarPoint;
         a = static_cast<Single>(a + step)) {
      s.PointCount = s.PointCount + 1;
      const int pt = static_cast<int>(s.PointCount);
      s.CurX = static_cast<Single>(r / n * k * s.XStretch * std::cos(a - kPi / 2) + s.CenterX);
      s.CurY = static_cast<Single>(r / n * k * std::sin(a - kPi / 2) + s.CenterY);
      s.StarX[pt][k] = CInt(s.CurX);
      s.StarY[pt][k] = CInt(s.CurY);
    }
  }
}

void DrawStar(EngineContext& e) {
  DesignState& s = e.s;
  MakeStarRings(s);
  const Single p = StarPointLimit(s);
  const Single n = StarRingLimit(s);
  const bool lines = DrawsLines(s);
  const Long outer = CLng(n);
  for (Single i = 1; i <= n; i = static_cast<Single>(i + 1.0)) {
    const Long ring = CLng(i);
    const Long mirror = CLng(n + 1.0 - i);
    for (Single j = 1; j <= p; j = static_cast<Single>(j + 1.0)) {
      StrokeStep(e);
      const Long pt = CLng(j);
      // The spoke comes again in every pass over the rings, so under an
      // exclusive-or draw mode it shows only for an odd number of rings.
      StarStroke(e, s.CenterX, s.CenterY, s.StarX[pt][outer], s.StarY[pt][outer], lines);
      s.CurX = s.StarX[pt][ring];
      s.CurY = s.StarY[pt][ring];
      const Long next = j < p ? CLng(j + 1.0) : 1;
      s.EndX = s.StarX[next][mirror];
      s.EndY = s.StarY[next][mirror];
      StarStroke(e, s.CurX, s.CurY, s.EndX, s.EndY, lines);
    }
  }
  e.pacer.DoEvents();
}

}  // namespace kalo
