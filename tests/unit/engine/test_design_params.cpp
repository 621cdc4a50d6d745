#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/random.h"
#include "support/engine_fixture.h"

namespace kalo {
namespace {

using test::Control;
using test::ScriptedRandom;

// A Rnd value that makes Draw(n) give exactly k.
Single Gives(int k, double n) { return static_cast<Single>((k - 0.5) / n); }

bool Whole(Single v) { return v == std::floor(v); }

TEST(SpiralSetUp, NeverGivesCloseRadiiLongClosuresOrATuckedInPen) {
  for (Single maxRadius : {Single{216}, Single{500}, Single{12}, Single{40}}) {
    SystemRandom rnd(1234 + static_cast<uint64_t>(maxRadius));
    DesignState s;
    s.DesignType = KaloSpiral;
    s.MaxRadius = maxRadius;
    for (int n = 0; n < 2000; ++n) {
      PickDesignParams(s, rnd);
      SCOPED_TRACE(testing::Message() << "MaxRadius " << maxRadius << " A " << s.FixedRadius
                                      << " B " << s.RollRadius << " C " << s.PenRadius);
      EXPECT_TRUE(s.RollRadius <= s.FixedRadius / 2 || s.FixedRadius <= s.RollRadius / 2);
      EXPECT_LT(s.Revolutions, 10);
      EXPECT_GE(s.PenRadius, s.RollRadius / 2);
      EXPECT_GE(s.FixedRadius, 5);
      EXPECT_LE(s.FixedRadius, maxRadius);
      EXPECT_GE(s.PenRadius, 5);
      EXPECT_LE(s.PenRadius, maxRadius);
      EXPECT_TRUE(Whole(s.FixedRadius) && Whole(s.RollRadius) && Whole(s.PenRadius));
      EXPECT_TRUE(s.SpiralInside || s.SpiralOutside);
      if (HasFailure()) return;
    }
  }
}

TEST(SpiralSetUp, ALimitBelowTenStillEndsWithinTen) {
  for (Single maxRadius : {Single{0}, Single{3}, Single{9}}) {
    SystemRandom rnd(99);
    DesignState s;
    s.DesignType = KaloSpiral;
    s.MaxRadius = maxRadius;
    for (int n = 0; n < 200; ++n) {
      PickDesignParams(s, rnd);
      EXPECT_TRUE(s.RollRadius <= s.FixedRadius / 2 || s.FixedRadius <= s.RollRadius / 2);
      EXPECT_LE(s.FixedRadius, 10);
      EXPECT_LE(s.RollRadius, 10);
      EXPECT_LE(s.PenRadius, 10);
    }
    EXPECT_EQ(s.MaxRadius, maxRadius) << "the design loop's limit is left as it was";
  }
}

TEST(SpiralSetUp, EachTryDrawsThreeRadiiUntilAllThreeRulesHoldThenTwoCoins) {
  // A try is taken only when one radius is at most half the other, the curve
  // closes within fewer than ten turns and the pen is at least half the
  // rolling radius. Rows whose first try is taken go on with a try that a
  // slip in a rule would take instead (150, 30, 40); taken rightly, its first
  // two draws are the coins: the inner curve wins, the outer one does not.
  struct Row {
    std::vector<int> radii;  // Draw(216) per radius, three a try
    std::vector<Single> coins;
    Single fixed, roll, pen, revolutions;
    bool inside, outside;
  };
  const Row rows[] = {
      // Too close, then taken; no coin won: the inner curve anyway.
      {{100, 60, 40, 100, 40, 30}, {0.2f, 0.4f}, 100, 40, 30, 2, true, false},
      // Exactly half apart, the pen exactly half the rolling radius.
      {{100, 50, 25, 150, 30, 40}, {}, 100, 50, 25, 1, true, false},
      // A pen just under half the rolling radius.
      {{100, 40, 19, 100, 40, 20}, {0.499f, 0.5f}, 100, 40, 20, 2, false, true},
      // Ten turns are too many; 22 and 10 close after five.
      {{21, 10, 30, 22, 10, 30}, {0.5f, 0.499f}, 22, 10, 30, 5, true, false},
      // Radii drawn below 5 are raised to 5.
      {{3, 10, 2, 150, 30, 40}, {}, 5, 10, 5, 2, true, false},
      {{20, 4, 3, 150, 30, 40}, {}, 20, 5, 5, 1, true, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "first try " << r.radii[0] << ", " << r.radii[1]);
    ScriptedRandom rnd;
    for (int v : r.radii) rnd.Push(Gives(v, 216));
    for (Single v : r.coins) rnd.Push(v);
    DesignState s;
    s.DesignType = KaloSpiral;
    s.MaxRadius = 216;
    PickDesignParams(s, rnd);
    EXPECT_EQ(s.FixedRadius, r.fixed);
    EXPECT_EQ(s.RollRadius, r.roll);
    EXPECT_EQ(s.PenRadius, r.pen);
    EXPECT_EQ(s.Revolutions, r.revolutions);
    EXPECT_EQ(s.SpiralInside, r.inside);
    EXPECT_EQ(s.SpiralOutside, r.outside);
    EXPECT_EQ(rnd.fallback_draws(), 0);
  }
}

TEST(SpiralSetUp, SeparateRadiiMovesOnlyAMatchingRollingRadius) {
  DesignState s;
  s.MaxRadius = 216;
  auto separated = [&](Single fixed, Single roll) {
    s.FixedRadius = fixed;
    s.RollRadius = roll;
    SeparateRadii(s);
    EXPECT_EQ(s.FixedRadius, fixed);
    return s.RollRadius;
  };
  EXPECT_EQ(separated(5, 5), 6);
  EXPECT_EQ(separated(216, 216), 215);
  EXPECT_EQ(separated(80, 80), 81);
  EXPECT_EQ(separated(80, 81), 81);
}

TEST(RadiusDraws, YarnAndStarRadiiNeverFallBelowTheLargestRadius) {
  struct Row {
    Integer type;
    Single maxRadius, range;
    std::vector<Single> draws;
    Single radius, points, rings;
  };
  const Row rows[] = {
      // A single picture: 216 .. 999, a three-point Yarn not capped.
      {KaloYarn, 216, 999, {Gives(500, 999), Gives(3, 30)}, 500, 3, 0},
      {KaloYarn, 216, 999, {Gives(215, 999), Gives(30, 30)}, 216, 30, 0},
      {KaloYarn, 216, 999, {Gives(216, 999), Gives(17, 30)}, 216, 17, 0},
      // A cluster range below the floor: the floor, but a triangle is capped.
      {KaloYarn, 260, 150, {0.99f, Gives(12, 30)}, 260, 12, 0},
      {KaloYarn, 260, 150, {0.5f, Gives(4, 30)}, 260, 4, 0},
      {KaloYarn, 260, 150, {0.5f, Gives(3, 30)}, 150, 3, 0},
      {KaloYarn, 260, 150, {0.5f, 0.0f}, 150, 3, 0},  // one point is raised to three
      {KaloStar, 260, 150, {0.2f, 0.0f, 0.999f}, 260, 3, 20},
      {KaloStar, 216, 999, {Gives(700, 999), Gives(25, 25), 0.0f}, 700, 25, 1},
      {KaloStar, 216, 999, {Gives(100, 999), Gives(24, 25), Gives(2, 20)}, 216, 24, 2},
  };
  for (const Row& r : rows) {
    ScriptedRandom rnd;
    for (Single v : r.draws) rnd.Push(v);
    DesignState s;
    s.DesignType = r.type;
    s.MaxRadius = r.maxRadius;
    s.RadiusRange = r.range;
    PickDesignParams(s, rnd);
    SCOPED_TRACE(testing::Message() << "type " << r.type << " draws " << r.draws[0]);
    EXPECT_EQ(rnd.draws(), static_cast<int>(r.draws.size()));
    if (r.type == KaloYarn) {
      EXPECT_EQ(s.YarnRadius, r.radius);
      EXPECT_EQ(s.YarnPoints, r.points);
    } else {
      EXPECT_EQ(s.StarRadius, r.radius);
      EXPECT_EQ(s.StarPoints, r.points);
      EXPECT_EQ(s.StarRings, r.rings);
    }
  }
}

TEST(GonsSetUp, SecondDrawsFavourSmallValuesAndClampIntoRange) {
  // Each value is Draw(n) and then Draw(of that); the rows give both results.
  struct Row {
    int sides[2], twist[2], growth[2];
    Single styleDraw;
    Single wantSides, wantTwist, wantGrowth;
    Integer wantStyle;
  };
  const Row rows[] = {
      {{20, 2}, {200, 50}, {60, 4}, 0.99f, 3, 50, 10, 6},
      {{20, 7}, {90, 1}, {60, 30}, 0.857f, 7, 1, 30, 5},
      {{30, 30}, {359, 180}, {100, 100}, 0.0f, 30, 180, 100, 0},
      {{30, 3}, {359, 359}, {100, 10}, 0.5f, 3, 359, 10, 3},
  };
  for (const Row& r : rows) {
    ScriptedRandom rnd{Gives(r.sides[0], 30),
                       Gives(r.sides[1], r.sides[0]),
                       Gives(r.twist[0], 359),
                       Gives(r.twist[1], r.twist[0]),
                       Gives(r.growth[0], 100),
                       Gives(r.growth[1], r.growth[0]),
                       r.styleDraw};
    DesignState s;
    s.DesignType = KaloGons;
    PickDesignParams(s, rnd);
    EXPECT_EQ(rnd.draws(), 7);
    EXPECT_EQ(s.GonSides, r.wantSides);
    EXPECT_EQ(s.GonTwist, r.wantTwist);
    EXPECT_EQ(s.GonGrowth, r.wantGrowth);
    EXPECT_EQ(s.GonStyle, r.wantStyle);
  }
}

TEST(AngleSetUp, AHalfTurnIsNudgedAwayFromThePreviousTurn) {
  auto turnAfter = [](Single previous) {
    DesignState s;
    s.DesignType = KaloAngle;
    s.AngleTurn = previous;
    ScriptedRandom rnd{Gives(180, 359), Gives(25, 35), Gives(20, 35)};
    PickDesignParams(s, rnd);
    EXPECT_EQ(rnd.draws(), 3);
    // Draw(35) = 25 becomes 35 after the factor 1.4; the second draw gives 20.
    EXPECT_EQ(s.AngleGrowth, 20);
    return s.AngleTurn;
  };
  EXPECT_EQ(turnAfter(0), 181) << "the very first Angle design";
  EXPECT_EQ(turnAfter(90), 181);
  EXPECT_EQ(turnAfter(270), 179);
  EXPECT_EQ(turnAfter(180), 179);

  DesignState s;
  s.DesignType = KaloAngle;
  ScriptedRandom small{0.0f, 0.0f, 0.0f};
  PickDesignParams(s, small);
  EXPECT_EQ(s.AngleTurn, 15);
  EXPECT_EQ(s.AngleGrowth, 3);
  // Draw(35) = 35 becomes 49, and Draw(49) = 49 is held at 35.
  ScriptedRandom large{0.3f, 0.999f, 0.999f};
  PickDesignParams(s, large);
  EXPECT_EQ(s.AngleTurn, 108);
  EXPECT_EQ(s.AngleGrowth, 35);
}

TEST(BoxesSetUp, TwistStaysWithinOneBoxSpacingAndSixteenFlagsAreDrawn) {
  struct Row {
    Single count, twistDraw, growth;
    Single wantCount, wantTwist, wantGrowth;
  };
  for (const Row& r : {Row{Gives(8, 15), 0.5f, Gives(9, 80), 8, 22, 20},  // Int(0.5 * 360 / 8)
                       Row{Gives(2, 15), 0.999f, 0.999f, 3, 119, 80},
                       Row{0.999f, 0.999f, Gives(47, 80), 15, 23, 47}}) {
    DesignState s;
    s.DesignType = KaloBoxes;
    s.BoxFlags[16] = true;
    ScriptedRandom rnd{r.count, r.twistDraw, r.growth};
    for (int i = 0; i < 16; ++i) rnd.Push(i % 3 == 0 ? 0.5f : 0.499f);
    PickDesignParams(s, rnd);
    EXPECT_EQ(rnd.draws(), 19);
    EXPECT_EQ(rnd.fallback_draws(), 0);
    EXPECT_EQ(s.BoxCount, r.wantCount);
    EXPECT_EQ(s.BoxTwist, r.wantTwist);
    EXPECT_EQ(s.BoxGrowth, r.wantGrowth);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(s.BoxFlags[i], i % 3 == 0) << i;
    EXPECT_TRUE(s.BoxFlags[16]);
  }
}

// A window and pacer set up for one layer.
using Layer = test::EngineFixture;

void SetUpExampleSpiral(Layer& l) {
  l.Place(KaloSpiral, 960, 540);
  l.s.FixedRadius = 60;
  l.s.RollRadius = 25;
  l.s.PenRadius = 40;
  l.s.SpiralInside = true;
  l.s.SpiralOutside = false;
  l.s.InnerPenMode = true;
  l.s.OuterPenMode = true;
  l.s.SpiralDetail = 9;
  CalcRevolutions(l.s);
  l.win.SetForeColor(16711680);
  l.win.SetDrawWidth(3);
  l.win.SetDrawMode(RasterMode::CopyPen);
}

TEST(DesignRecord, ALayerAppendsItsFieldsAfterWhatIsThere) {
  Layer l;
  SetUpExampleSpiral(l);
  l.s.DesignRecord = " 0\\";
  DrawDesign(l.e);
  EXPECT_EQ(l.s.DesignRecord,
            " 0\\ 0\\ 16711680\\ 3\\ 1\\ 60\\ 25\\ 40\\-1\\ 0\\-1\\-1\\-1\\ 9\\ 13\\/");
  EXPECT_GT(l.win.lines(), 0u);

  // A second layer in another mode and pen width follows as its own record.
  const std::string first = l.s.DesignRecord;
  l.win.SetDrawMode(RasterMode::XorPen);
  l.win.SetDrawWidth(1);
  DrawDesign(l.e);
  EXPECT_EQ(l.s.DesignRecord,
            first + " 0\\ 16711680\\ 1\\ 1\\ 60\\ 25\\ 40\\-1\\ 0\\-1\\-1\\-1\\ 9\\ 7\\/");
}

TEST(DesignRecord, YarnIsAlwaysRecordedAndDrawnWithLines) {
  Layer l;
  l.s.DesignType = KaloYarn;
  l.s.XStretch = 1;
  l.s.YarnRadius = 260;
  l.s.YarnPoints = 12;
  l.s.UseLines[KaloYarn] = false;
  l.win.SetForeColor(255);
  l.win.SetDrawWidth(3);
  l.win.SetDrawMode(RasterMode::CopyPen);
  DrawDesign(l.e);
  EXPECT_EQ(l.s.DesignRecord, " 1\\ 255\\ 3\\ 1\\ 260\\ 12\\-1\\ 13\\/");
  EXPECT_EQ(l.s.UseLines[KaloYarn], true);
}

// The layer's parameter fields come before any drawing, so they are checked on
// a layer ended at its first yield; this holds whatever the renderer draws.
std::string FieldsOf(Layer& l) {
  l.pacer.end_after_yields = 1;
  try {
    DrawDesign(l.e);
  } catch (const SaverEnded&) {
  }
  return l.s.DesignRecord;
}

TEST(DesignRecord, EachTypeWritesItsOwnFieldsInOrder) {
  {
    Layer l;
    l.s.DesignType = KaloStar;
    l.s.XStretch = 1.5f;
    l.s.StarRadius = 300;
    l.s.StarPoints = 9;
    l.s.StarRings = 4;
    l.s.UseLines[KaloStar] = true;
    EXPECT_EQ(FieldsOf(l).rfind(" 2\\ 0\\ 1\\ 1.5\\ 300\\ 9\\ 4\\-1\\", 0), 0u) << l.s.DesignRecord;
  }
  {
    Layer l;
    l.s.DesignType = KaloGons;
    l.s.XStretch = 0.5f;
    l.s.GonSides = 6;
    l.s.GonTwist = 12;
    l.s.GonGrowth = 35;
    l.s.GonStyle = 4;
    l.s.GonReach = 1.8f;
    l.s.HalfWidth = 100;
    EXPECT_EQ(FieldsOf(l).rfind(" 3\\ 0\\ 1\\ .5\\ 6\\ 12\\ 35\\ 4\\ 0\\", 0), 0u)
        << l.s.DesignRecord;
  }
  {
    Layer l;
    l.s.DesignType = KaloAngle;
    l.s.XStretch = 1;
    l.s.AngleTurn = 181;
    l.s.AngleGrowth = 12;
    l.s.AngleReach = 10;
    l.s.HalfWidth = 100;
    EXPECT_EQ(FieldsOf(l).rfind(" 4\\ 0\\ 1\\ 1\\ 181\\ 12\\ 0\\", 0), 0u) << l.s.DesignRecord;
  }
  {
    Layer l;
    l.s.DesignType = KaloBoxes;
    l.s.XStretch = 1;
    l.s.BoxTwist = 7;
    l.s.BoxCount = 5;
    l.s.BoxGrowth = 40;
    l.s.BoxReach = 1.04f;
    l.s.HalfWidth = 100;
    std::string flags;
    for (int i = 0; i < 16; ++i) {
      l.s.BoxFlags[i] = i < 2;
      flags += i < 2 ? "-1\\" : " 0\\";
    }
    l.s.UseLines[KaloBoxes] = true;
    EXPECT_EQ(FieldsOf(l).rfind(" 5\\ 0\\ 1\\ 1\\ 7\\ 5\\ 40\\" + flags + "-1\\", 0), 0u)
        << l.s.DesignRecord;
  }
}

TEST(DesignRecord, ALayerCutShortKeepsItsFieldsButNoDrawModeOrSlash) {
  Layer l;
  SetUpExampleSpiral(l);
  l.pacer.end_after_yields = 5;
  EXPECT_THROW(DrawDesign(l.e), SaverEnded);
  EXPECT_EQ(l.s.DesignRecord, " 0\\ 16711680\\ 3\\ 1\\ 60\\ 25\\ 40\\-1\\ 0\\-1\\-1\\-1\\ 9\\");
}

TEST(NameButton, IsCentredOnTheDesignAndShownBeforeTheFirstStroke) {
  Layer l;
  SetUpExampleSpiral(l);
  l.s.CenterX = 500;
  l.s.CenterY = 300;
  l.s.ShowDesignName = true;
  l.win.SetSize(Control::DesignName, 81, 25);
  bool shownAtFirstYield = false;
  l.pacer.on_yield = [&](long n) {
    if (n == 1) {
      shownAtFirstYield = l.win.IsVisible(Control::DesignName) && l.win.refreshes == 1;
    }
  };
  DrawDesign(l.e);
  EXPECT_TRUE(shownAtFirstYield);
  EXPECT_FLOAT_EQ(l.win.Left(Control::DesignName), 459.5f);
  EXPECT_FLOAT_EQ(l.win.Top(Control::DesignName), 287.5f);
  EXPECT_TRUE(l.win.IsVisible(Control::DesignName));

  Layer quiet;
  SetUpExampleSpiral(quiet);
  DrawDesign(quiet.e);
  EXPECT_FALSE(quiet.win.IsVisible(Control::DesignName));
  EXPECT_EQ(quiet.win.refreshes, 0);
}

}  // namespace
}  // namespace kalo
