#include <gtest/gtest.h>

#include <cmath>

#include "support/engine_fixture.h"

namespace kalo {
namespace {

using test::Stroke;

class AngleTest : public ::testing::Test, protected test::EngineFixture {
 protected:
  AngleTest() {
    Place(KaloAngle, 960, 540);
    s.AngleReach = 10;
    s.HalfWidth = 400;
    s.AngleTurn = 90;
    s.AngleGrowth = 3;
  }

  // Cadence steps of the last run: one per segment, plus the closing yield.
  long Segments() const { return pacer.yields - 1; }

  // Runs one spiral from the given centre and reports whether its first
  // segment reached the window.
  bool FirstSegmentDrawn(Single x, Single y) {
    s.CenterX = x;
    s.CenterY = y;
    win.strokes.clear();
    pacer.yields = 0;
    DrawAngle(e);
    return !win.strokes.empty() && win.strokes.front().yields_before == 1;
  }
};

TEST_F(AngleTest, SpiralGrowsUntilItReachesTheLimit) {
  s.StrokeDelay = 1;
  DrawAngle(e);
  EXPECT_EQ(Segments(), 281);
  EXPECT_EQ(pacer.sleeps, 281);
  EXPECT_GE(s.SideLength, 8000);

  pacer = {};
  s.AngleGrowth = 35;
  DrawAngle(e);
  EXPECT_EQ(Segments(), 28);

  // Started with a look-changing switch, the spiral stops at half the reach.
  pacer = {};
  s.AngleGrowth = 3;
  s.SwitchesGiven = True;
  DrawAngle(e);
  EXPECT_EQ(Segments(), 258);
  EXPECT_GE(s.SideLength, 4000);
  EXPECT_LT(s.SideLength, 4000 * 1.03);
}

TEST_F(AngleTest, SegmentsTurnClockwiseAndGrowFromTheCentre) {
  pacer.on_yield = [&](long n) { win.SetForeColor(static_cast<Long>(n)); };
  DrawAngle(e);
  ASSERT_GE(win.strokes.size(), 4u);
  const Stroke* st = win.strokes.data();
  // Right, down, left, up: a square spiral wound clockwise on the screen.
  EXPECT_FLOAT_EQ(st[0].x1, 960);
  EXPECT_FLOAT_EQ(st[0].y1, 540);
  EXPECT_NEAR(st[0].x2, 962, 1e-4);
  EXPECT_NEAR(st[0].y2, 540, 1e-4);
  EXPECT_NEAR(st[1].x2, 962, 1e-4);
  EXPECT_NEAR(st[1].y2, 542.06, 1e-4);
  EXPECT_NEAR(st[2].x2, 962 - 2.1218, 1e-4);
  EXPECT_NEAR(st[3].y2, 542.06 - 2.185454, 1e-4);
  for (size_t k = 0; k < win.strokes.size(); ++k) {
    EXPECT_EQ(st[k].kind, Stroke::kLine);
    if (k > 0) {
      EXPECT_EQ(st[k].x1, st[k - 1].x2);
      EXPECT_EQ(st[k].y1, st[k - 1].y2);
    }
    EXPECT_EQ(st[k].colour, st[k].yields_before);
  }
}

TEST_F(AngleTest, SegmentsOutOfReachAreSkippedButStillPaced) {
  // Wholly above and left of the window's origin: skipped.
  s.AngleGrowth = 35;
  EXPECT_FALSE(FirstSegmentDrawn(-50, -50));
  EXPECT_EQ(Segments(), 28);
  EXPECT_FALSE(win.strokes.empty());
  EXPECT_LT(win.strokes.size(), 28u);
  for (const Stroke& st : win.strokes)
    EXPECT_FALSE(st.x1 <= 0 && st.y1 <= 0 && st.x2 <= 0 && st.y2 <= 0);
  // Only left of the window: still sent on.
  EXPECT_TRUE(FirstSegmentDrawn(-50, 300));
  EXPECT_FLOAT_EQ(win.strokes.front().x1, -50);
  // Touching the origin from the left is still wholly out.
  s.AngleTurn = 270;  // first segment heads left
  EXPECT_FALSE(FirstSegmentDrawn(0, 0));

  // The far limit holds at 16384 exactly, for either end and either sign.
  EXPECT_FALSE(FirstSegmentDrawn(16384, 100));
  EXPECT_TRUE(FirstSegmentDrawn(16383.5f, 100));
  EXPECT_FALSE(FirstSegmentDrawn(100, -16384));
  EXPECT_TRUE(FirstSegmentDrawn(100, -16383.5f));
  EXPECT_FALSE(FirstSegmentDrawn(-16382.5f, 100));  // ends at -16384.5
  s.AngleTurn = 90;                                 // first segment heads right
  EXPECT_FALSE(FirstSegmentDrawn(16382.5f, 100));   // ends at 16384.5
  EXPECT_TRUE(FirstSegmentDrawn(16381.5f, 100));
  EXPECT_FALSE(FirstSegmentDrawn(100, 16384));

  // A spiral far larger than any window never hands the window a huge
  // coordinate, though every one of its segments is paced.
  s.HalfWidth = 5000;
  s.AngleGrowth = 10;
  FirstSegmentDrawn(960, 540);
  EXPECT_LT(static_cast<long>(win.strokes.size()), Segments());
  for (const Stroke& st : win.strokes) {
    for (Single v : {st.x1, st.y1, st.x2, st.y2}) {
      EXPECT_LT(v, 16384);
      EXPECT_GT(v, -16384);
    }
  }
}

TEST_F(AngleTest, DotModeMarksOnlySegmentStarts) {
  s.UseLines[KaloAngle] = False;
  s.AngleGrowth = 35;
  DrawAngle(e);
  ASSERT_EQ(win.strokes.size(), 28u);
  EXPECT_EQ(win.dots(), 28u);
  EXPECT_FLOAT_EQ(win.strokes.front().x1, 960);
  EXPECT_FLOAT_EQ(win.strokes.front().y1, 540);
  // The walk's last end point is never marked.
  for (const Stroke& st : win.strokes) EXPECT_FALSE(st.x1 == s.EndX && st.y1 == s.EndY);
  EXPECT_EQ(s.CurX, s.EndX);
}

TEST_F(AngleTest, SpiralsThatCannotGrowStillEnd) {
  for (Single growth : {0.0f, -50.0f, -200.0f, 1e-9f}) {
    pacer = {};
    s.AngleGrowth = growth;
    DrawAngle(e);
    EXPECT_LT(Segments(), 100) << growth;
  }
  pacer = {};
  s.AngleGrowth = 3;
  s.HalfWidth = NAN;
  DrawAngle(e);
  EXPECT_LT(Segments(), 100000);
}

}  // namespace
}  // namespace kalo
