#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "support/engine_fixture.h"

namespace kalo {
namespace {

using test::Stroke;

struct GonsLayer : test::EngineFixture {
  // Squares doubling in size from radius 5 until they pass 3.6 x 100: radii
  // 5, 10, 20, 40, 80, 160 and 320, seven polygons.
  GonsLayer(Integer style, bool lines = true) {
    Place(KaloGons, 500, 400);
    s.HalfWidth = 100;
    s.GonReach = 1.8f;
    s.GonSides = 4;
    s.GonTwist = 0;
    s.GonGrowth = 100;
    s.GonStyle = style;
    s.UseLines[KaloGons] = lines;
  }
  void Draw() { DrawGons(e); }
  double Radius(Single x, Single y) const {
    return std::hypot((x - s.CenterX) / s.XStretch, y - s.CenterY);
  }
  // Polygons after the first yield once per corner, then once at the end.
  long Polygons() const { return (pacer.yields - 1) / static_cast<long>(s.GonSides) + 1; }
};

struct Families {
  int firstSpokes = 0, laterSpokes = 0, connectors = 0, edges = 0;
};

Families Classify(const GonsLayer& l) {
  Families f;
  for (const Stroke& st : l.win.strokes) {
    const double r1 = l.Radius(st.x1, st.y1), r2 = l.Radius(st.x2, st.y2);
    if (st.x1 == l.s.CenterX && st.y1 == l.s.CenterY) {
      (r2 < 7 ? f.firstSpokes : f.laterSpokes)++;
    } else if (std::fabs(r1 - r2) < 2) {
      f.edges++;
    } else {
      f.connectors++;
    }
  }
  return f;
}

TEST(GonsStyles, EachStyleDrawsItsOwnStrokeFamilies) {
  struct Expect {
    Integer style;
    bool firstSpokes, laterSpokes, connectors, edges;
  };
  const Expect table[] = {
      {0, false, false, false, true}, {1, true, true, false, true},  {2, true, false, true, true},
      {3, true, true, false, false},  {4, true, false, true, false}, {5, true, true, true, false},
      {6, true, true, true, true},
  };
  for (const Expect& x : table) {
    GonsLayer l(x.style);
    l.Draw();
    ASSERT_EQ(l.Polygons(), 7);
    const Families f = Classify(l);
    SCOPED_TRACE(testing::Message() << "style " << x.style);
    EXPECT_EQ(f.firstSpokes, x.firstSpokes ? 4 : 0);
    EXPECT_EQ(f.laterSpokes, x.laterSpokes ? 6 * 4 : 0);
    EXPECT_EQ(f.connectors, x.connectors ? 6 * 4 : 0);
    EXPECT_EQ(f.edges, x.edges ? 7 * 4 : 0);
    EXPECT_EQ(l.win.dots(), 0u);
  }
}

TEST(GonsStyles, OutlinesCloseEveryPolygon) {
  GonsLayer l(0);
  l.s.GonSides = 5;
  l.s.GonTwist = 10;
  l.Draw();
  // Every corner is touched by exactly two edges: the outline is closed.
  std::map<std::pair<Single, Single>, int> touches;
  for (const Stroke& st : l.win.strokes) {
    touches[{st.x1, st.y1}]++;
    touches[{st.x2, st.y2}]++;
  }
  EXPECT_EQ(touches.size(), static_cast<size_t>(5 * l.Polygons()));
  for (const auto& [corner, n] : touches) EXPECT_EQ(n, 2);
  EXPECT_EQ(l.win.lines(), static_cast<size_t>(5 * l.Polygons()));
}

TEST(GonsDots, OutlinesInDotsMarkEveryCornerOnce) {
  GonsLayer l(0, false);
  l.s.GonSides = 5;
  l.s.GonTwist = 10;
  l.Draw();
  const long polygons = l.Polygons();
  EXPECT_EQ(polygons, 7);
  EXPECT_EQ(l.win.lines(), 0u);
  ASSERT_EQ(l.win.dots(), static_cast<size_t>(5 * polygons));
  std::set<std::pair<Single, Single>> corners;
  for (const Stroke& st : l.win.strokes) corners.insert({st.x1, st.y1});
  EXPECT_EQ(corners.size(), static_cast<size_t>(5 * polygons));

  // Spokes and connectors in dot mode mark the new corners.
  GonsLayer all(5, false);
  all.Draw();
  EXPECT_EQ(all.win.lines(), 0u);
  EXPECT_EQ(all.win.dots(), static_cast<size_t>(4 + 2 * 6 * 4));
  for (size_t k = 4; k < all.win.strokes.size(); k += 2) {
    EXPECT_EQ(all.win.strokes[k].x1, all.win.strokes[k + 1].x1);
    EXPECT_EQ(all.win.strokes[k].y1, all.win.strokes[k + 1].y1);
  }
}

TEST(GonsReach, WithoutSwitchesPolygonsReachTwiceAsFar) {
  GonsLayer far(3);
  far.Draw();
  GonsLayer near(3);
  near.s.SwitchesGiven = true;
  near.Draw();
  EXPECT_EQ(far.Polygons(), 7);   // up to radius 320, below 3.6 x 100
  EXPECT_EQ(near.Polygons(), 6);  // up to radius 160, below 1.8 x 100

  // The second polygon is drawn however small the reach.
  GonsLayer tiny(3);
  tiny.s.HalfWidth = 0;
  tiny.Draw();
  EXPECT_EQ(tiny.Polygons(), 2);
}

TEST(GonsCorners, SpokesReachEveryCornerOfGrowingTurningPolygons) {
  // Pentagons growing by 35% and turning by 20 degrees, stretched by 1.3.
  GonsLayer l(3);
  l.s.GonSides = 5;
  l.s.GonTwist = 20;
  l.s.GonGrowth = 35;
  l.s.XStretch = 1.3f;
  l.Draw();
  // Corner at radius r and angle a: theta = -2a pi / 360, then
  // (Int(r sin(theta) 1.3 + 500), Int(r cos(theta) + 400)). The first
  // polygon has radius 5 and starts at 0; each next one is 1.35 times as
  // large and starts 20 degrees further, while its radius stays below 360.
  const auto corner = [](Single r, Single a) {
    const double theta = -(2.0 * a) * 3.14159265 / 360;
    return std::pair<Single, Single>(std::floor(r * std::sin(theta) * 1.3f + 500),
                                     std::floor(r * std::cos(theta) + 400));
  };
  std::vector<std::pair<Single, Single>> want;
  Single r = 5, start = 0;
  do {
    for (Single a = start; a <= start + 359; a = static_cast<Single>(a + 72)) {
      want.push_back(corner(r, a));
    }
    r = static_cast<Single>(r * 1.35);
    start = want.size() == 5 ? 20 : static_cast<Single>(start + 20);
  } while (want.size() == 5 || 360 > r);
  ASSERT_EQ(l.win.strokes.size(), want.size());
  for (size_t k = 0; k < want.size(); ++k) {
    const Stroke& st = l.win.strokes[k];
    EXPECT_EQ(st.x1, 500);
    EXPECT_EQ(st.y1, 400);
    EXPECT_EQ(std::pair(st.x2, st.y2), want[k]) << k;
  }
  // Worked by hand: the second polygon's first corner, radius 6.75 at 20
  // degrees, lies 6.75 x 0.34202 x 1.3 = 3.0 left of and 6.34 below the centre.
  EXPECT_EQ(std::pair(l.win.strokes[5].x2, l.win.strokes[5].y2), std::pair(496.0f, 406.0f));
}

TEST(GonsTwist, EachPolygonStartsFurtherRound) {
  // Corner 1 of the first polygon lies straight below the centre; with a
  // twist of 90 the second polygon's first corner lies to its left.
  GonsLayer l(3);
  l.s.GonTwist = 90;
  l.Draw();
  const auto& st = l.win.strokes;
  EXPECT_NEAR(st[0].x2, 500, 1);
  EXPECT_NEAR(st[0].y2, 405, 1);
  EXPECT_NEAR(st[4].x2, 490, 1);
  EXPECT_NEAR(st[4].y2, 400, 1);
  EXPECT_NEAR(st[8].x2, 500, 1);
  EXPECT_NEAR(st[8].y2, 380, 1);

  // Triangles without a twist keep their corners aligned: every connector
  // runs from the end of one spoke to the end of the next along it.
  GonsLayer tri(5);
  tri.s.GonSides = 3;
  tri.Draw();
  const auto& ts = tri.win.strokes;
  ASSERT_EQ(ts.size(), 3 + 2 * 3 * (static_cast<size_t>(tri.Polygons()) - 1));
  for (size_t k = 3; k < ts.size(); k += 2) {
    const Stroke& spoke = ts[k];
    const Stroke& connector = ts[k + 1];
    const Stroke& spokeBefore = k < 9 ? ts[(k - 3) / 2] : ts[k - 6];
    EXPECT_EQ(connector.x2, spoke.x2);
    EXPECT_EQ(connector.y2, spoke.y2);
    EXPECT_EQ(connector.x1, spokeBefore.x2);
    EXPECT_EQ(connector.y1, spokeBefore.y2);
  }
}

TEST(GonsPace, TheFirstPolygonComesAtOnceAndLaterCornersArePaced) {
  GonsLayer fast(6);
  fast.Draw();
  for (size_t k = 0; k < 4 * 2; ++k) EXPECT_EQ(fast.win.strokes[k].yields_before, 0);
  EXPECT_EQ(fast.pacer.yields, 6 * 4 + 1);
  EXPECT_EQ(fast.pacer.sleeps, 0);

  GonsLayer slow(6);
  slow.s.StrokeDelay = 3;
  slow.Draw();
  EXPECT_EQ(slow.pacer.sleeps, 6 * 4);
  EXPECT_EQ(slow.pacer.slept_ms, 3 * 6 * 4);

  GonsLayer ended(6);
  ended.pacer.end_after_yields = 3;
  EXPECT_THROW(ended.Draw(), SaverEnded);
  EXPECT_EQ(ended.win.strokes.back().yields_before, 2);
}

TEST(GonsCorners, FarCornersOfWideStretchedPolygonsKeepTheirPlace) {
  GonsLayer l(3);
  l.s.HalfWidth = 20000;
  l.s.XStretch = 3;
  l.s.CenterX = 1000;
  l.Draw();
  ASSERT_EQ(l.Polygons(), 14);  // radius 40960, the last below 72000
  Single maxX = 0;
  double expected = 5;
  for (size_t k = 0; k < l.win.strokes.size(); ++k) {
    const Stroke& st = l.win.strokes[k];
    if (k >= 4 && k % 4 == 0) expected *= 2;
    EXPECT_NEAR(l.Radius(st.x2, st.y2), expected, 1.5) << k;
    maxX = std::max(maxX, st.x2);
  }
  EXPECT_GT(maxX, 32767);
}

}  // namespace
}  // namespace kalo
