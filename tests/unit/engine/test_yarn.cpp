#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "support/engine_fixture.h"

namespace kalo {
namespace {

using test::Stroke;
using Spot = std::pair<Integer, Integer>;

Spot At(int x, int y) { return {static_cast<Integer>(x), static_cast<Integer>(y)}; }

class YarnTest : public ::testing::Test, protected test::EngineFixture {
 protected:
  YarnTest() {
    Place(KaloYarn, 500, 400);
    s.YarnRadius = 100;
    win.SetForeColor(RGB(255, 0, 0));
  }

  Spot Point(int k) const { return {s.PointX[k], s.PointY[k]}; }
};

TEST_F(YarnTest, ThreePointsDrawATriangleSideBySide) {
  s.YarnPoints = 3;
  // Each stroke takes the colour the window has at that moment.
  pacer.on_yield = [&](long n) { win.SetForeColor(static_cast<Long>(n)); };
  DrawYarn(e);

  ASSERT_EQ(win.strokes.size(), 3u);
  const auto expect = [&](const Stroke& st, int i, int j, long yields) {
    EXPECT_EQ(st.kind, Stroke::kLine);
    EXPECT_EQ(st.x1, s.PointX[i]);
    EXPECT_EQ(st.y1, s.PointY[i]);
    EXPECT_EQ(st.x2, s.PointX[j]);
    EXPECT_EQ(st.y2, s.PointY[j]);
    EXPECT_EQ(st.yields_before, yields);
    EXPECT_EQ(st.colour, yields);
  };
  expect(win.strokes[0], 1, 2, 1);
  expect(win.strokes[1], 1, 3, 2);
  expect(win.strokes[2], 2, 3, 3);
  // The triangle hangs from the top of the circle and runs clockwise.
  EXPECT_EQ(Point(1), At(500, 300));
  EXPECT_EQ(Point(2), At(587, 450));
  EXPECT_EQ(Point(3), At(413, 450));
  // One more yield after the last stroke, and no sleep without a delay.
  EXPECT_EQ(pacer.yields, 4);
  EXPECT_EQ(pacer.sleeps, 0);
}

TEST_F(YarnTest, ThirtyPointsJoinEveryPairOnceEachAfterItsOwnPause) {
  s.YarnPoints = 30;
  s.StrokeDelay = 10;
  DrawYarn(e);

  ASSERT_EQ(win.strokes.size(), 435u);
  std::set<std::pair<std::pair<Single, Single>, std::pair<Single, Single>>> pairs;
  std::set<std::pair<Single, Single>> ends;
  for (size_t k = 0; k < win.strokes.size(); ++k) {
    const Stroke& st = win.strokes[k];
    EXPECT_EQ(st.kind, Stroke::kLine);
    EXPECT_EQ(st.yields_before, static_cast<long>(k + 1));
    pairs.insert({{st.x1, st.y1}, {st.x2, st.y2}});
    ends.insert({st.x1, st.y1});
    ends.insert({st.x2, st.y2});
  }
  EXPECT_EQ(pairs.size(), 435u);
  EXPECT_EQ(ends.size(), 30u);
  EXPECT_EQ(pacer.sleeps, 435);
  EXPECT_EQ(pacer.slept_ms, 4350);
  EXPECT_EQ(pacer.yields, 436);
}

TEST_F(YarnTest, EveryPointCountGivesItsPointsAndAnExtraOneOnlyOnTopOfTheFirst) {
  for (int n = 3; n <= 30; ++n) {
    s.YarnPoints = static_cast<Single>(n);
    s.PointX = {};
    s.PointY = {};
    MakeYarnPoints(s);
    ASSERT_GE(s.PointCount, n) << n;
    ASSERT_LE(s.PointCount, n + 1) << n;
    if (s.PointCount == n + 1) {
      EXPECT_NEAR(s.PointX[n + 1], s.PointX[1], 1) << n;
      EXPECT_NEAR(s.PointY[n + 1], s.PointY[1], 1) << n;
    }
    // Whatever comes out, only n points are ever joined.
    win.strokes.clear();
    DrawYarn(e);
    EXPECT_EQ(win.strokes.size(), static_cast<size_t>(n * (n - 1) / 2)) << n;
  }
}

TEST_F(YarnTest, PointsStartAtTheTopRunClockwiseAndStretchSideways) {
  s.YarnPoints = 4;
  MakeYarnPoints(s);
  EXPECT_EQ(Point(1), At(500, 300));  // top
  EXPECT_EQ(Point(2), At(600, 400));  // right
  EXPECT_EQ(Point(3), At(500, 500));  // bottom
  EXPECT_EQ(Point(4), At(400, 400));  // left

  s.YarnPoints = 12;
  MakeYarnPoints(s);
  const auto round = s;
  s.XStretch = 1.5f;
  MakeYarnPoints(s);
  for (int k = 1; k <= 12; ++k) {
    EXPECT_NEAR(s.PointX[k] - 500, 1.5 * (round.PointX[k] - 500), 1.0) << k;
    EXPECT_EQ(s.PointY[k], round.PointY[k]) << k;
  }
  EXPECT_EQ(s.PointX[4], 650);  // three o'clock, half as far again
}

TEST_F(YarnTest, WildPointCountsStayWithinThePointTable) {
  for (Single n : {1000.0f, -5.0f, 0.0f, 31.0f, 1e30f, NAN}) {
    s.YarnPoints = n;
    win.strokes.clear();
    DrawYarn(e);
    EXPECT_LE(s.PointCount, 31) << n;
    EXPECT_LE(win.strokes.size(), 31u * 30u / 2u) << n;
  }
  // A radius far beyond the window is passed on as it is (the window clips).
  s.YarnPoints = 3;
  s.YarnRadius = 999;
  MakeYarnPoints(s);
  EXPECT_EQ(s.PointY[1], 400 - 999);
}

}  // namespace
}  // namespace kalo
