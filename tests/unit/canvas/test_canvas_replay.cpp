#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "canvas/canvas_file.h"
#include "canvas/canvas_replay.h"
#include "canvas/canvas_scale.h"
#include "core/random.h"
#include "engine/design_loop.h"
#include "support/fake_pacer.h"
#include "support/saved_design.h"
#include "support/startup_defaults.h"
#include "surface/image_window.h"

namespace kalo {
namespace {

// The saver draws designs of one type, with every setting at its default, and
// each saved design that stands alone in the middle of the screen is drawn
// again from its canvas file, pixel for pixel the same. The screen's 4:3
// proportions take more than the seven digits the file keeps of a stretch.
TEST(CanvasReplay, ADesignDrawnAloneComesBackPixelForPixelForEveryType) {
  constexpr int kW = 320, kH = 240;
  for (int type = 0; type < kDesignTypeCount; ++type) {
    int compared = 0, stretched = 0;
    for (uint64_t seed = 1; compared < 6 && seed < 300; ++seed) {
      Surface surface(kW, kH);
      SurfacePen win(surface);
      NullOverlay overlay;
      test::FakePacer pacer;
      SystemRandom rnd(seed);
      DesignState s;
      RunState run;
      test::SetStartupDefaults(s, run, kW);
      run.DesignEnabled.fill(false);
      run.DesignEnabled[type] = true;
      test::SavedDesign saved(surface, s);
      LoopContext ctx{{s, win, overlay, pacer, rnd}, run, saved};
      DesignLoop loop(ctx);
      run.SavePending = true;
      loop.RunOneDesign();

      // What the file cannot tell: a cluster's place, a reach picked at
      // random, a stretch picked at random.
      if (loop.locals().ClusterPicture) continue;
      if (type >= KaloGons && s.HalfWidth != s.CenterX) continue;
      if (s.XStretch != 1 && s.XStretch != static_cast<Single>(kW) / kH) continue;
      const CanvasRead read = ParseCanvasText(CanvasFileText(saved.records.back()));
      ASSERT_TRUE(read.ok()) << read.error;
      Surface again(kW, kH);
      DrawCanvasImage(read.design, again);
      EXPECT_TRUE(std::equal(saved.picture.begin(), saved.picture.end(), again.bits()))
          << kDesignTypeNames[type] << ", seed " << seed << ":\n"
          << saved.records.back();
      ++compared;
      stretched += s.XStretch != 1;
    }
    EXPECT_EQ(compared, 6) << kDesignTypeNames[type];
    EXPECT_GT(stretched, 0) << kDesignTypeNames[type];
  }
}

// The pixels that are not black, inclusive.
struct Extent {
  int left, top, right, bottom;
};
Extent DrawnExtent(const Surface& surface) {
  const int w = surface.width(), h = surface.height();
  Extent e{w, h, -1, -1};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (surface.pixel(x, y) != 0) {
        e.left = std::min(e.left, x), e.right = std::max(e.right, x);
        e.top = std::min(e.top, y), e.bottom = std::max(e.bottom, y);
      }
  return e;
}

// Any size: the design stays in the middle, and keeps its stretch.
TEST(CanvasReplay, DrawsInTheMiddleOfAnySizeWithTheRecordedStretch) {
  // A triangle of radius 40, twice as wide as it is high, in white.
  const CanvasRead read =
      ParseCanvasText(CanvasFileText(" 0\\ 1\\ 16777215\\ 1\\ 2\\ 40\\ 3\\-1\\ 13\\/"));
  ASSERT_TRUE(read.ok()) << read.error;
  for (auto [w, h] : {std::pair{200, 100}, {640, 480}, {301, 199}}) {
    Surface surface(w, h);
    DrawCanvasImage(read.design, surface);
    const auto [left, top, right, bottom] = DrawnExtent(surface);
    // Point 1 straight above the centre, the others 120 degrees round.
    EXPECT_EQ(top, h / 2 - 40) << w << "x" << h;
    EXPECT_EQ(bottom, h / 2 + 20) << w << "x" << h;
    EXPECT_NEAR((left + right) / 2.0, w / 2, 1) << w << "x" << h;
    EXPECT_NEAR(right - left, 2 * 2 * 40 * 0.866, 2) << w << "x" << h;
  }
}

// Scaled, the design keeps its share of the picture: its drawn extent, pen
// included, grows by the factor about the middle. At the size it was saved
// at it comes back stroke for stroke.
TEST(CanvasReplay, ScalesTheDesignAndItsPensWithThePicture) {
  // Lines 9 wide: a triangle of radius 40 stretched twice as wide, whose
  // corners reach the furthest left and right; dots 9 wide: three round it at
  // radius 60, which reach the furthest up and down.
  const CanvasRead read =
      ParseCanvasText(CanvasFileText(" 0\\ 1\\ 16777215\\ 9\\ 2\\ 40\\ 3\\-1\\ 13\\/"
                                     " 2\\ 255\\ 9\\ 1\\ 60\\ 3\\ 1\\ 0\\ 13\\/"));
  ASSERT_TRUE(read.ok()) << read.error;
  Surface saved(320, 200);
  DrawCanvasImage(read.design, saved);
  const Extent one = DrawnExtent(saved);
  const auto screen = std::optional(PictureSize{320, 200});
  struct Row {
    int w, h;
    ScaleRequest request;
    double factor;  // of the extent at 320 x 200; 0: `fit` of the shorter side
  };
  // clang-format off
  const Row rows[] = {
      {320, 200, {screen, 0, 0}, 1},
      {640, 400, {screen, 0, 0}, 2},
      {960, 540, {screen, 0, 0}, 2.7},  // wider: the height decides
      {640, 400, {{}, 0, 0}, 1},        // the saved screen not known: as saved
      {640, 400, {{}, 2, 0}, 2},
      {320, 200, {{}, 0.5, 0}, 0.5},
      {1000, 600, {screen, 0, .5}, 0},
      {400, 900, {{}, 0, .9}, 0},
  };
  // clang-format on
  for (const Row& r : rows) {
    const CanvasScale scale = ChooseCanvasScale(read.design, r.w, r.h, r.request);
    Surface surface(r.w, r.h);
    DrawCanvasImage(read.design, surface, scale);
    const Extent e = DrawnExtent(surface);
    const std::string row = std::to_string(r.w) + "x" + std::to_string(r.h) + " factor " +
                            std::to_string(r.request.factor) + " fit " +
                            std::to_string(r.request.fit);
    if (r.w == 320 && r.factor == 1) {
      EXPECT_TRUE(scale.Plain(r.w, r.h)) << row;
      EXPECT_TRUE(std::equal(surface.bits(), surface.bits() + 320 * 200, saved.bits())) << row;
    }
    if (r.factor > 0) {
      // Every side where the saved one lies, seen from the middle, times the factor.
      EXPECT_NEAR(e.left - r.w / 2, (one.left - 160) * r.factor, 2) << row;
      EXPECT_NEAR(e.right - r.w / 2, (one.right - 160) * r.factor, 2) << row;
      EXPECT_NEAR(e.top - r.h / 2, (one.top - 100) * r.factor, 2) << row;
      EXPECT_NEAR(e.bottom - r.h / 2, (one.bottom - 100) * r.factor, 2) << row;
    } else {
      const int longer = std::max(e.right - e.left, e.bottom - e.top) + 1;
      EXPECT_NEAR(longer, r.request.fit * std::min(r.w, r.h), 2) << row;
      EXPECT_NEAR(e.left + e.right, r.w - 1, 2) << row;
      EXPECT_NEAR(e.top + e.bottom, r.h - 1, 2) << row;
    }
  }
}

TEST(CanvasReplay, TurnsAwayDesignsThatWouldTakeTooLongBeforeDrawingAnything) {
  // A full Star in the widest pen: the saver's heaviest layer.
  const std::string star = " 2\\ 255\\ 128\\ 1\\ 999\\ 25\\ 20\\-1\\ 13\\/\r\n";
  std::string file = CanvasFileText(" 0\\" + star.substr(0, star.size() - 2));
  for (int i = 1; i < 32; ++i) file += star;
  const CanvasRead saved = ParseCanvasText(file);
  for (int i = 32; i < kCanvasLayerLimit; ++i) file += star;
  const CanvasRead heavy = ParseCanvasText(file);
  ASSERT_TRUE(saved.ok() && heavy.ok()) << saved.error << heavy.error;

  EXPECT_EQ(CheckCanvasWork(saved.design, 7680, 4320), "");
  EXPECT_EQ(CheckCanvasWork(heavy.design, 16384, 4096),
            "the design would take too long to draw at 16384 x 4096");
  EXPECT_LE(CanvasWork(heavy.design, 16384, 4096, 1e9), 1.01e9);
}

}  // namespace
}  // namespace kalo
