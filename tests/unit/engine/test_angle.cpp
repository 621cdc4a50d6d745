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
  s.SwitchesGiven = true;
  DrawAngle(e);
  EXPECT_EQ(Segments(), 258);
  EXPECT_GE(s.SideLength, 4000);
  EXPECT_LT(s.SideLength, 4000 * 1.03);
}

TEST_F(AngleTest, SegmentsTurnClockwiseAndGrowFromTheEndOfTheLast) {
  // Far from the origin and with a short reach, every segment is drawn.
  struct Row {
    Single turn, growth, stretch;
  };
  for (const Row& r : {Row{90, 3, 1}, Row{100, 12, 1.25f}, Row{275, 35, 0.6f}}) {
    SCOPED_TRACE(testing::Message() << "turn " << r.turn << " growth " << r.growth);
    s.AngleTurn = r.turn;
    s.AngleGrowth = r.growth;
    s.XStretch = r.stretch;
    s.CenterX = s.CenterY = 5000;
    s.HalfWidth = 50;
    win.strokes.clear();
    pacer = {};
    pacer.on_yield = [&](long n) { win.SetForeColor(static_cast<Long>(n)); };
    DrawAngle(e);
    // Heading h points at h - pi/2 on the screen; it starts one turn round
    // and turns once more, wrapping past 2 pi, after each segment; each
    // segment is the growth longer than the one before, from length 2 up to
    // 50 x 20.
    const double pi = 3.14159265;
    Single h = static_cast<Single>((r.turn + static_cast<double>(r.turn)) * pi / 360);
    Single side = 2, x = 5000, y = 5000;
    size_t k = 0;
    do {
      ASSERT_LT(k, win.strokes.size());
      const Stroke& st = win.strokes[k];
      const Single ex = static_cast<Single>(side * std::cos(h - pi / 2) * r.stretch + x);
      const Single ey = static_cast<Single>(side * std::sin(h - pi / 2) + y);
      EXPECT_EQ(st.kind, Stroke::kLine);
      EXPECT_NEAR(st.x1, x, 1e-3) << k;
      EXPECT_NEAR(st.y1, y, 1e-3) << k;
      EXPECT_NEAR(st.x2, ex, 1e-3) << k;
      EXPECT_NEAR(st.y2, ey, 1e-3) << k;
      EXPECT_EQ(st.yields_before, static_cast<long>(k + 1));
      EXPECT_EQ(st.colour, st.yields_before);
      x = ex;
      y = ey;
      side = static_cast<Single>((r.growth / 100.0 + 1) * side);
      h = static_cast<Single>(h + (r.turn + static_cast<double>(r.turn)) * pi / 360);
      if (h > static_cast<Single>(6.2831853)) h = static_cast<Single>(h - 6.2831853);
      ++k;
    } while (side < 1000);
    EXPECT_EQ(win.strokes.size(), k);
    EXPECT_EQ(pacer.yields, static_cast<long>(k + 1));
  }
  // Worked by hand: a quarter turn draws right, then down (y grows downwards).
  s.AngleTurn = 90;
  s.AngleGrowth = 3;
  s.XStretch = 1;
  win.strokes.clear();
  DrawAngle(e);
  const Stroke* sq = win.strokes.data();
  EXPECT_NEAR(sq[0].x2, 5002, 1e-3);
  EXPECT_NEAR(sq[0].y2, 5000, 1e-3);
  EXPECT_NEAR(sq[1].x2, 5002, 1e-3);
  EXPECT_NEAR(sq[1].y2, 5002.06, 1e-3);
  // 100 degrees, stretch 1.25: 10 degrees below the right, then 110.
  s.AngleTurn = 100;
  s.AngleGrowth = 12;
  s.XStretch = 1.25f;
  win.strokes.clear();
  DrawAngle(e);
  EXPECT_NEAR(win.strokes[0].x2 - 5000, 2 * 0.984808 * 1.25, 1e-3);
  EXPECT_NEAR(win.strokes[0].y2 - 5000, 2 * 0.173648, 1e-3);
  EXPECT_NEAR(win.strokes[1].x2 - 5000, 2.462019 - 2.24 * 0.342020 * 1.25, 1e-3);
  EXPECT_NEAR(win.strokes[1].y2 - 5000, 0.347296 + 2.24 * 0.939693, 1e-3);
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

  // The far limit holds at 16384 exactly, for each coordinate of either end
  // and either sign; the heading keeps the other coordinates inside.
  struct Far {
    Single turn, x, y;
    bool drawn;
  };
  for (const Far& f : {
           Far{270, 16384, 100, false}, Far{270, 16383.5f, 100, true},    // left
           Far{90, -16384, 100, false}, Far{90, -16383.5f, 100, true},    // right
           Far{315, 100, 16384, false}, Far{315, 100, 16383.5f, true},    // up and left
           Far{135, 100, -16384, false}, Far{135, 100, -16383.5f, true},  // down and right
           Far{90, 16382.5f, 100, false}, Far{90, 16381.5f, 100, true},   // ends 16384.5, 16383.5
           Far{270, -16382.5f, 100, false}, Far{270, -16381.5f, 100, true},
           Far{135, 100, 16383, false}, Far{135, 100, 16382, true},    // ends 1.41 lower
           Far{315, 100, -16383, false}, Far{315, 100, -16382, true},  // ends 1.41 higher
       }) {
    s.AngleTurn = f.turn;
    EXPECT_EQ(FirstSegmentDrawn(f.x, f.y), f.drawn) << f.turn << " from " << f.x << ", " << f.y;
  }

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
  s.UseLines[KaloAngle] = false;
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
