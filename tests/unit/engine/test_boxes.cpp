#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "support/engine_fixture.h"

namespace kalo {
namespace {

using test::Stroke;

class BoxesTest : public ::testing::Test, protected test::EngineFixture {
 protected:
  BoxesTest() {
    Place(KaloBoxes, 960, 540);
    s.BoxReach = 1.04f;
    s.HalfWidth = 400;
    s.BoxCount = 4;
    s.BoxGrowth = 20;
    s.BoxTwist = 0;
  }

  void SetFlags(std::initializer_list<int> on) {
    s.BoxFlags = {};
    for (int f : on) s.BoxFlags[f] = true;
  }
  void SetAllFlags() {
    for (int f = 0; f < 16; ++f) s.BoxFlags[f] = true;
  }
  // Every ring ends with a yield of its own after its squares' yields.
  long Rings() const { return pacer.yields / (static_cast<long>(s.BoxCount) + 1); }
  bool IsCentre(Single x, Single y) const { return x == s.CenterX && y == s.CenterY; }
};

TEST_F(BoxesTest, SquarePointsAndTheSixteenStrokesFollowTheBoxAngle) {
  s.CenterX = 100;
  s.CenterY = 100;
  s.SideLength = 20;
  const auto at = [](Single x, Single y, double ex, double ey) {
    EXPECT_NEAR(x, ex, 1e-3);
    EXPECT_NEAR(y, ey, 1e-3);
  };
  // At angle 0 the square stands up and right of the centre; its middle uses
  // the factor .707142857, a hair beyond the true middle.
  CalcBoxPoints(s, 0);
  at(s.CurX, s.CurY, 100, 80);
  at(s.EndX, s.EndY, 120, 80);
  at(s.BoxX3, s.BoxY3, 120, 100);
  at(s.BoxMidX, s.BoxMidY, 100 + 0.707142857 * 20 * std::cos(-3.14159265 / 4),
     100 + 0.707142857 * 20 * std::sin(-3.14159265 / 4));
  EXPECT_GT(s.BoxMidX, 110.0005);

  // Turned by 30 degrees and stretched by 1.5, worked by hand with
  // u(a) = (1.5 cos a, sin a): corner 1 = C + 20 u(-60), corner 2 = corner 1
  // + 20 u(30), corner 3 = C + 20 u(30), middle = C + 14.142857 u(-15), and
  // the side midpoints half a side along from C, corner 1, corner 2 and C.
  s.XStretch = 1.5f;
  CalcBoxPoints(s, static_cast<Single>(3.14159265 / 6));
  enum { C, C1, C2, C3, Mid, P5, P6, P7, P8 };
  const double want[9][2] = {{100, 100},          {115, 82.6795},       {140.9808, 92.6795},
                             {125.9808, 110},     {120.4914, 96.3396},  {107.5, 91.3397},
                             {127.9904, 87.6795}, {133.4808, 101.3397}, {112.9904, 105}};
  at(s.CurX, s.CurY, want[C1][0], want[C1][1]);
  at(s.EndX, s.EndY, want[C2][0], want[C2][1]);
  at(s.BoxX3, s.BoxY3, want[C3][0], want[C3][1]);
  at(s.BoxMidX, s.BoxMidY, want[Mid][0], want[Mid][1]);
  at(s.BoxX5, s.BoxY5, want[P5][0], want[P5][1]);
  at(s.BoxX6, s.BoxY6, want[P6][0], want[P6][1]);
  at(s.BoxX7, s.BoxY7, want[P7][0], want[P7][1]);
  at(s.BoxX8, s.BoxY8, want[P8][0], want[P8][1]);

  // Flags 0 to 7 walk the outline in half-sides, 8 to 15 are spokes from the
  // centre and the outline points to the middle; each in flag order.
  const int from[16] = {C, P5, C1, P6, C2, P7, C3, P8, C, P5, C1, P6, C2, P7, C3, P8};
  const int to[16] = {P5, C1, P6, C2, P7, C3, P8, C, Mid, Mid, Mid, Mid, Mid, Mid, Mid, Mid};
  SetAllFlags();
  DrawBoxLines(e, 77);
  ASSERT_EQ(win.strokes.size(), 16u);
  for (int f = 0; f < 16; ++f) {
    SCOPED_TRACE(f);
    const Stroke& st = win.strokes[f];
    EXPECT_EQ(st.kind, Stroke::kLine);
    EXPECT_EQ(st.colour, 77);
    at(st.x1, st.y1, want[from[f]][0], want[from[f]][1]);
    at(st.x2, st.y2, want[to[f]][0], want[to[f]][1]);
  }
  // An uneven choice of flags in dots: both ends of each chosen stroke,
  // start first.
  const int chosen[] = {1, 2, 6, 11, 15};
  SetFlags({1, 2, 6, 11, 15});
  win.strokes.clear();
  DrawBoxDots(e, 77);
  ASSERT_EQ(win.strokes.size(), 10u);
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(chosen[k]);
    const Stroke &a = win.strokes[2 * k], &b = win.strokes[2 * k + 1];
    EXPECT_EQ(a.kind, Stroke::kDot);
    at(a.x1, a.y1, want[from[chosen[k]]][0], want[from[chosen[k]]][1]);
    at(b.x1, b.y1, want[to[chosen[k]]][0], want[to[chosen[k]]][1]);
  }
}

TEST_F(BoxesTest, NoFlagsDrawNothingButStillPace) {
  s.StrokeDelay = 3;
  DrawBoxes(e);
  EXPECT_TRUE(win.strokes.empty());
  EXPECT_EQ(pacer.yields, 17 * 5);
  EXPECT_EQ(pacer.sleeps, 17 * 4);
  EXPECT_EQ(pacer.slept_ms, 17 * 4 * 3);
}

TEST_F(BoxesTest, RingsGrowUntilTheReachOfTheHalfWidth) {
  SetFlags({0});  // centre to the middle of the first side: half a side long
  DrawBoxes(e);
  EXPECT_EQ(Rings(), 17);
  ASSERT_EQ(win.strokes.size(), 17u * 4u);
  double side = 20;
  for (size_t k = 0; k < win.strokes.size(); ++k) {
    const Stroke& st = win.strokes[k];
    if (k > 0 && k % 4 == 0) side *= 1.2;
    EXPECT_NEAR(std::hypot(st.x2 - st.x1, st.y2 - st.y1), side / 2, 1e-3) << k;
  }
  EXPECT_NEAR(side, 369.77, 0.01);
  EXPECT_NEAR(s.SideLength, 443.7, 0.05);

  pacer = {};
  s.HalfWidth = 50;
  DrawBoxes(e);
  EXPECT_EQ(Rings(), 6);

  pacer = {};
  s.HalfWidth = 400;
  s.BoxCount = 15;
  DrawBoxes(e);
  EXPECT_EQ(Rings(), 17);
}

TEST_F(BoxesTest, AllFlagsDrawEverySquareInOneGoInOneColour) {
  SetAllFlags();
  pacer.on_yield = [&](long n) { win.SetForeColor(static_cast<Long>(n)); };
  DrawBoxes(e);
  ASSERT_EQ(win.strokes.size(), 17u * 4u * 16u);
  for (size_t sq = 0; sq < win.strokes.size() / 16; ++sq) {
    const Stroke* st = &win.strokes[16 * sq];
    // One yield before each square (and one after each ring).
    EXPECT_EQ(st[0].yields_before, static_cast<long>(sq + 1 + sq / 4));
    for (int f = 0; f < 16; ++f) {
      EXPECT_EQ(st[f].kind, Stroke::kLine);
      EXPECT_EQ(st[f].yields_before, st[0].yields_before);
      EXPECT_EQ(st[f].colour, st[0].yields_before);  // one colour per square
    }
    EXPECT_TRUE(IsCentre(st[0].x1, st[0].y1));
    EXPECT_TRUE(IsCentre(st[7].x2, st[7].y2));
  }
  EXPECT_EQ(pacer.yields, 17 * 5);
}

TEST_F(BoxesTest, TwistTurnsEachRingFurther) {
  SetFlags({0});
  const auto heading = [](const Stroke& st) { return std::atan2(st.y2 - st.y1, st.x2 - st.x1); };
  DrawBoxes(e);
  // Without a twist the rings nest along the same four directions.
  for (size_t k = 4; k < win.strokes.size(); ++k)
    EXPECT_NEAR(heading(win.strokes[k]), heading(win.strokes[k % 4]), 1e-4) << k;

  win.strokes.clear();
  s.BoxTwist = 10;
  DrawBoxes(e);
  ASSERT_GE(win.strokes.size(), 8u);
  const double turn = heading(win.strokes[4]) - heading(win.strokes[0]);
  EXPECT_NEAR(turn, 10 * 3.14159265 / 180, 1e-4);
  // The first ring starts a 29th of a half turn past the straight-up side.
  EXPECT_NEAR(heading(win.strokes[0]), 3.14159265 / 29 - 3.14159265 / 2, 1e-5);
}

TEST_F(BoxesTest, DotModeDotsBothEndsOfEachStrokeWithTheCentreOncePerFlag) {
  s.UseLines[KaloBoxes] = false;
  SetFlags({0, 7, 8});
  DrawBoxes(e);
  ASSERT_EQ(win.strokes.size(), 17u * 4u * 6u);
  EXPECT_EQ(win.dots(), win.strokes.size());
  for (size_t sq = 0; sq < win.strokes.size() / 6; ++sq) {
    const Stroke* st = &win.strokes[6 * sq];
    int centre = 0;
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(st[k].yields_before, st[0].yields_before);
      centre += IsCentre(st[k].x1, st[k].y1);
    }
    EXPECT_EQ(centre, 3) << sq;
    EXPECT_TRUE(IsCentre(st[0].x1, st[0].y1));  // flag 0 starts at the centre
    EXPECT_TRUE(IsCentre(st[3].x1, st[3].y1));  // flag 7 ends there
    EXPECT_TRUE(IsCentre(st[4].x1, st[4].y1));  // flag 8 starts there
  }
}

TEST_F(BoxesTest, WildSettingsStillEnd) {
  SetFlags({0});
  s.BoxGrowth = 0;  // no growth: one ring, then the side jumps to the reach
  DrawBoxes(e);
  EXPECT_EQ(Rings(), 1);
  EXPECT_FLOAT_EQ(s.SideLength, 416);

  for (Single count : {-3.0f, 0.0f, NAN}) {
    pacer = {};
    s.BoxGrowth = 20;
    s.BoxCount = count;
    DrawBoxes(e);
    EXPECT_LE(pacer.yields, 17 * 2) << count;  // one square and one ring yield per ring
  }
  pacer = {};
  s.BoxCount = 4;
  s.BoxGrowth = -50;
  DrawBoxes(e);
  EXPECT_EQ(pacer.yields, 5);
}

}  // namespace
}  // namespace kalo
