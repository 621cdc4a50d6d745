#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/engine_fixture.h"

namespace kalo {
namespace {

using test::Stroke;

constexpr double kPiAsWritten = 3.14159265;
constexpr double kTwoPiAsWritten = 6.2831853;

TEST(Revolutions, CountTurnsUntilTheCurveCloses) {
  struct Row {
    Single fixed, roll, pen, revolutions;
    const char* why;
  };
  const Row rows[] = {
      {15, 6, 30, 2, "common divisor 3"},
      {6, 15, 30, 5, "common divisor 3, rolling circle the larger"},
      {100, 40, 30, 2, "common divisor 20"},
      {17, 5, 30, 5, "no common divisor"},
      {5, 2, 30, 2, "the search starts one below the smaller radius"},
      {15, 6, 0, 2, "a pen on the rolling circle's centre"},
      {120, 40, 30, 1, "rolling radius divides the fixed one"},
      {40, 120, 30, 3, "fixed radius divides the rolling one"},
      // Radii are rounded half to even for the search; the result uses them
      // as they are.
      {14.5f, 7, 30, 1, "14.5 rounds to 14"},
      {15.5f, 7, 30, 7, "15.5 rounds to 16"},
      {10, 30.4f, 30, 3.04f, "unrounded quotient"},
      {20, 20, 30, 1, "equal radii"},
      {20, 0, 30, 1, "no division by a zero radius"},
  };
  for (const Row& r : rows) {
    DesignState s;
    s.FixedRadius = r.fixed;
    s.RollRadius = r.roll;
    s.PenRadius = r.pen;
    s.Revolutions = -7;
    CalcRevolutions(s);
    EXPECT_FLOAT_EQ(s.Revolutions, r.revolutions) << r.fixed << ", " << r.roll << ": " << r.why;
  }
}

// A = 100, B = 40, C = 30 round (400, 300): the curve closes after two turns.
struct SpiralLayer : test::EngineFixture {
  SpiralLayer(Integer detail, bool lines, bool inside, bool outside) {
    Place(KaloSpiral, 400, 300);
    s.FixedRadius = 100;
    s.RollRadius = 40;
    s.PenRadius = 30;
    s.SpiralInside = inside;
    s.SpiralOutside = outside;
    s.InnerPenMode = s.OuterPenMode = true;
    s.SpiralDetail = detail;
    s.UseLines[KaloSpiral] = lines;
    CalcRevolutions(s);
  }
  void Draw() { DrawSpiral(e); }
  // Passes of the main loop: one yield each, plus the final yield.
  long passes() const { return pacer.yields - 1; }
};

struct Pt {
  double x, y;
};

struct CurveCase {
  bool inside, outside;
  bool innerMode, outerMode, lines;
  Integer detail;
  Single stretch;
};

// Where the pen of one curve stands at angle t: the rolling circle's centre
// runs on a circle of radius A - B (inner) or A + B (outer) round the design
// centre, starting straight above it; the pen is C from that centre at angle
// phi, and every horizontal offset is stretched.
Pt PenAt(const CurveCase& c, bool outer, double t) {
  const double a = 100, b = 40, pen = 30, k = c.stretch, pi = kPiAsWritten;
  const double orbit = outer ? a + b : a - b;
  const double xo = 400 + orbit * (k * std::sin(t - pi)), yo = 300 + orbit * std::cos(t - pi);
  double phi;
  if (!outer) {
    phi = c.innerMode ? a / b * t - t - pi / 2 : -t - pi / 2 - a / b * t;
  } else {
    phi = c.outerMode ? -t + pi / 2 - a / b * t : a / b * t - t + pi / 2;
  }
  return {pen * std::cos(phi) * k + xo, pen * std::sin(phi) + yo};
}

// The whole layer as it should come out: t from 0 in Single steps up to
// Revolutions x 2 pi (coarse levels run 128 / 2^N times as many turns), each
// pass after one yield; lines join each point to the one before on the same
// curve and fine levels close each curve at the end; dots mark every point.
std::vector<Stroke> ExpectedStrokes(const CurveCase& c) {
  const double turns = c.detail < 6 ? 2 * std::floor(128 / std::pow(2.0, c.detail)) : 2;
  const Single limit = static_cast<Single>(turns * kTwoPiAsWritten);
  const Single step =
      static_cast<Single>(kTwoPiAsWritten / (40 * std::pow(3.0, (c.detail + 1) / 2.0 - 4)));
  std::vector<Stroke> out;
  Pt first[2], last[2];
  long pass = 0;
  for (Single t = 0; t <= limit; t = static_cast<Single>(t + step)) {
    ++pass;
    for (int curve = 0; curve < 2; ++curve) {
      if (!(curve == 0 ? c.inside : c.outside)) continue;
      const Pt p = PenAt(c, curve == 1, t);
      const Single x = static_cast<Single>(p.x), y = static_cast<Single>(p.y);
      if (!c.lines) {
        out.push_back({Stroke::kDot, x, y, x, y, static_cast<Long>(pass), 1, 13, pass});
      } else if (t == 0) {
        first[curve] = p;
      } else {
        out.push_back({Stroke::kLine, static_cast<Single>(last[curve].x),
                       static_cast<Single>(last[curve].y), x, y, static_cast<Long>(pass), 1, 13,
                       pass});
      }
      last[curve] = p;
    }
  }
  for (int curve = 0; curve < 2 && c.lines && c.detail >= 6; ++curve) {
    if (!(curve == 0 ? c.inside : c.outside)) continue;
    out.push_back({Stroke::kLine, static_cast<Single>(last[curve].x),
                   static_cast<Single>(last[curve].y), static_cast<Single>(first[curve].x),
                   static_cast<Single>(first[curve].y), static_cast<Long>(pass), 1, 13, pass});
  }
  return out;
}

TEST(SpiralCurves, EveryStrokeFollowsTheRollingCircle) {
  const CurveCase cases[] = {
      // inside, outside, inner mode, outer mode, lines, detail, stretch
      {true, false, true, true, true, 7, 1.5f},  {true, false, false, true, false, 8, 1},
      {false, true, true, true, true, 9, 0.75f}, {false, true, true, false, false, 7, 1.5f},
      {true, true, false, true, true, 6, 1.25f}, {true, true, true, false, true, 11, 1},
      {true, true, false, false, true, 5, 1.5f}, {true, true, true, true, false, 0, 1},
  };
  for (const CurveCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "inside " << c.inside << " outside " << c.outside << " modes " << c.innerMode
                 << c.outerMode << " lines " << c.lines << " detail " << c.detail);
    SpiralLayer l(c.detail, c.lines, c.inside, c.outside);
    l.s.InnerPenMode = c.innerMode;
    l.s.OuterPenMode = c.outerMode;
    l.s.XStretch = c.stretch;
    // Coarse levels work the count out afresh; fine ones take it as it stands.
    if (c.detail < 6) l.s.Revolutions = 7;
    // Each stroke takes the colour of its moment: here, the yields so far.
    Single turnsDuringPass = 0;
    l.pacer.on_yield = [&](long n) {
      l.win.SetForeColor(n);
      if (n == 1) turnsDuringPass = l.s.Revolutions;
    };
    l.Draw();
    const std::vector<Stroke> want = ExpectedStrokes(c);
    ASSERT_EQ(l.win.strokes.size(), want.size());
    for (size_t k = 0; k < want.size(); ++k) {
      const Stroke &got = l.win.strokes[k], &w = want[k];
      ASSERT_EQ(got.kind, w.kind) << k;
      ASSERT_NEAR(got.x1, w.x1, 2e-3) << k;
      ASSERT_NEAR(got.y1, w.y1, 2e-3) << k;
      ASSERT_NEAR(got.x2, w.x2, 2e-3) << k;
      ASSERT_NEAR(got.y2, w.y2, 2e-3) << k;
      ASSERT_EQ(got.yields_before, w.yields_before) << k;
      ASSERT_EQ(got.colour, w.colour) << k;
    }
    // Coarse levels multiply the turns only while the pass runs.
    EXPECT_EQ(turnsDuringPass, c.detail < 6 ? 2 * std::floor(128 / std::pow(2.0, c.detail)) : 2);
    EXPECT_EQ(l.s.Revolutions, 2);
  }
}

TEST(SpiralCurves, QuarterTurnPointsWorkedByHand) {
  // At t = pi/2 (pass 10 of detail 7) with A/B = 2.5 and stretch 1.5 the
  // rolling centre stands 90 (inner) or 210 (outer) left of (400, 300), and
  // each pen angle is an odd multiple of pi/4, 30 / sqrt 2 = 21.2132 away.
  struct Row {
    bool outer, mode;
    double x, y;
  };
  const Row rows[] = {{false, true, 310 + 31.8198, 321.2132},
                      {false, false, 310 + 31.8198, 278.7868},
                      {true, true, 190 - 31.8198, 321.2132},
                      {true, false, 190 - 31.8198, 278.7868}};
  for (const Row& r : rows) {
    SpiralLayer l(7, false, !r.outer, r.outer);
    l.s.InnerPenMode = l.s.OuterPenMode = r.mode;
    l.s.XStretch = 1.5f;
    l.Draw();
    ASSERT_GT(l.win.strokes.size(), 10u);
    EXPECT_NEAR(l.win.strokes[10].x1, r.x, 1e-3) << r.outer << r.mode;
    EXPECT_NEAR(l.win.strokes[10].y1, r.y, 1e-3) << r.outer << r.mode;
  }
}

TEST(SpiralPace, YieldsBeforeEveryPassAndSleepsTheRoundedDelay) {
  SpiralLayer fast(7, true, true, true);
  fast.Draw();
  EXPECT_EQ(fast.pacer.sleeps, 0);
  EXPECT_EQ(fast.passes(), 80)
      << "two turns of 40 points; the Single angle misses the closing point";

  SpiralLayer slow(7, true, true, true);
  slow.s.StrokeDelay = 2.5f;
  long yieldsAtLastSleep = 0;
  slow.pacer.on_sleep = [&](Long) { yieldsAtLastSleep = slow.pacer.yields; };
  slow.Draw();
  EXPECT_EQ(slow.pacer.sleeps, slow.passes());
  EXPECT_EQ(slow.pacer.slept_ms, 2 * slow.passes()) << "2.5 ms rounds to 2";
  EXPECT_EQ(yieldsAtLastSleep, slow.passes()) << "each sleep follows its pass's yield";

  SpiralLayer ended(9, true, true, false);
  ended.pacer.end_after_yields = 20;
  EXPECT_THROW(ended.Draw(), SaverEnded);
  EXPECT_EQ(ended.win.lines(), 18u) << "the saver ending stops the curve midway";
}

}  // namespace
}  // namespace kalo
