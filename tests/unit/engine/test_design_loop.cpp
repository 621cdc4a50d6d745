#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/loop_rig.h"

namespace kalo {
namespace {

using namespace loop_test;  // NOLINT: the shared rig is what these tests are written in

TEST(DesignLoopTop, FourDesignsInFiveStartAtTheScreenCentre) {
  RunRows(&DesignLoop::ProposeCentre, "showName=T nameShown=T",
          {
              {"", {0.799f}, "x=800 y=500 firstLayer=T nameShown=F refreshes=1"},
              {"", {0.8f, 0.25f, 0.375f, 0.625f}, "x=700 y=562"},
              {"", {0.8f, 0.249f, 0.25f, 0.5f, 0.125f}, "x=800 y=218"},
              {"", {0.8f, 0.249f, 0.249f, 0.5f, 0.125f}, "x=400 y=156"},
              {"switches=T", {}, "x=800 y=500 nameShown=F"},
          });
}

TEST(DesignLoopPicture, OnePictureInTenIsAClusterOfSmallerDesigns) {
  // A cluster on a screen 1000 high: radii up to 500 - 40, a radius range
  // of 250, five to eight designs or, thin, ten to thirteen.
  RunRows(&DesignLoop::SetUpPicture, "designs=3 pen=7 single=T maxRadius=123 range=45 x=11 y=22",
          {
              {"",
               {0.749f, 0.499f},
               "fixedDecay=F cluster=F single=T designs=1 maxRadius=216 range=999 x=800 y=500"},
              {"", {0.75f, 0.6f}, "fixedDecay=T cluster=F"},
              {"",
               {0.2f, 0.5f, 0.999f, 0.334f, 0.25f, 0.375f, 0.625f},
               "cluster=T thin=F single=F designs=8 pen=7 maxRadius=460 range=250 x=700 y=562"},
              {"",
               {0.2f, 0.599f, 0.0f, 0.333f, 0.249f, 0.25f, 0.5f, 0.125f},
               "cluster=T thin=T designs=10 pen=1 x=800 y=218"},
              // With switches a cluster keeps the sizes and centre it finds.
              {"switches=T", {0.2f, 0.5f}, "cluster=T single=T designs=3 maxRadius=123 x=11"},
          });
}

TEST(DesignLoopPickers, ClusterCentreAndStretch) {
  RunRows(&DesignLoop::PickClusterCenter, "",
          {
              {"", {0.25f, 0.375f, 0.625f}, "x=700 y=562"},
              {"", {0.249f, 0.25f, 0.5f, 0.125f}, "x=800 y=218"},
              // Past the right and bottom edges: only a corner shows.
              {"", {0.249f, 0.249f, 0.5f, 0.125f}, "x=2000 y=968"},
          });
  RunRows([](DesignLoop& loop) { loop.PickStretch(3); }, "",
          {
              {"type=Spiral", {0.399f}, "stretch=1.6"},  // as wide as the screen
              {"type=Spiral", {0.4f}, "stretch=1"},
              {"type=Gons", {0.5f}, "stretch=1"},
              {"type=Gons", {0.0f, 0.25f}, "stretch=1.6"},
              {"type=Gons", {0.0f, 0.249f, 0.399f, 0.4f}, "stretch=0.4"},  // again below 0.4
          });
}

TEST(DesignLoopSetUp, DrawModeAndWhetherTheDesignKeepsIt) {
  RunRows(&DesignLoop::ChooseDrawModeAndFixing, "type=Gons",
          {
              {"", {Pick(0, 13), 0.749f}, "choice=2 fixedMode=F"},
              {"", {Pick(4, 13), Pick(5, 13), 0.75f}, "choice=7 fixedMode=T"},  // 6 drawn again
              {"", {Pick(4, 13), Pick(4, 13), 0.5f}, "choice=6 fixedMode=F"},   // but only once
              {"", {Pick(11, 13), 0.1f, 0.75f}, "choice=13 fixedMode=T"},       // copy: 1 in 4 more
              {"", {Pick(11, 13), 0.1f, 0.749f}, "choice=13 fixedMode=F"},
              {"cluster=T", {0.749f}, "choice=13 fixedMode=T stretch=1"},
              {"cluster=T round=BOTH", {0.0f, 0.25f, 0.1f}, "choice=13 stretch=1.6"},
          });
}

TEST(DesignLoopSetUp, PenWidthAndLinesOrDots) {
  RunRows(
      [](DesignLoop& loop) {
        loop.ChoosePenWidth();
        loop.ChooseLinesOrDots();
      },
      "type=Star maxWidth=40 pen=1",
      {
          {"", {0.999f, 0.749f, 0.4374f}, "pen=39 lines=T fixedStyle=F"},  // lines 6 in 8
          {"", {0.0f, 0.75f, 0.4375f}, "pen=0 lines=F fixedStyle=T"},      // kept 1 in 16
          {"", {0.5f, 0.0f, 0.5f}, "pen=20 lines=T fixedStyle=F"},
          {"thin=T", {0.75f, 0.4999f}, "pen=1 lines=F fixedStyle=T"},  // thin keeps its pen
          {"linesDots=Lines", {0.5f}, "pen=20 lines=T fixedStyle=F"},
      });
}

TEST(DesignLoopSetUp, SpiralPresetBeforeItsParameters) {
  // Largest radius 216, pen width 10: a lone inner curve's pen beyond 216 is
  // brought in to 206; the level is drawn twice below 8, and lines above 9
  // get a level of 2 to 6.
  RunRows(&DesignLoop::PresetSpiral, "type=Spiral maxRadius=216 pen=10 penRadius=300",
          {
              {"outside=F",
               {0.899f, 0.9001f, 0.8333f},
               "penRadius=206 innerMode=T outerMode=F detail=9"},
              {"outside=F penRadius=216",
               {0.9001f, 0.899f, 0.6667f},
               "penRadius=216 innerMode=F outerMode=T detail=8"},
              {"outside=T", {0.5f, 0.5f, 0.6666f, 0.8334f, 0.999f}, "penRadius=300 detail=6"},
              {"inside=F outside=T lines=F", {0.5f, 0.5f, 0.9999f}, "detail=11"},
              {"outside=F", {0.5f, 0.5f, 0.8334f, 0.2f}, "penRadius=206 detail=3"},
          });
}

TEST(DesignLoopSetUp, BoxesAndGonsFlagsDecayAndFlatBoxes) {
  RunRows(&DesignLoop::ChooseDesignFlags, "",
          {
              {"type=Boxes", {0.499f, 0.3f}, "noBoxFlags=T noGonSides=F decay=0.3"},
              {"type=Boxes", {0.5f, 0.3f}, "noBoxFlags=F decay=0.3"},
              {"type=Gons", {0.499f, 0.3f}, "noGonSides=T noBoxFlags=F decay=0.3"},
              {"type=Gons", {0.5f, 0.3f}, "noGonSides=F"},
              {"type=Angle", {0.3f}, "noBoxFlags=F noGonSides=F decay=0.3"},
          });
  // Two Boxes designs in seven lose their twist.
  RunRows(&DesignLoop::FlattenSomeBoxes, "boxTwist=17",
          {{"", {0.7142f}, "boxTwist=17"},
           {"", {0.7143f}, "boxTwist=0"},
           {"", {0.999f}, "boxTwist=0"}});
}

TEST(DesignLoopSetUp, SpiralTuningAfterItsParameters) {
  RunRows(&DesignLoop::TuneSpiral,
          "type=Spiral maxRadius=216 fixed=90 roll=40 inside=T outside=F detail=7 mode=13",
          {
              // A lone outer curve round the largest circle: the fixed circle
              // halved, the rolling one drawn again from 40 / 3 to 108 / 3:
              // Int((36 - 13.33 + 1) * .5) + 13.33.
              {"inside=F outside=T fixed=216 revolutions=2 pen=10",
               {0.5f},
               "fixed=108 roll=24.333334 pen=10"},
              {"inside=F outside=T fixed=215 revolutions=2", {}, "fixed=215 roll=40"},
              {"outside=T fixed=216 revolutions=2", {}, "fixed=216 roll=40"},
              // Many turns: coarser above 8; lines at most 24 wide above 5, 3 above 7.
              {"revolutions=9 pen=4", {}, "detail=6 pen=3"},
              {"revolutions=8 pen=4", {}, "detail=7 pen=3"},
              {"revolutions=7 pen=3", {}, "pen=3"},
              {"revolutions=7 pen=30", {0.999f}, "pen=15"},  // 24, then Int(Rnd * 12 + 4)
              {"revolutions=6 pen=21", {0.0f}, "pen=4"},
              {"revolutions=6 pen=20", {}, "pen=20"},
              {"revolutions=5 pen=30", {}, "pen=30"},
              {"lines=F revolutions=6 pen=30 mode=10", {0.5f}, "pen=10"},
              // Lines over not-xor-pen (10): a pen of 7 or more becomes
              // Int((pen - 11) * Rnd + 6).
              {"revolutions=7 pen=20 mode=10", {0.5f}, "pen=10"},
              {"revolutions=7 pen=30 mode=10", {0.999f}, "pen=18"},  // capped at 24 first
              {"revolutions=7 pen=7 mode=10", {0.999f}, "pen=2"},
              {"revolutions=7 pen=6 mode=10", {}, "pen=6"},
              {"revolutions=6 pen=20 mode=10", {}, "pen=20"},
              // Dots need at least level 1.
              {"lines=F revolutions=9 detail=1 pen=2", {}, "detail=1"},
              {"revolutions=9 detail=1 pen=2", {}, "detail=0"},
              // Above six turns one of two curves goes.
              {"outside=T revolutions=7 pen=2", {0.499f}, "inside=F outside=T"},
              {"outside=T revolutions=7 pen=2", {0.5f}, "inside=T outside=F"},
              {"outside=T revolutions=6 pen=2", {}, "inside=T outside=T"},
          });
}

// The design set-up draws in a fixed order: type, mode, pen, style, the
// Spiral preset, flags and decay, the shape, and the last adjustments.
TEST(DesignLoopSetUp, WholeSetUpDrawsInItsOrder) {
  const Single box = 7.5f / 15, growth = 29.5f / 80, flag = 0.5f;
  RunRows(
      &DesignLoop::SetUpDesign, "enabled=all single=T maxWidth=40 maxRadius=216 showName=T",
      {
          {"startingUp=T",
           {Pick(9, 11), Pick(3, 13), Pick(5, 13), 0.75f,  0.5f,   0.75f, 0.4375f, 0.499f,
            0.3f,        box,         0.5f,        growth, flag,   flag,  flag,    flag,
            flag,        flag,        flag,        flag,   flag,   flag,  flag,    flag,
            flag,        flag,        flag,        flag,   0.7143f},
           "type=Boxes caption=Boxes choice=7 fixedMode=T pen=20 lines=F fixedStyle=T noBoxFlags=T "
           "decay=0.3 boxCount=8 boxGrowth=30 boxTwist=0 startingUp=F"},
          {"",
           {Pick(10, 11), Pick(11, 13), 0.1f, 0.749f, 0.75f, 0.0f, 0.5f, 0.95f, 0.5f, 0.75f, 0.6f,
            99.5f / 216, 39.5f / 216, 29.5f / 216, 0.7f, 0.2f},
           "type=Spiral caption=Spiral choice=13 fixedMode=F pen=30 lines=T fixedStyle=F "
           "innerMode=F "
           "outerMode=T detail=9 decay=0.6 fixed=100 roll=40 penRadius=30 inside=T outside=F"},
      });
}

TEST(DesignLoopSetUp, DesignTypeDrawsMapToTheirTypes) {
  // Int(Rnd * 11) for a single picture: 6 and 10 give Spirals, 7 to 9 Gons,
  // Angle and Boxes, 0 to 5 stand for themselves.
  const char* kByDraw[] = {"Spiral", "Yarn", "Star",  "Gons",  "Angle", "Boxes",
                           "Spiral", "Gons", "Angle", "Boxes", "Spiral"};
  std::vector<Row> rows;
  for (int n = 0; n < 11; ++n)
    rows.push_back({"", {Pick(n, 11)}, std::string("type=") + kByDraw[n]});
  rows.insert(rows.end(), {
                              {"", {0.5454f}, "type=Boxes"},
                              {"", {0.5455f}, "type=Spiral"},
                              // A cluster that kept a single picture's set-up: Int(Rnd * 10).
                              {"cluster=T", {Pick(9, 10)}, "type=Boxes"},
                              // A full cluster draws a zero again among the three small types.
                              {"single=F", {0.0999f, Pick(2, 3)}, "type=Star"},
                              {"single=F", {0.0999f, Pick(0, 3)}, "type=Spiral"},
                              {"single=F", {0.1f}, "type=Yarn"},
                              {"single=F", {Pick(6, 10)}, "type=Spiral"},
                          });
  RunRows(&DesignLoop::ChooseDesignType, "enabled=all single=T", rows);
  // Disabled types are drawn again.
  RunRows(&DesignLoop::ChooseDesignType, "single=T",
          {{"", {Pick(1, 11), Pick(2, 11), Pick(7, 11)}, "type=Gons"}});
}

TEST(DesignLoopSetUp, WithNoTypeEnabledSpiralsAreDrawn) {
  // Only Yarn enabled, but drawn with dots: start-up has disabled it.
  SystemRandom rnd(3);
  CountingWindow win;
  Rig r(win, rnd);
  r.EnableOnly({});
  r.Set(kLinesDots, "Dots");
  r.s.UseLines.fill(false);
  for (int d = 0; d < 10; ++d) {
    r.loop.RunOneDesign();
    EXPECT_EQ(r.s.DesignType, KaloSpiral);
  }
  EXPECT_GT(win.dots, 0);
  EXPECT_EQ(win.lines, 0);
}

TEST(DesignLoopPickers, DrawModesSkipTheDullOnes) {
  // CInt(Int(Rnd * 13) + 2), drawn again for 3, 4, 9, 11, 12, and 5 for Boxes.
  std::vector<Row> rows;
  for (int m = 2; m <= 14; ++m) {
    const bool dull = m == 3 || m == 4 || m == 9 || m == 11 || m == 12;
    std::vector<Single> draws = {Pick(m - 2, 13)};
    if (dull) draws.push_back(Pick(11, 13));
    rows.push_back({"type=Gons", draws, "choice=" + std::to_string(dull ? 13 : m)});
  }
  rows.push_back({"type=Boxes", {Pick(3, 13), Pick(5, 13)}, "choice=7"});
  RunRows(&DesignLoop::PickDrawMode, "", rows);
}

TEST(DesignLoopEnd, MarkedDesignIsSavedThenTheMarkIsCleared) {
  ScriptedRandom rnd;
  CountingWindow win;
  Rig r(win, rnd);
  r.loop.locals().DesignsPerPicture = 5;
  win.SetBackColor(255);
  r.s.DesignRecord = " 3\\ 65280\\ 4\\ 1\\ 13\\/";
  r.run.SavePending = true;
  r.run.SaveCancelled = true;
  EXPECT_FALSE(r.loop.EndDesign());
  EXPECT_EQ(r.pacer.sleeps, 6);  // 1.5 s between designs of a picture
  EXPECT_EQ(r.services.calls, (std::vector<std::string>{"SaveData0", "SaveData1", "RestoreCursor",
                                                        "ShowAboutModal", "HideCursor"}));
  EXPECT_EQ(r.services.saved_records[0], " 255\\ 3\\ 65280\\ 4\\ 1\\ 13\\/");
  EXPECT_FALSE(r.run.SavePending);
  EXPECT_FALSE(r.run.SaveCancelled);

  // Nothing marked: nothing asked.
  r.services.calls.clear();
  EXPECT_FALSE(r.loop.EndDesign());
  EXPECT_TRUE(r.services.calls.empty());

  // For the companion program the design is handed over instead.
  r.run.CommandLine = "/s /z";
  r.run.SavePending = true;
  r.s.DesignRecord = " 0\\/";
  r.loop.locals().DesignCount = 4;
  EXPECT_TRUE(r.loop.EndDesign());
  EXPECT_EQ(r.pacer.sleeps, 6 + 6 + 12);  // the picture's last design rests 3 s
  EXPECT_EQ(r.services.calls, (std::vector<std::string>{"SaveDataForDrawPgm"}));
  EXPECT_EQ(r.services.saved_records.back(), " 255\\ 0\\/");
  EXPECT_FALSE(r.run.SavePending);
}

TEST(DesignLoopEnd, SpaceBarDuringDrawingSavesThatDesign) {
  SystemRandom rnd(17);
  CountingWindow win;
  Rig r(win, rnd);
  r.pacer.on_yield = [&](long n) {
    if (n == 5) r.run.SavePending = true;
  };
  r.loop.RunOneDesign();
  ASSERT_EQ(r.services.saved_records.size(), 2u);
  const std::string& saved = r.services.saved_records[1];
  EXPECT_EQ(saved.rfind(" 0\\", 0), 0u);  // black background first
  // Then one record per layer drawn.
  const size_t layers = static_cast<size_t>(std::count(saved.begin(), saved.end(), '/'));
  EXPECT_EQ(layers, static_cast<size_t>(r.loop.locals().LayerCount));
  EXPECT_EQ(r.services.saved_records[0], saved);
  EXPECT_FALSE(r.run.SavePending);
}

TEST(DesignLoopEnd, PicturesEndWithARestAndNowAndThenAHintTheAboutOrANewBackground) {
  // Draws: a hint 1 in 10, the about display 1 in 11, the background colour.
  RunRows(&DesignLoop::EndPicture, "showName=T nameShown=T back=qb(4) designCount=3 thin=T",
          {
              {"aboutFlag=T randomBackground=T",
               {0.0999f, 0.0909f, 0.0f},
               "sleeps=46 yields=46 sleptMs=11500 refreshes=3 clears=4 about=1 hint=F nameShown=T "
               "back=qb(0) labelBack=qb(0) labelText=qb(15) designCount=0 thin=F"},
              {"aboutFlag=T randomBackground=T",
               {0.1f, 0.091f, 0.999f},
               "sleeps=6 refreshes=1 clears=2 about=0 back=qb(15) labelText=qb(0)"},
              {"", {0.1f}, "sleeps=6 clears=1 back=qb(4)"},
              // The companion program gets neither hint nor about display.
              {"companion=T aboutFlag=T randomBackground=T",
               {0.5f},
               "sleeps=6 clears=2 about=0 back=qb(8)"},
          });
}

// Where nothing is shown over the designs (a host's window), pictures still
// end with the rests of a screen, whose hint is up from the start.
TEST(DesignLoopEnd, WithNothingShownPicturesRestAsOnAScreen) {
  ScriptedRandom rnd{0.5f, 0.5f, 0.05f};  // no hint, no hint, the hint
  CountingWindow canvas;
  NullOverlay overlay;
  DesignState s;
  RunState run;
  FakePacer pacer;
  QuietServices services;
  LoopContext ctx{{s, canvas, overlay, pacer, rnd}, run, services};
  DesignLoop loop(ctx);
  for (long sleeps : {12, 6, 24}) {
    pacer.sleeps = 0;
    loop.EndPicture();
    EXPECT_EQ(pacer.sleeps, sleeps);
  }
}

TEST(DesignLoopRun, EndsOnlyWhenTheSaverIsEnded) {
  SystemRandom rnd(1);
  CountingWindow win;
  Rig r(win, rnd);
  r.run.StartingUp = true;
  r.pacer.end_after_yields = 20000;
  EXPECT_THROW(RunDesignLoop(r.ctx), SaverEnded);
  EXPECT_EQ(r.pacer.yields, 20000);
  EXPECT_FALSE(r.run.StartingUp);
}

TEST(DesignLoopRun, TinyWindowClustersStillFinish) {
  SystemRandom rnd(8);
  CountingWindow win(64, 48);
  Rig r(win, rnd);
  r.EnableAll();
  int clusters = 0;
  for (int d = 0; d < 200; ++d) {
    r.loop.RunOneDesign();
    clusters += r.loop.locals().ClusterPicture;
  }
  EXPECT_GT(clusters, 0);
}

// Thousands of designs with settings changing under the loop, as a long night
// of running would bring; every one of them must finish.
TEST(DesignLoopRun, SoakWithRandomSettings) {
  SystemRandom rnd(2024);
  SystemRandom pick(99);
  CountingWindow win(640, 480);
  Rig r(win, rnd);
  const char* kLines[] = {"LD", "Lines", "Dots", "xx"};
  const char* kMix[] = {"SM", "Solid", "Mix", ""};
  const char* kRound[] = {"CI", "DI", "BOTH", "??"};
  auto any = [&](int n) { return static_cast<int>(pick.Rnd() * n); };
  int designs = 0;
  for (int batch = 0; batch < 300; ++batch) {
    for (int t = 0; t < kDesignTypeCount; ++t) r.run.DesignEnabled[t] = any(2) == 0;
    r.run.Settings[kBrightness] = std::to_string(any(300) - 20);
    r.run.Settings[kMaxDrawWidth] = std::to_string(any(120) - 10);
    r.run.Settings[kMaxLayers] = std::to_string(any(45) - 3);
    r.run.Settings[kLinesDots] = kLines[any(4)];
    r.run.Settings[kSolidMix] = kMix[any(4)];
    r.run.Settings[kRoundness] = kRound[any(4)];
    // Start-up's reading of lines or dots, which the loop builds on.
    if (Code(r.run.Settings[kLinesDots])[0] == 'L') {
      r.s.UseLines.fill(true);
    } else {
      r.s.UseLines.fill(false);
      r.run.DesignEnabled[KaloYarn] = false;
    }
    r.s.SwitchesGiven = any(5) == 0;
    r.s.ShowDesignName = any(5) == 0;
    r.run.RandomBackground = any(2) == 0;
    r.run.ShowAboutFlag = any(2) == 0;
    r.run.CommandLine = any(4) == 0 ? "/s /z" : "/s";
    r.run.SavePending = any(8) == 0;
    for (int d = 0; d < 10; ++d, ++designs) r.loop.RunOneDesign();
  }
  EXPECT_EQ(designs, 3000);
  EXPECT_GT(win.strokes(), 100000);
  EXPECT_EQ(win.non_finite, 0);
}

}  // namespace
}  // namespace kalo
