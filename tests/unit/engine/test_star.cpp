#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "support/engine_fixture.h"

namespace kalo {
namespace {

using test::Stroke;

class StarTest : public ::testing::Test, protected test::EngineFixture {
 protected:
  StarTest() {
    Place(KaloStar, 600, 400);
    s.StarRadius = 200;
  }

  double Radius(Single x, Single y) const { return std::hypot(x - s.CenterX, y - s.CenterY); }
  bool IsCentre(Single x, Single y) const { return x == s.CenterX && y == s.CenterY; }
};

TEST_F(StarTest, RingsAreEvenlyGrownAndStartAtTheTop) {
  s.StarPoints = 4;
  s.StarRings = 4;
  MakeStarRings(s);
  for (int k = 1; k <= 4; ++k) {
    // Point 1 at the top, point 2 to the right: clockwise on the screen.
    EXPECT_EQ(s.StarX[1][k], 600) << k;
    EXPECT_EQ(s.StarY[1][k], 400 - 50 * k) << k;
    EXPECT_EQ(s.StarX[2][k], 600 + 50 * k) << k;
    EXPECT_EQ(s.StarY[2][k], 400) << k;
  }
  s.XStretch = 2;
  MakeStarRings(s);
  EXPECT_EQ(s.StarX[2][4], 600 + 400);
  EXPECT_EQ(s.StarY[2][4], 400);
}

TEST_F(StarTest, OneRingIsAPolygonWithEachSpokeOnce) {
  s.StarPoints = 5;
  s.StarRings = 1;
  pacer.on_yield = [&](long n) { win.SetForeColor(static_cast<Long>(100 + n)); };
  DrawStar(e);

  ASSERT_EQ(win.strokes.size(), 10u);
  for (int j = 1; j <= 5; ++j) {
    const Stroke& spoke = win.strokes[2 * (j - 1)];
    const Stroke& chord = win.strokes[2 * (j - 1) + 1];
    // One cadence step for the spoke and its chord, both in that step's colour.
    EXPECT_EQ(spoke.yields_before, j);
    EXPECT_EQ(chord.yields_before, j);
    EXPECT_EQ(spoke.colour, 100 + j);
    EXPECT_EQ(chord.colour, 100 + j);
    EXPECT_TRUE(IsCentre(spoke.x1, spoke.y1));
    EXPECT_EQ(spoke.x2, s.StarX[j][1]);
    EXPECT_EQ(spoke.y2, s.StarY[j][1]);
    const int next = j == 5 ? 1 : j + 1;
    EXPECT_EQ(chord.x1, s.StarX[j][1]);
    EXPECT_EQ(chord.y1, s.StarY[j][1]);
    EXPECT_EQ(chord.x2, s.StarX[next][1]);
    EXPECT_EQ(chord.y2, s.StarY[next][1]);
  }
  EXPECT_EQ(pacer.yields, 6);
}

TEST_F(StarTest, TwoRingsCrossToEachOtherShiftedByOnePoint) {
  s.StarPoints = 6;
  s.StarRings = 2;
  DrawStar(e);

  ASSERT_EQ(win.strokes.size(), 24u);
  std::map<std::pair<Single, Single>, int> spokes;
  for (int i = 1; i <= 2; ++i) {
    const int other = 3 - i;
    for (int j = 1; j <= 6; ++j) {
      const size_t at = 2 * (6 * (i - 1) + (j - 1));
      const Stroke& spoke = win.strokes[at];
      const Stroke& chord = win.strokes[at + 1];
      EXPECT_NEAR(Radius(spoke.x2, spoke.y2), 200, 1);
      ++spokes[{spoke.x2, spoke.y2}];
      EXPECT_NEAR(Radius(chord.x1, chord.y1), 100 * i, 1);
      EXPECT_NEAR(Radius(chord.x2, chord.y2), 100 * other, 1);
      const int next = j == 6 ? 1 : j + 1;
      EXPECT_EQ(chord.x2, s.StarX[next][other]);
      EXPECT_EQ(chord.y2, s.StarY[next][other]);
    }
  }
  // Every spoke comes once in each pass over the rings.
  EXPECT_EQ(spokes.size(), 6u);
  for (const auto& [end, count] : spokes) EXPECT_EQ(count, 2);
}

TEST_F(StarTest, ManyRingsPaceOncePerSpokeAndChord) {
  s.StarPoints = 3;
  s.StarRings = 20;
  s.StrokeDelay = 2;
  DrawStar(e);
  EXPECT_EQ(win.strokes.size(), 120u);
  EXPECT_EQ(win.lines(), 120u);
  EXPECT_EQ(pacer.sleeps, 60);
  EXPECT_EQ(pacer.slept_ms, 120);
  EXPECT_EQ(pacer.yields, 61);
  EXPECT_EQ(win.strokes.back().yields_before, 60);
}

TEST_F(StarTest, DotModeSetsTheCentreOncePerStepThenTheEnds) {
  s.UseLines[KaloStar] = false;
  s.StarPoints = 5;
  s.StarRings = 3;
  DrawStar(e);

  ASSERT_EQ(win.strokes.size(), 60u);
  EXPECT_EQ(win.dots(), 60u);
  int centreDots = 0;
  for (size_t k = 0; k < win.strokes.size(); ++k) {
    const Stroke& dot = win.strokes[k];
    EXPECT_EQ(dot.yields_before, static_cast<long>(k / 4 + 1));
    if (IsCentre(dot.x1, dot.y1)) ++centreDots;
    if (k % 4 == 0) {
      EXPECT_TRUE(IsCentre(dot.x1, dot.y1)) << k;
    } else if (k % 4 == 1) {
      EXPECT_NEAR(Radius(dot.x1, dot.y1), 200, 1) << k;
    }
  }
  EXPECT_EQ(centreDots, 15);
}

TEST_F(StarTest, WildCountsStayWithinTheRingTables) {
  const std::pair<Single, Single> cases[] = {{100, 50}, {-4, 3},        {5, -2},  {NAN, 2},
                                             {4, NAN},  {1e30f, 1e30f}, {26, 21}, {4, 0.4f}};
  for (const auto& [points, rings] : cases) {
    s.StarPoints = points;
    s.StarRings = rings;
    win.strokes.clear();
    DrawStar(e);
    EXPECT_LE(s.PointCount, 26) << points << " " << rings;
    EXPECT_LE(win.strokes.size(), 2u * 26u * 21u) << points << " " << rings;
  }
  // Too few rings to round up to one draws nothing.
  EXPECT_TRUE(win.strokes.empty());
}

}  // namespace
}  // namespace kalo
