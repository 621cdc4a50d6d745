#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/random.h"
#include "support/engine_fixture.h"

namespace kalo {
namespace {

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
      EXPECT_TRUE(IsTrue(s.SpiralInside) || IsTrue(s.SpiralOutside));
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

TEST(SpiralSetUp, DrawsThreeRadiiPerTryThenTheTwoCurveFlags) {
  ScriptedRandom rnd{// First try: 100 and 60 are too close, so the whole try is drawn again.
                     Gives(100, 216), Gives(60, 216), Gives(40, 216),
                     // Second try: A 100, B 40 (closes after 2 turns), C 30.
                     Gives(100, 216), Gives(40, 216), Gives(30, 216),
                     // Neither curve wins its coin: the inner one is drawn anyway.
                     0.2f, 0.4f};
  DesignState s;
  s.DesignType = KaloSpiral;
  s.MaxRadius = 216;
  PickDesignParams(s, rnd);
  EXPECT_EQ(rnd.draws(), 8);
  EXPECT_EQ(rnd.fallback_draws(), 0);
  EXPECT_EQ(s.FixedRadius, 100);
  EXPECT_EQ(s.RollRadius, 40);
  EXPECT_EQ(s.PenRadius, 30);
  EXPECT_EQ(s.Revolutions, 2);
  EXPECT_EQ(s.SpiralInside, True);
  EXPECT_EQ(s.SpiralOutside, False);

  ScriptedRandom outerOnly{Gives(30, 216), Gives(90, 216), Gives(60, 216), 0.3f, 0.7f};
  PickDesignParams(s, outerOnly);
  EXPECT_EQ(s.SpiralInside, False);
  EXPECT_EQ(s.SpiralOutside, True);
  EXPECT_EQ(s.Revolutions, 3);
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

TEST(RadiusDraws, ASinglePictureTakesTheFloorForAboutOneDrawInFive) {
  SystemRandom rnd(7);
  DesignState s;
  s.MaxRadius = 216;
  s.RadiusRange = 999;
  int atFloor = 0, draws = 0;
  bool sawThreePointsAboveRange = false;
  for (Integer type : {Integer{KaloYarn}, Integer{KaloStar}}) {
    s.DesignType = type;
    for (int n = 0; n < 3000; ++n) {
      PickDesignParams(s, rnd);
      const Single r = type == KaloYarn ? s.YarnRadius : s.StarRadius;
      ASSERT_TRUE(Whole(r));
      ASSERT_GE(r, 216);
      ASSERT_LE(r, 999);
      atFloor += r == 216;
      ++draws;
      sawThreePointsAboveRange |= type == KaloYarn && s.YarnPoints == 3 && r > 216;
    }
  }
  EXPECT_NEAR(static_cast<double>(atFloor) / draws, 216.0 / 999, 0.03);
  EXPECT_TRUE(sawThreePointsAboveRange) << "a three-point Yarn is not capped here";
}

TEST(RadiusDraws, AClusterRangeBelowTheFloorGivesTheFloorExceptForTriangles) {
  DesignState s;
  s.MaxRadius = 260;
  s.RadiusRange = 150;
  s.DesignType = KaloYarn;
  ScriptedRandom twelve{0.99f, Gives(12, 30)};
  PickDesignParams(s, twelve);
  EXPECT_EQ(s.YarnRadius, 260);
  EXPECT_EQ(s.YarnPoints, 12);

  ScriptedRandom three{0.5f, Gives(3, 30)};
  PickDesignParams(s, three);
  EXPECT_EQ(s.YarnRadius, 150);
  EXPECT_EQ(s.YarnPoints, 3);

  // Fewer than three points is raised to a triangle, and capped the same way.
  ScriptedRandom one{0.5f, 0.0f};
  PickDesignParams(s, one);
  EXPECT_EQ(s.YarnPoints, 3);
  EXPECT_EQ(s.YarnRadius, 150);

  s.DesignType = KaloStar;
  ScriptedRandom star{0.2f, 0.0f, 0.999f};
  PickDesignParams(s, star);
  EXPECT_EQ(star.draws(), 3);
  EXPECT_EQ(s.StarRadius, 260);
  EXPECT_EQ(s.StarPoints, 3);
  EXPECT_EQ(s.StarRings, 20);
}

TEST(GonsSetUp, SecondDrawsFavourSmallValuesAndClampIntoRange) {
  DesignState s;
  s.DesignType = KaloGons;
  ScriptedRandom rnd{Gives(20, 30), Gives(2, 20), Gives(200, 359), Gives(50, 200), Gives(60, 100),
                     Gives(4, 60),  0.99f};
  PickDesignParams(s, rnd);
  EXPECT_EQ(rnd.draws(), 7);
  EXPECT_EQ(s.GonSides, 3);
  EXPECT_EQ(s.GonTwist, 50);
  EXPECT_EQ(s.GonGrowth, 10);
  EXPECT_EQ(s.GonStyle, 6);

  ScriptedRandom high{0.999f, 0.999f, 0.999f, 0.999f, 0.999f, 0.999f, 0.0f};
  PickDesignParams(s, high);
  EXPECT_EQ(s.GonSides, 30);
  EXPECT_EQ(s.GonTwist, 359);
  EXPECT_EQ(s.GonGrowth, 100);
  EXPECT_EQ(s.GonStyle, 0);
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
}

TEST(BoxesSetUp, TwistStaysWithinOneBoxSpacingAndSixteenFlagsAreDrawn) {
  DesignState s;
  s.DesignType = KaloBoxes;
  s.BoxFlags[16] = 7;
  ScriptedRandom rnd{Gives(8, 15), 0.5f, Gives(9, 80)};
  for (int i = 0; i < 16; ++i) rnd.Push(i % 3 == 0 ? 0.7f : 0.2f);
  PickDesignParams(s, rnd);
  EXPECT_EQ(rnd.draws(), 19);
  EXPECT_EQ(rnd.fallback_draws(), 0);
  EXPECT_EQ(s.BoxCount, 8);
  EXPECT_EQ(s.BoxTwist, 22);  // Int(0.5 * 360 / 8)
  EXPECT_EQ(s.BoxGrowth, 20);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(s.BoxFlags[i], i % 3 == 0 ? True : False) << i;
  EXPECT_EQ(s.BoxFlags[16], 7);
}

// A window and pacer set up for one layer.
using Layer = test::EngineFixture;

void SetUpExampleSpiral(Layer& l) {
  l.Place(KaloSpiral, 960, 540);
  l.s.FixedRadius = 60;
  l.s.RollRadius = 25;
  l.s.PenRadius = 40;
  l.s.SpiralInside = True;
  l.s.SpiralOutside = False;
  l.s.InnerPenMode = True;
  l.s.OuterPenMode = True;
  l.s.SpiralDetail = 9;
  CalcRevolutions(l.s);
  l.win.SetForeColor(16711680);
  l.win.SetDrawWidth(3);
  l.win.SetDrawMode(13);
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
  l.win.SetDrawMode(7);
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
  l.s.UseLines[KaloYarn] = False;
  l.win.SetForeColor(255);
  l.win.SetDrawWidth(3);
  l.win.SetDrawMode(13);
  DrawDesign(l.e);
  EXPECT_EQ(l.s.DesignRecord, " 1\\ 255\\ 3\\ 1\\ 260\\ 12\\-1\\ 13\\/");
  EXPECT_EQ(l.s.UseLines[KaloYarn], True);
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
    l.s.UseLines[KaloStar] = True;
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
      l.s.BoxFlags[i] = i < 2 ? True : False;
      flags += i < 2 ? "-1\\" : " 0\\";
    }
    l.s.UseLines[KaloBoxes] = True;
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
  l.s.ShowDesignName = True;
  l.win.SetSize(Control::Command5, 81, 25);
  bool shownAtFirstYield = false;
  l.pacer.on_yield = [&](long n) {
    if (n == 1) {
      shownAtFirstYield = l.win.IsVisible(Control::Command5) && l.win.refreshes == 1;
    }
  };
  DrawDesign(l.e);
  EXPECT_TRUE(shownAtFirstYield);
  EXPECT_FLOAT_EQ(l.win.Left(Control::Command5), 459.5f);
  EXPECT_FLOAT_EQ(l.win.Top(Control::Command5), 287.5f);
  EXPECT_TRUE(l.win.IsVisible(Control::Command5));

  Layer quiet;
  SetUpExampleSpiral(quiet);
  DrawDesign(quiet.e);
  EXPECT_FALSE(quiet.win.IsVisible(Control::Command5));
  EXPECT_EQ(quiet.win.refreshes, 0);
}

}  // namespace
}  // namespace kalo
