// The per-design shape parameters. Every value is a random whole number held
// in the variable's own type; the order of the random draws is part of what a
// design looks like, so it is kept exactly as the blocks below read.
#include "core/numbers.h"
#include "engine/engine.h"

namespace kalo {

namespace {

// Clamps v into lo .. hi: the upper bound first, then the lower one, so a
// range with hi < lo ends at lo.
Single Clamp(Single v, Single lo, Single hi) {
  if (v > hi) v = hi;
  if (v < lo) v = lo;
  return v;
}

bool CoinFlip(RandomSource& rnd) { return Int(static_cast<double>(rnd.Rnd()) * 2) == 1; }

// Moves the rolling radius off the fixed one so the two circles never match.
void SeparateRadiiWithin(DesignState& s, Single maxRadius) {
  if (s.RollRadius != s.FixedRadius) return;
  if (s.RollRadius == 5) {
    s.RollRadius = 6;
  } else if (s.RollRadius == maxRadius) {
    s.RollRadius = static_cast<Single>(static_cast<double>(maxRadius) - 1);
  } else {
    s.RollRadius = static_cast<Single>(static_cast<double>(s.RollRadius) + 1);
  }
}

void PickSpiral(DesignState& s, RandomSource& rnd) {
  // Below 10 no two radii of at least 5 can differ by a factor of two, and the
  // search below would never end (the first picture of a cluster can start
  // with the limits still 0), so such a limit counts as 10.
  const Single maxRadius = s.MaxRadius < 10 ? Single{10} : s.MaxRadius;
  for (;;) {
    s.FixedRadius = Draw(rnd, maxRadius);
    if (s.FixedRadius > maxRadius) s.FixedRadius = maxRadius;
    if (s.FixedRadius < 5) s.FixedRadius = 5;
    s.RollRadius = Draw(rnd, maxRadius);
    if (s.RollRadius < 5) s.RollRadius = 5;
    SeparateRadiiWithin(s, maxRadius);
    s.PenRadius = Draw(rnd, maxRadius);
    if (s.PenRadius > maxRadius) s.PenRadius = maxRadius;
    if (s.PenRadius < 5) s.PenRadius = 5;
    CalcRevolutions(s);

    const double fixed = s.FixedRadius, roll = s.RollRadius;
    const bool farApart = roll <= fixed / 2 || fixed <= roll / 2;
    if (farApart && s.Revolutions < 10 && s.PenRadius >= roll / 2) break;
  }
  s.SpiralInside = CoinFlip(rnd);
  s.SpiralOutside = CoinFlip(rnd);
  if (!s.SpiralInside && !s.SpiralOutside) s.SpiralInside = true;
}

void PickYarn(DesignState& s, RandomSource& rnd) {
  s.YarnRadius = Draw(rnd, s.RadiusRange);
  if (s.YarnRadius < s.MaxRadius) s.YarnRadius = s.MaxRadius;
  s.YarnPoints = Clamp(Draw(rnd, 30), 3, 30);
  // The floor above may lift a three-point Yarn past the drawn range; only
  // that one is brought back.
  if (s.YarnPoints == 3 && s.YarnRadius > s.RadiusRange) s.YarnRadius = s.RadiusRange;
}

void PickStar(DesignState& s, RandomSource& rnd) {
  s.StarRadius = Draw(rnd, s.RadiusRange);
  if (s.StarRadius < s.MaxRadius) s.StarRadius = s.MaxRadius;
  s.StarPoints = Clamp(Draw(rnd, 25), 3, 25);
  s.StarRings = Clamp(Draw(rnd, 20), 1, 20);
}

// Each Gons value is drawn twice, the second time below the first, so small
// values come up more often than large ones.
void PickGons(DesignState& s, RandomSource& rnd) {
  s.GonSides = Draw(rnd, 30);
  s.GonSides = Clamp(Draw(rnd, s.GonSides), 3, 30);
  s.GonTwist = Draw(rnd, 359);
  s.GonTwist = Clamp(Draw(rnd, s.GonTwist), 0, 359);
  s.GonGrowth = Draw(rnd, 100);
  s.GonGrowth = Clamp(Draw(rnd, s.GonGrowth), 10, 100);
  const double style = Int(static_cast<double>(rnd.Rnd()) * 7);
  s.GonStyle = static_cast<Integer>(style > 6 ? 6 : (style < 0 ? 0 : style));
}

void PickAngle(DesignState& s, RandomSource& rnd) {
  Long previousTurn = CLng(s.AngleTurn);
  s.AngleTurn = Clamp(Draw(rnd, 359), 15, 359);
  if (s.AngleTurn == 180) AvoidStraightAngle(s, previousTurn);
  s.AngleGrowth = static_cast<Single>(Int(static_cast<double>(Draw(rnd, 35)) * 1.4));
  s.AngleGrowth = Clamp(Draw(rnd, s.AngleGrowth), 3, 35);
}

void PickBoxes(DesignState& s, RandomSource& rnd) {
  s.BoxCount = Clamp(Draw(rnd, 15), 3, 15);
  const double twist = Int(static_cast<double>(rnd.Rnd()) * 360 / s.BoxCount);
  s.BoxTwist = Clamp(static_cast<Single>(twist), 0, 359);
  s.BoxGrowth = Clamp(Draw(rnd, 80), 20, 80);
  RandomizeBoxFlags(s, rnd);
}

}  // namespace

void PickDesignParams(DesignState& s, RandomSource& rnd) {
  static constexpr void (*kPickers[kDesignTypeCount])(DesignState&, RandomSource&) = {
      PickSpiral, PickYarn, PickStar, PickGons, PickAngle, PickBoxes,
  };
  if (s.DesignType >= 0 && s.DesignType < kDesignTypeCount) kPickers[s.DesignType](s, rnd);
}

void SeparateRadii(DesignState& s) { SeparateRadiiWithin(s, s.MaxRadius); }

// A half turn would fold every segment back onto the one before; nudge it by a
// degree, away from the previous design's turn.
void AvoidStraightAngle(DesignState& s, Long previousTurn) {
  if (s.AngleTurn != 180) return;
  s.AngleTurn = 180 > previousTurn ? 181 : 179;
}

void RandomizeBoxFlags(DesignState& s, RandomSource& rnd) {
  for (int i = 0; i <= 15; ++i) s.BoxFlags[i] = CoinFlip(rnd);
}

}  // namespace kalo
