#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/loop_rig.h"

namespace kalo {
namespace {

using namespace loop_test;  // NOLINT: the shared rig is what these tests are written in

TEST(DesignLoopLayers, FixedHalfDecayNarrowsThePenToNothing) {
  CyclingRandom rnd;
  {
    RecordingWindow win;
    Rig r(win, rnd);
    r.Set(kLinesDots, "Lines");
    ReadyForLayers(r, KaloYarn, 40);
    r.loop.DrawLayers();
    EXPECT_EQ(LayerWidths(win.strokes), (std::vector<Integer>{40, 20, 10, 5, 1}));
    EXPECT_EQ(r.loop.locals().PenWidth, 0);
  }
  {
    // A single-picture Spiral is finished once its pen is down to one pixel.
    RecordingWindow win;
    Rig r(win, rnd);
    r.Set(kLinesDots, "Lines");
    ReadyForLayers(r, KaloSpiral, 40);
    r.loop.DrawLayers();
    EXPECT_EQ(LayerWidths(win.strokes), (std::vector<Integer>{40, 20, 10, 5}));
  }
  {
    RecordingWindow win;
    Rig r(win, rnd);
    r.Set(kLinesDots, "Lines");
    r.Set(kMaxLayers, "3");
    ReadyForLayers(r, KaloYarn, 40);
    r.loop.DrawLayers();
    EXPECT_EQ(LayerWidths(win.strokes), (std::vector<Integer>{40, 20, 10}));
  }
}

TEST(DesignLoopLayers, SolidColoursAreCopiedAndMixedOnesNeverAre) {
  for (const char* mix : {"Solid", "Mix"}) {
    SCOPED_TRACE(mix);
    SystemRandom rnd(7);
    CountingWindow win;
    Rig r(win, rnd);
    r.EnableAll();
    r.Set(kSolidMix, mix);
    r.Set(kBrightness, "100");
    win.SetForeColor(RGB(1, 1, 1));  // as a previous solid layer would leave it
    long copies = 0, bad_colours = 0;
    win.on_stroke = [&](Long colour, Integer, Integer mode) {
      copies += mode == 13;
      for (int shift : {0, 8, 16}) {
        const int c = (colour >> shift) & 255;
        if (c < 1 || c > 100) ++bad_colours;
      }
    };
    for (int d = 0; d < 40; ++d) r.loop.RunOneDesign();
    ASSERT_GT(win.strokes(), 1000);
    if (std::string(mix) == "Solid") {
      EXPECT_EQ(copies, win.strokes());
      EXPECT_EQ(bad_colours, 0);
    } else {
      EXPECT_EQ(copies, 0);
      EXPECT_GT(bad_colours, 0);  // mixed colours use the full range
    }
  }
}

TEST(DesignLoopLayers, BrightnessZeroWithSolidColoursStillFinishesDesigns) {
  SystemRandom rnd(11);
  CountingWindow win;
  Rig r(win, rnd);
  r.Set(kSolidMix, "Solid");
  r.Set(kBrightness, "0");
  std::set<Long> colours;
  win.SetForeColor(RGB(1, 1, 1));
  win.on_stroke = [&](Long colour, Integer, Integer) { colours.insert(colour); };
  for (int d = 0; d < 15; ++d) r.loop.RunOneDesign();
  EXPECT_GT(win.strokes(), 0);
  EXPECT_EQ(colours, (std::set<Long>{RGB(1, 1, 1)}));
}

TEST(DesignLoopLayers, ThinClusterMayStartAgainOnACleanScreenElsewhere) {
  // After its rest, one layer in Int(13 * 0.75) = 9 clears the screen (in a
  // new colour with random backgrounds) and two times in three moves on.
  RunRows(&DesignLoop::RestInThinCluster, "designs=13 randomBackground=T x=11 y=22",
          {
              {"",
               {0.1111f, Pick(8, 16), Pick(1, 3), 0.25f, 0.0f, 0.0f},
               "sleeps=4 yields=4 clears=2 back=qb(8) labelBack=qb(8) labelText=qb(0) x=400 "
               "y=250"},
              {"", {0.1111f, Pick(8, 16), Pick(0, 3)}, "clears=2 x=11 y=22"},
              {"randomBackground=F", {0.1111f, Pick(0, 3)}, "clears=1 back=0"},
              {"", {0.1112f}, "sleeps=4 clears=0 x=11"},
          });
}

TEST(DesignLoopLayers, FirstLayerOfASinglePicture) {
  RunRows(&DesignLoop::PrepareFirstLayer, "x=800 layerCount=3 choice=7 firstLayer=T recordLength=9",
          {
              {"type=Gons",
               {0.1666f, 0.1667f},
               "keepStyle=T stretch=1 halfWidth=800 mode=7 firstLayer=F layerCount=0 "
               "recordLength=0"},
              // One in six reaches Int(Rnd * 1550) + 50 instead of the centre's 800.
              {"type=Gons", {0.1667f, 0.1666f, 0.5f}, "keepStyle=F halfWidth=825"},
              {"type=Gons switches=T", {0.5f}, "halfWidth=800"},
              // Round or stretched: Yarn and Star to the screen's shape or not,
              // Spirals 2 in 5 to the screen's shape, the others by the picker.
              {"type=Yarn round=BOTH", {0.5f, 0.0f, 0.5f}, "stretch=1.6 halfWidth=800"},
              {"type=Star round=BOTH", {0.5f, 0.5f, 0.5f}, "stretch=1"},
              {"type=Angle round=BOTH", {0.5f, 0.0f, 0.249f, 0.399f, 0.4f, 0.5f}, "stretch=0.4"},
              {"type=Boxes round=BOTH", {0.5f, 0.0f, 0.25f, 0.5f}, "stretch=1.6"},
              {"type=Gons round=BOTH", {0.5f, 0.5f, 0.5f}, "stretch=1"},
              {"type=Spiral round=BOTH", {0.5f, 0.399f, 0.5f}, "stretch=1.6"},
              {"type=Spiral round=BOTH", {0.5f, 0.4f, 0.5f}, "stretch=1"},
              // A cluster that kept a single picture's count (with switches).
              {"type=Gons cluster=T switches=T pen=10", {0.5f}, "mode=13 choice=13 pen=8"},
          });
}

TEST(DesignLoopLayers, FirstLayerOfAClusterDesignIsSmallerSolidAndPlaced) {
  // A Gons design, with a fixed radius of 300 left from an earlier Spiral.
  RunRows(
      &DesignLoop::PlaceClusterDesign,
      "type=Gons fixed=300 halfWidth=123 x=11 y=22 cluster=T designs=8 choice=7",
      {
          // Thin lines keep their reach; r = 0: the screen centre.
          {"lines=T pen=2", {0.1999f}, "halfWidth=123 pen=1 x=800 y=500 choice=13 mode=13"},
          // Reach Int(781 * Rnd) + 20; a pen of 40 becomes 32, capped at
          // 30; the middle half is left as drawn.
          {"lines=F pen=40", {0.5f, 0.2f, 0.25f, 0.0f, 0.0f}, "halfWidth=410 pen=30 x=400 y=250"},
          // The other two rows keep the fixed circle on the screen.
          {"lines=T pen=37",
           {0.0f, 0.2f, 0.249f, 0.249f, 0.0f, 0.0f},
           "halfWidth=20 pen=29 x=300 y=300"},
          {"lines=F pen=3",
           {0.999f, 0.2f, 0.249f, 0.25f, 0.999f, 0.999f},
           "halfWidth=800 pen=2 x=1300 y=700"},
          {"lines=F pen=3 round=BOTH", {0.0f, 0.1999f, 0.0f, 0.25f}, "stretch=1.6"},
          {"lines=F pen=40 switches=T", {}, "halfWidth=11 pen=30 x=11 y=22 firstLayer=F"},
      });
  // Yarn and Star shrink to Int(Rnd * radius / 6), at least 120, and to 4 to
  // 12 points above 15 (Yarn) or 12 (Star).
  RunRows(&DesignLoop::PlaceClusterDesign, "cluster=T pen=10",
          {
              {"type=Yarn yarnRadius=900 yarnPoints=16",
               {0.0f, 0.999f, 0.999f, 0.1999f},
               "yarnRadius=149 yarnPoints=12"},
              {"type=Yarn yarnRadius=900 yarnPoints=15",
               {0.0f, 0.5f, 0.1999f},
               "yarnRadius=120 yarnPoints=15"},
              {"type=Star starRadius=900 starPoints=13",
               {0.0f, 0.8f, 0.999f, 0.1999f},
               "starRadius=120 starPoints=12"},
              {"type=Star starRadius=900 starPoints=12",
               {0.0f, 0.5f, 0.1999f},
               "starRadius=120 starPoints=12"},
          });
  // Spirals are drawn again until the fixed circle is below a fifth of the
  // largest radius (460 / 5 = 92), the pen at least 1.6 rolling radii out
  // and the rolling circle at most a quarter of the fixed one. Each try
  // fails one rule at its edge; the last meets all three exactly.
  std::vector<Single> draws = {0.0f};
  for (int r : {100, 40, 30, 92, 10, 30, 80, 10, 15, 70, 20, 40, 80, 20, 32}) {
    draws.push_back((r - 0.5f) / 460);
    if (draws.size() % 5 == 4) draws.insert(draws.end(), {0.7f, 0.7f});  // both curves
  }
  draws.push_back(0.1999f);
  RunRows(&DesignLoop::PlaceClusterDesign, "type=Spiral maxRadius=460 cluster=T pen=10",
          {{"", draws, "fixed=80 roll=20 penRadius=32"}});
}

TEST(DesignLoopLayers, LaterLayersRedrawStyleDecayModeAndFlags) {
  RunRows(
      &DesignLoop::PrepareLaterLayer, "gonStyle=2 decay=0.77 mode=9 choice=7 noGonSides=T",
      {
          {"type=Gons linesDots=LD noGonSides=F",
           {0.5f, 0.1666f, 0.3f, 0.8572f},
           "lines=F keepStyle=T decay=0.3 choice=7 mode=9 gonStyle=6"},
          {"type=Gons linesDots=LD fixedStyle=T",
           {0.1667f, 0.3f},
           "lines=T keepStyle=F gonStyle=2"},
          {"type=Gons linesDots=LD keepStyle=T fixedDecay=T noGonSides=F",
           {0.857f},
           "keepStyle=T decay=0.77 gonStyle=5"},
          // A kept mode turns to copy one layer in three, else stays; a copy
          // mode gets a fresh one, except in clusters.
          {"linesDots=Lines fixedDecay=T fixedMode=T", {0.3333f}, "choice=13 mode=13"},
          {"linesDots=Lines fixedDecay=T fixedMode=T", {0.3334f}, "choice=7 mode=7"},
          {"linesDots=Lines fixedDecay=T fixedMode=T choice=13",
           {0.5f, Pick(0, 13)},
           "choice=2 mode=2"},
          {"linesDots=Lines fixedDecay=T cluster=T choice=13", {0.5f}, "choice=13 mode=13"},
          // A Spiral mixing lines and dots draws its style again on every layer.
          {"type=Spiral linesDots=LD keepStyle=T fixedDecay=T", {0.5f}, "lines=F keepStyle=T"},
          {"type=Spiral linesDots=LD fixedDecay=T", {0.499f, 0.5f, 0.5f}, "lines=F keepStyle=F"},
          {"type=Spiral linesDots=LD fixedStyle=T fixedDecay=T", {0.5f}, "lines=T"},
          // Boxes that change their strokes draw all sixteen flags again.
          {"type=Boxes linesDots=Lines fixedDecay=T noBoxFlags=T", {}, ""},
          {"type=Boxes linesDots=Lines fixedDecay=T",
           {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f,
            0.5f, 0.5f},
           ""},
      });
}

TEST(DesignLoopLayers, ModeColourAndNarrowPenOfEachLayer) {
  // A fresh mode unless kept (after a 6 once more), then the solid or
  // mixed rule.
  RunRows(
      [](DesignLoop& loop) {
        loop.RefreshLayerMode();
        loop.ApplySolidMix();
      },
      "type=Gons choice=9 solidMix=SM",
      {
          {"", {Pick(4, 13), Pick(6, 13)}, "choice=8 mode=8"},
          {"type=Boxes", {Pick(3, 13), Pick(0, 13)}, "choice=2 mode=2"},  // no 5 for Boxes
          {"fixedMode=T", {}, "choice=9 mode=9"},
          {"cluster=T", {}, "choice=9 mode=9"},
          {"fixedMode=T solidMix=Solid", {}, "choice=13 mode=13"},
          {"fixedMode=T solidMix=Mix choice=13", {Pick(11, 13), Pick(12, 13)}, "choice=14 mode=14"},
          {"fixedMode=T solidMix=Mix choice=10", {}, "choice=10 mode=10"},
      });
  // Solid: Int(r * Brightness) + 1 per part; mixed: CInt(r * 255 + 1), 256
  // kept at 255. Drawn again while it matches the background or the last
  // layer. Thin clusters rest a second first.
  RunRows(&DesignLoop::ChooseLayerPenAndColour, "brightness=100 colour=rgb(9,9,9) width=9 pen=5",
          {
              {"solidMix=Solid",
               {0.5f, 0.25f, 0.999f},
               "colour=rgb(51,26,100) prevColour=rgb(51,26,100) width=5 sleeps=0"},
              {"", {0.5f, 0.0f, 0.999f}, "colour=rgb(128,1,255)"},
              {"pen=0", {}, "colour=rgb(9,9,9) width=9"},
              {"solidMix=Solid brightness=2 back=rgb(1,1,1) prevColour=rgb(2,1,1) pen=10",
               {0.1f, 0.1f, 0.1f, 0.9f, 0.1f, 0.1f, 0.9f, 0.9f, 0.9f},
               "colour=rgb(2,2,2)"},
              {"pen=3 designs=5", {0.5f, 0.0f, 0.999f}, "sleeps=0"},
              {"pen=2 designs=2", {0.5f, 0.0f, 0.999f, 0.5f, 0.0f}, "sleeps=4 clears=1"},
          });
  // One broad layer in a hundred is drawn with a pen of 1 to 3.
  RunRows(&DesignLoop::MaybeNarrowPen, "pen=16 width=16",
          {
              {"", {0.1f, 0.999f}, "pen=3 width=3"},
              {"", {0.1099f, 0.0f}, "pen=1 width=1"},
              {"", {0.0999f}, "pen=16 width=16"},
              {"", {0.1101f}, "pen=16"},
              {"pen=15", {}, "pen=15"},
          });
}

TEST(DesignLoopLayers, PenWidthDecaysForTheNextLayer) {
  RunRows(&DesignLoop::DecayPenWidth, "type=Gons designs=1 pen=40",
          {
              // A decay of 0.9 and up or 0.4 and down thins by 3, or one
              // time in 50 by a quarter, else one in 50 by half.
              {"decay=0.9001", {0.0201f, 0.0201f}, "pen=37 fixedDecay=F"},
              {"decay=0.3999", {0.0199f}, "pen=30"},
              {"decay=0.3999", {0.0201f, 0.0001f}, "pen=20"},
              {"decay=0.95 pen=5",
               {0.5f, 0.5f},
               "pen=1"},  // 2 becomes 1
                          // Between them the pen shrinks by the decay, which above 0.85
                          // stays for the rest of the picture.
              {"decay=0.8999", {}, "pen=35 fixedDecay=T"},
              {"decay=0.4001", {}, "pen=16 fixedDecay=F"},
              {"decay=0.8499", {}, "pen=33 fixedDecay=F"},
              {"decay=0.8501", {}, "pen=34 fixedDecay=T"},
              {"decay=0.6 pen=8", {}, "pen=2"},  // Int(4.8) = 4 becomes 2
              {"decay=0.6 pen=6", {}, "pen=1"},  // 3 becomes 1
              {"decay=0.95 pen=4", {}, "pen=2"},
              {"decay=0.95 pen=3", {}, "pen=1"},
              {"decay=0.95 pen=2", {}, "pen=1"},
              {"decay=0.95 pen=1", {}, "pen=0"},
              // A single-picture Spiral ends rather than draw a one-pixel layer.
              {"type=Spiral decay=0.6 pen=2", {}, "pen=0"},
              {"type=Spiral designs=5 decay=0.6 pen=2", {}, "pen=1"},
          });
}

// Two layers of a single Yarn, every draw scripted: the first layer's style
// and reach, then per layer the mode, the colour, the rare narrow pen and
// the decay, in that order.
TEST(DesignLoopLayers, LayersDrawTheirChoicesInOrder) {
  Step t({0.5f, 0.5f, Pick(6, 13), 0.5f, 0.25f, 0.999f, 0.5f,  // first layer
          0.25f, Pick(0, 13), 0.0f, 0.0f, 0.0f, 0.5f, 0.5f});  // second layer
  t.r.Set(kLinesDots, "Lines");
  t.r.Set(kMaxLayers, "2");
  ReadyForLayers(t.r, KaloYarn, 20);
  t.s.CenterX = 800;
  t.l.FixedDecay = false;
  t.l.Decay = 0.6f;
  t.l.DrawModeChoice = RasterMode::XorPen;
  t.r.loop.DrawLayers();
  ASSERT_EQ(t.win.strokes.size(), 30u);
  const test::Stroke &first = t.win.strokes[0], &second = t.win.strokes[15];
  EXPECT_EQ(first.width, 20);
  EXPECT_EQ(first.mode, 8);
  EXPECT_EQ(first.colour, RGB(128, 65, 255));
  EXPECT_EQ(second.width, 12);  // Int(20 * 0.6)
  EXPECT_EQ(second.mode, 2);
  EXPECT_EQ(second.colour, RGB(1, 1, 1));
  EXPECT_EQ(t.s.HalfWidth, 800);
  EXPECT_EQ(t.l.Decay, 0.25f);
  EXPECT_EQ(t.l.PenWidth, 9);  // 12 - 3 at a decay of 0.25
  EXPECT_EQ(t.l.LayerCount, 2);
  EXPECT_EQ(t.rnd.draws(), t.scripted);
}

}  // namespace
}  // namespace kalo
