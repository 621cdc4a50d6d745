// KaloSpiral: the curves traced by a pen on a circle rolling round a fixed
// circle, inside it, outside it, or both, as joined segments or as dots.
#include <cmath>

#include "core/numbers.h"
#include "engine/engine.h"

namespace kalo {

namespace {

// Below this level a revolution holds too few points to read as a curve, so
// the pass runs for many more revolutions and the points fall between the
// earlier ones.
constexpr Integer kFineDetail = 6;

struct Point {
  Single x = 0, y = 0;
};

// One of the two curves: where it started and where its last stroke ended.
struct Curve {
  Point first, previous;
};

bool DrawsLines(const DesignState& s) {
  return s.DesignType >= 0 && s.DesignType < kDesignTypeCount && s.UseLines[s.DesignType];
}

// The pen point at angle t for a rolling circle whose centre runs on a circle
// of radius `orbit`; `phi` is the pen angle already worked out for t.
void PenPoint(DesignState& s, double orbit, double t, double phi) {
  const double k = s.XStretch;
  const double xo = s.CenterX + orbit * (k * std::sin(t - kPi));
  const double yo = s.CenterY + orbit * std::cos(t - kPi);
  s.CurX = static_cast<Single>(s.PenRadius * std::cos(phi) * k + xo);
  s.CurY = static_cast<Single>(s.PenRadius * std::sin(phi) + yo);
}

void StrokeCurve(EngineContext& e, Curve& c, Single t, bool lines) {
  const Point p{e.s.CurX, e.s.CurY};
  if (lines) {
    // The first point only starts the curve; the last pass closes onto it.
    if (t == 0) {
      c.first = p;
    } else {
      e.canvas.Line(c.previous.x, c.previous.y, p.x, p.y, e.canvas.ForeColor());
    }
    c.previous = p;
  } else {
    e.canvas.PSet(p.x, p.y, e.canvas.ForeColor());
  }
}

}  // namespace

void CalcRevolutions(DesignState& s) {
  if (s.PenRadius == 0) {
    s.Revolutions = 2;
    return;
  }
  const Long a = CLng(s.FixedRadius);
  const Long b = CLng(s.RollRadius);
  const Long big = a > b ? a : b;
  const Long small = a > b ? b : a;
  // Equal or degenerate radii close after one turn; a zero radius would
  // otherwise divide by zero.
  if (small < 1 || a == b) {
    s.Revolutions = 1;
    return;
  }
  if (big % small == 0) {
    s.Revolutions =
        a < b ? static_cast<Single>(static_cast<double>(s.RollRadius) / s.FixedRadius) : Single{1};
    return;
  }
  for (Long d = small - 1; d >= 1; --d) {
    if (big % d == 0 && small % d == 0) {
      s.Revolutions = static_cast<Single>(static_cast<double>(s.RollRadius) / d);
      return;
    }
  }
}

void DrawSpiral(EngineContext& e) {
  DesignState& s = e.s;
  const Integer detail = s.SpiralDetail;
  const bool coarse = detail < kFineDetail;
  if (coarse) {
    CalcRevolutions(s);
    s.Revolutions = static_cast<Single>(s.Revolutions * Int(128 / std::pow(2.0, detail)));
  }
  const Single limit = static_cast<Single>(s.Revolutions * kTwoPi);
  const Single step = static_cast<Single>(kTwoPi / (40 * std::pow(3.0, (detail + 1) / 2.0 - 4)));

  const bool lines = DrawsLines(s);
  const bool inside = s.SpiralInside;
  const bool outside = s.SpiralOutside;
  const double a = s.FixedRadius;
  const double ratio = a / s.RollRadius;
  Curve inner, outer;

  for (Single t = 0; t <= limit; t = static_cast<Single>(t + step)) {
    StrokeStep(e);
    const double tt = t;
    if (inside) {
      const double phi = s.InnerPenMode ? ratio * tt - tt - kPi / 2 : -tt - kPi / 2 - ratio * tt;
      PenPoint(s, a - s.RollRadius, tt, phi);
      StrokeCurve(e, inner, t, lines);
    }
    if (outside) {
      const double phi = s.OuterPenMode ? -tt + kPi / 2 - ratio * tt : ratio * tt - tt + kPi / 2;
      PenPoint(s, a + s.RollRadius, tt, phi);
      StrokeCurve(e, outer, t, lines);
    }
  }

  if (coarse) {
    // Put the revolution count back for the next layer and for the record.
    CalcRevolutions(s);
  } else if (lines) {
    if (inside) {
      e.canvas.Line(inner.previous.x, inner.previous.y, inner.first.x, inner.first.y,
                 e.canvas.ForeColor());
    }
    if (outside) {
      e.canvas.Line(outer.previous.x, outer.previous.y, outer.first.x, outer.first.y,
                 e.canvas.ForeColor());
    }
  }
  e.pacer.DoEvents();
}

}  // namespace kalo
