#include <gtest/gtest.h>

#include <cmath>

#include "support/engine_fixture.h"

namespace kalo {
namespace {

using test::Stroke;

Single RevolutionsFor(Single fixed, Single roll, Single pen = 30) {
  DesignState s;
  s.FixedRadius = fixed;
  s.RollRadius = roll;
  s.PenRadius = pen;
  s.Revolutions = -7;
  CalcRevolutions(s);
  return s.Revolutions;
}

TEST(Revolutions, CountTurnsUntilTheCurveCloses) {
  EXPECT_EQ(RevolutionsFor(15, 6), 2) << "common divisor 3";
  EXPECT_EQ(RevolutionsFor(6, 15), 5);
  EXPECT_EQ(RevolutionsFor(100, 40), 2);
  EXPECT_EQ(RevolutionsFor(17, 5), 5) << "no common divisor";
  EXPECT_EQ(RevolutionsFor(15, 6, 0), 2) << "a pen on the centre";
  EXPECT_EQ(RevolutionsFor(120, 40), 1) << "rolling radius divides the fixed one";
  EXPECT_EQ(RevolutionsFor(40, 120), 3) << "fixed radius divides the rolling one";
  // Radii are rounded half to even before the divisor search, but the result
  // uses them as they are.
  EXPECT_EQ(RevolutionsFor(14.5f, 7), 1);
  EXPECT_EQ(RevolutionsFor(15.5f, 7), 7);
  EXPECT_FLOAT_EQ(RevolutionsFor(10, 30.4f), 3.04f);
  EXPECT_EQ(RevolutionsFor(20, 20), 1);
  EXPECT_EQ(RevolutionsFor(20, 0), 1) << "no division by a zero radius";
}

struct SpiralLayer : test::EngineFixture {
  // A = 120, B = 40, C = 30: the inner curve stays within 50 .. 110 of the
  // centre, the outer one within 130 .. 190; it closes after one turn.
  SpiralLayer(Integer detail, bool lines, bool inside, bool outside) {
    Place(KaloSpiral, 400, 300);
    s.FixedRadius = 120;
    s.RollRadius = 40;
    s.PenRadius = 30;
    s.SpiralInside = ToBoolean(inside);
    s.SpiralOutside = ToBoolean(outside);
    s.InnerPenMode = True;
    s.OuterPenMode = True;
    s.SpiralDetail = detail;
    s.UseLines[KaloSpiral] = ToBoolean(lines);
    CalcRevolutions(s);
    win.SetForeColor(0x00FF00);
  }
  void Draw() { DrawSpiral(e); }
  // Passes of the main loop: one yield each, plus the final yield.
  long passes() const { return pacer.yields - 1; }
  double DistanceFromCentre(Single x, Single y) const {
    return std::hypot(x - s.CenterX, y - s.CenterY);
  }
};

TEST(SpiralSteps, FineLevelsDrawFortyOrThreeHundredSixtyPointsPerTurn) {
  // Even levels fall between the odd ones: level 8 has 40 * sqrt(3) points.
  for (auto [detail, perTurn] :
       {std::pair{7, 40.0}, std::pair{11, 360.0}, std::pair{8, 40 * std::sqrt(3.0)}}) {
    SCOPED_TRACE(testing::Message() << "detail " << detail);
    // With the pen on the rolling circle's centre each dot marks that centre,
    // so the angle between neighbouring dots is the step.
    SpiralLayer l(detail, false, true, false);
    l.s.PenRadius = 0;
    l.s.Revolutions = 1;
    l.Draw();
    const double step = 2 * 3.14159265 / perTurn;
    const auto& st = l.win.strokes;
    for (size_t k = 1; k < st.size(); ++k) {
      const double a0 = std::atan2(st[k - 1].y1 - 300, st[k - 1].x1 - 400);
      const double a1 = std::atan2(st[k].y1 - 300, st[k].x1 - 400);
      EXPECT_NEAR(std::fabs(std::remainder(a1 - a0, 2 * 3.14159265)), step, 1e-4);
      if (HasFailure()) break;
    }
    // The Single angle decides whether the point back at the start is
    // reached once more after a whole turn.
    EXPECT_GE(l.passes(), std::floor(perTurn));
    EXPECT_LE(l.passes(), std::floor(perTurn) + 1);

    SpiralLayer two(detail, false, true, false);
    two.s.Revolutions = 2;
    two.Draw();
    EXPECT_GE(two.passes(), std::floor(2 * perTurn));
    EXPECT_LE(two.passes(), std::floor(2 * perTurn) + 1);
  }
}

TEST(SpiralSteps, CoarseLevelsRunManyMoreTurnsAndPutTheCountBack) {
  SpiralLayer l(0, true, true, false);
  Single revolutionsDuringPass = 0;
  l.pacer.on_yield = [&](long n) {
    if (n == 1) revolutionsDuringPass = l.s.Revolutions;
  };
  l.Draw();
  EXPECT_EQ(revolutionsDuringPass, 128);
  EXPECT_EQ(l.s.Revolutions, 1);
  // 128 turns at a step of about 7.35 radians: 110 points, each more than a
  // full turn past the one before.
  EXPECT_EQ(l.passes(), 110);
  EXPECT_EQ(l.win.lines(), 109u) << "no closing segment at a coarse level";

  SpiralLayer five(5, true, true, false);
  five.pacer.on_yield = [&](long n) {
    if (n == 1) revolutionsDuringPass = five.s.Revolutions;
  };
  five.Draw();
  EXPECT_EQ(revolutionsDuringPass, 4);
  EXPECT_EQ(five.s.Revolutions, 1);
}

TEST(SpiralLines, FirstPassOnlyStartsTheCurveAndTheLastClosesIt) {
  SpiralLayer l(9, true, true, true);
  l.Draw();
  const long passes = l.passes();
  ASSERT_EQ(passes, 120);
  ASSERT_EQ(l.win.lines(), static_cast<size_t>(2 * (passes - 1) + 2));
  EXPECT_EQ(l.win.dots(), 0u);
  const auto& st = l.win.strokes;
  EXPECT_EQ(st.front().yields_before, 2) << "nothing is drawn on the first pass";

  // Both curves start straight above the centre, the pen above its circle.
  const Stroke& firstInner = st[0];
  const Stroke& firstOuter = st[1];
  EXPECT_NEAR(firstInner.x1, 400, 1e-3);
  EXPECT_NEAR(firstInner.y1, 300 - 80 - 30, 1e-3);
  EXPECT_NEAR(firstOuter.x1, 400, 1e-3);
  EXPECT_NEAR(firstOuter.y1, 300 - 160 + 30, 1e-3);

  // Closing: inner then outer, each from its last point back to its start.
  const Stroke& closeInner = st[st.size() - 2];
  const Stroke& closeOuter = st[st.size() - 1];
  EXPECT_EQ(closeInner.x1, st[st.size() - 4].x2);
  EXPECT_EQ(closeInner.y1, st[st.size() - 4].y2);
  EXPECT_EQ(closeInner.x2, firstInner.x1);
  EXPECT_EQ(closeInner.y2, firstInner.y1);
  EXPECT_EQ(closeOuter.x1, st[st.size() - 3].x2);
  EXPECT_EQ(closeOuter.x2, firstOuter.x1);
  EXPECT_EQ(closeOuter.y2, firstOuter.y1);
  EXPECT_EQ(closeOuter.yields_before, passes) << "closed before the final yield";

  // Each segment joins on to the one before it on the same curve.
  for (size_t k = 2; k + 2 < st.size(); ++k) {
    EXPECT_EQ(st[k].x1, st[k - 2].x2);
    EXPECT_EQ(st[k].y1, st[k - 2].y2);
  }
}

TEST(SpiralDots, EveryPassSetsOneDotPerCurveIncludingTheFirst) {
  SpiralLayer l(9, false, true, true);
  l.Draw();
  const long passes = l.passes();
  EXPECT_EQ(l.win.dots(), static_cast<size_t>(2 * passes));
  EXPECT_EQ(l.win.lines(), 0u);
  const Stroke& first = l.win.strokes.front();
  EXPECT_EQ(first.yields_before, 1);
  EXPECT_NEAR(first.x1, 400, 1e-3);
  EXPECT_NEAR(first.y1, 300 - 80 - 30, 1e-3);

  SpiralLayer coarse(2, false, true, false);
  coarse.Draw();
  EXPECT_EQ(coarse.win.dots(), static_cast<size_t>(coarse.passes()));
}

TEST(SpiralCurves, OnlyTheChosenCurvesAreDrawn) {
  SpiralLayer outer(8, true, false, true);
  outer.Draw();
  EXPECT_EQ(outer.win.lines(), static_cast<size_t>(outer.passes()));
  for (const Stroke& st : outer.win.strokes) {
    EXPECT_GE(outer.DistanceFromCentre(st.x2, st.y2), 130 - 1e-3);
    EXPECT_LE(outer.DistanceFromCentre(st.x2, st.y2), 190 + 1e-3);
  }

  SpiralLayer inner(8, true, true, false);
  inner.s.InnerPenMode = False;
  inner.Draw();
  for (const Stroke& st : inner.win.strokes) {
    EXPECT_GE(inner.DistanceFromCentre(st.x2, st.y2), 50 - 1e-3);
    EXPECT_LE(inner.DistanceFromCentre(st.x2, st.y2), 110 + 1e-3);
  }

  // A flag counts only when it is exactly True.
  SpiralLayer neither(8, true, false, false);
  neither.s.SpiralInside = 1;
  neither.Draw();
  EXPECT_TRUE(neither.win.strokes.empty());
}

TEST(SpiralStretch, WidensTheCurveSidewaysOnly) {
  SpiralLayer round(9, false, false, true);
  round.Draw();
  SpiralLayer wide(9, false, false, true);
  wide.s.XStretch = 2;
  wide.Draw();
  ASSERT_EQ(wide.win.strokes.size(), round.win.strokes.size());
  for (size_t k = 0; k < round.win.strokes.size(); ++k) {
    const Stroke& r = round.win.strokes[k];
    const Stroke& w = wide.win.strokes[k];
    EXPECT_NEAR(w.x1 - 400, 2 * (r.x1 - 400), 1e-3);
    EXPECT_EQ(w.y1, r.y1);
  }
}

TEST(SpiralPace, YieldsBeforeEveryPassAndSleepsTheRoundedDelay) {
  SpiralLayer fast(7, true, true, true);
  fast.Draw();
  EXPECT_EQ(fast.pacer.sleeps, 0);

  SpiralLayer slow(7, true, true, true);
  slow.s.StrokeDelay = 2.5f;
  long yieldsAtLastSleep = 0;
  slow.pacer.on_sleep = [&](Long) { yieldsAtLastSleep = slow.pacer.yields; };
  slow.Draw();
  EXPECT_EQ(slow.pacer.sleeps, slow.passes());
  EXPECT_EQ(slow.pacer.slept_ms, 2 * slow.passes()) << "2.5 ms rounds to 2";
  EXPECT_EQ(yieldsAtLastSleep, slow.passes()) << "each sleep follows its pass's yield";
}

TEST(SpiralColour, EveryStrokeTakesTheColourOfTheMoment) {
  SpiralLayer l(7, true, true, false);
  l.pacer.on_yield = [&](long n) {
    if (n == 10) l.win.SetForeColor(0x0000FF);
  };
  l.Draw();
  for (const Stroke& st : l.win.strokes) {
    EXPECT_EQ(st.colour, st.yields_before < 10 ? 0x00FF00 : 0x0000FF);
  }
}

TEST(SpiralEnd, TheSaverEndingStopsTheCurveMidway) {
  SpiralLayer l(9, true, true, false);
  l.pacer.end_after_yields = 20;
  EXPECT_THROW(l.Draw(), SaverEnded);
  EXPECT_EQ(l.win.lines(), 18u);
}

}  // namespace
}  // namespace kalo
