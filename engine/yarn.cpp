// Yarn: points on a circle round the design centre, every point joined to
// every other by a straight line, like yarn wound round pegs.
#include <cmath>

#include "core/numbers.h"
#include "engine/engine.h"

namespace kalo {

namespace {

// PointX/PointY hold points 1 to 31; index 0 is never used.
constexpr int kLastYarnPoint = 31;

// The number of points, held within what the point tables can take; a count
// from the design set-up (3 to 30) passes unchanged.
Single YarnPointLimit(const DesignState& s) {
  return s.YarnPoints > kLastYarnPoint ? static_cast<Single>(kLastYarnPoint) : s.YarnPoints;
}

}  // namespace

void MakeYarnPoints(DesignState& s) {
  const double n = YarnPointLimit(s);
  const double r = s.YarnRadius;
  s.PointCount = 0;
  const Single step = static_cast<Single>(kTwoPi / n);
  const Single limit = static_cast<Single>(kTwoPi);
  // The angle is accumulated in single precision on purpose: that is what
  // decides whether a last point, equal to the first, comes out as well.
  // A step that never moves the angle forward still stops at a full table.
  for (Single a = 0; a <= limit && s.PointCount < kLastYarnPoint;
       a = static_cast<Single>(a + step)) {
    s.PointCount = s.PointCount + 1;
    const int k = static_cast<int>(s.PointCount);
    s.PointX[k] = CInt(r * std::cos(a - kPi / 2) * s.XStretch + s.CenterX);
    s.PointY[k] = CInt(r * std::sin(a - kPi / 2) + s.CenterY);
  }
}

void DrawYarn(EngineContext& e) {
  DesignState& s = e.s;
  MakeYarnPoints(s);
  // Only the first n points are joined; a last point that repeats point 1 is
  // left out. Never read past the points just made.
  Single n = YarnPointLimit(s);
  if (s.PointCount < n) n = s.PointCount;
  const Single iLast = static_cast<Single>(n - 1.0);
  for (Single i = 1; i <= iLast; i = static_cast<Single>(i + 1.0)) {
    const Long pi = CLng(i);
    for (Single j = static_cast<Single>(i + 1.0); j <= n; j = static_cast<Single>(j + 1.0)) {
      StrokeStep(e);
      const Long pj = CLng(j);
      e.canvas.Line(s.PointX[pi], s.PointY[pi], s.PointX[pj], s.PointY[pj], e.canvas.ForeColor());
    }
  }
  e.pacer.DoEvents();
}

}  // namespace kalo
