#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "driver/design_loop.h"
#include "platform/numbers.h"
#include "platform/random.h"
#include "settings/settings_store.h"
#include "support/fake_pacer.h"
#include "support/recording_window.h"
#include "support/scripted_random.h"
#include "support/startup_defaults.h"

namespace kalo {
namespace {

using test::CountingWindow;
using test::FakePacer;
using test::RecordingWindow;
using test::ScriptedRandom;

// Given values first, then a seeded generator: the draws under test are
// scripted, everything after them is ordinary randomness.
class ScriptThenRandom final : public RandomSource {
 public:
  explicit ScriptThenRandom(uint64_t seed) : rest_(seed) {}
  void Push(std::initializer_list<Single> v) { script_.insert(script_.end(), v); }
  Single Rnd() override {
    if (script_.empty()) return rest_.Rnd();
    Single v = script_.front();
    script_.pop_front();
    return v;
  }
  size_t remaining() const { return script_.size(); }

 private:
  std::deque<Single> script_;
  SystemRandom rest_;
};

// Goes round a fixed list; none of its values lets the rare 1-in-100 narrow
// pen fire, so a pen-width sequence is exactly the decay's.
class CyclingRandom final : public RandomSource {
 public:
  Single Rnd() override { return kValues[i_++ % 10]; }

 private:
  static constexpr Single kValues[10] = {0.31f, 0.77f, 0.52f, 0.93f, 0.18f,
                                         0.64f, 0.45f, 0.86f, 0.27f, 0.58f};
  size_t i_ = 0;
};

class RecordingServices final : public SaverServices {
 public:
  explicit RecordingServices(const DesignState& s) : s_(s) {}
  void SaveData(Integer kind) override {
    calls.push_back("SaveData" + std::to_string(kind));
    saved_records.push_back(s_.DesignRecord);
  }
  void SaveDataForDrawPgm() override {
    calls.push_back("SaveDataForDrawPgm");
    saved_records.push_back(s_.DesignRecord);
  }
  void ShowAboutModal() override { calls.push_back("ShowAboutModal"); }
  void ShowAboutBriefly() override { calls.push_back("ShowAboutBriefly"); }
  void UnloadAbout() override { calls.push_back("UnloadAbout"); }
  void HideCursor() override { calls.push_back("HideCursor"); }
  void RestoreCursor() override { calls.push_back("RestoreCursor"); }

  std::vector<std::string> calls;
  std::vector<std::string> saved_records;

 private:
  const DesignState& s_;
};

// The state start-up leaves behind, with the default settings and a chosen
// window and random source.
struct Rig {
  Rig(DesignWindow& window, RandomSource& random) : win(window), rnd(random) {
    test::SetStartupDefaults(s, run, win.ScaleWidth());
    Set(kRoundness, "CI");
    EnableOnly({KaloSpiral, KaloGons});
  }
  void Set(SettingKey k, const char* text) {
    run.Settings[k] = text;
    loop.ReadSettings();
  }
  void EnableOnly(std::initializer_list<int> types) {
    run.DesignEnabled.fill(False);
    for (int t : types) run.DesignEnabled[t] = True;
  }
  void EnableAll() { run.DesignEnabled.fill(True); }

  DesignState s;
  DesignWindow& win;
  RandomSource& rnd;
  FakePacer pacer;
  RunState run;
  RecordingServices services{s};
  LoopContext ctx{{s, win, pacer, rnd}, run, services};
  DesignLoop loop{ctx};
};

// Rnd values that make Int(Rnd * n) give k.
Single Pick(int k, double n) { return static_cast<Single>((k + 0.5) / n); }

// Layers as a viewer tells them apart: each layer has its own colour.
std::vector<Integer> LayerWidths(const std::vector<test::Stroke>& strokes) {
  std::vector<Integer> widths;
  Long colour = -1;
  for (const auto& st : strokes) {
    if (st.colour != colour) widths.push_back(st.width);
    colour = st.colour;
  }
  return widths;
}

// A centred single picture of one figure, ready for its first layer.
void ReadyForLayers(Rig& r, Integer type, Integer pen) {
  LoopLocals& l = r.loop.locals();
  r.s.DesignType = type;
  r.s.CenterX = 960;
  r.s.CenterY = 540;
  r.s.YarnRadius = 150;
  r.s.YarnPoints = 6;
  r.s.FixedRadius = 100;
  r.s.RollRadius = 40;
  r.s.PenRadius = 50;
  r.s.SpiralInside = True;
  r.s.SpiralOutside = False;
  r.s.SpiralDetail = 7;
  CalcRevolutions(r.s);
  l.PenWidth = pen;
  l.FixedDecay = True;
  l.Decay = 0.5f;
  l.DesignsPerPicture = 1;
  l.FirstLayer = True;
}

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

TEST(DesignLoopLayers, DecayRulesForWideAndNarrowPens) {
  ScriptedRandom rnd;
  CountingWindow win;
  Rig r(win, rnd);
  LoopLocals& l = r.loop.locals();
  r.s.DesignType = KaloGons;
  auto decay = [&](Integer pen, Single d, std::initializer_list<Single> draws) {
    for (Single v : draws) rnd.Push(v);
    l.PenWidth = pen;
    l.Decay = d;
    r.loop.DecayPenWidth();
    return l.PenWidth;
  };
  rnd.SetFallback(0.5f);
  EXPECT_EQ(decay(40, 0.95f, {0.5f, 0.5f}), 37);   // steady thinning by 3
  EXPECT_EQ(decay(40, 0.3f, {0.001f}), 30);        // rare three-quarter step
  EXPECT_EQ(decay(40, 0.3f, {0.5f, 0.001f}), 20);  // rare halving
  EXPECT_EQ(decay(40, 0.6f, {}), 24);              // proportional
  EXPECT_EQ(decay(4, 0.6f, {}), 2);
  EXPECT_EQ(decay(3, 0.6f, {}), 1);
  EXPECT_EQ(decay(2, 0.6f, {}), 1);
  EXPECT_EQ(decay(1, 0.6f, {}), 0);
  EXPECT_FALSE(IsTrue(l.FixedDecay));
  EXPECT_EQ(decay(40, 0.88f, {}), 35);
  EXPECT_TRUE(IsTrue(l.FixedDecay));  // a gentle decay is kept for the picture
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

TEST(DesignLoopLayers, LayerColoursDifferFromBackgroundAndPreviousLayer) {
  ScriptedRandom rnd;
  CountingWindow win;
  Rig r(win, rnd);
  LoopLocals& l = r.loop.locals();
  r.Set(kSolidMix, "Solid");
  r.Set(kBrightness, "2");
  win.SetBackColor(RGB(1, 1, 1));
  l.PrevColour = RGB(2, 1, 1);
  l.PenWidth = 10;
  l.DesignsPerPicture = 1;
  // Background, then the previous colour, then a fresh one.
  rnd.Push({0.1f, 0.1f, 0.1f, 0.9f, 0.1f, 0.1f, 0.9f, 0.9f, 0.9f});
  r.loop.ChooseLayerPenAndColour();
  EXPECT_EQ(win.ForeColor(), RGB(2, 2, 2));
  EXPECT_EQ(win.DrawWidth(), 10);
  EXPECT_EQ(l.PrevColour, RGB(2, 2, 2));
  EXPECT_EQ(rnd.remaining(), 0u);
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

TEST(DesignLoopLayers, ThinClusterRestsBeforeEveryLayer) {
  ScriptThenRandom rnd(5);
  CountingWindow win;
  Rig r(win, rnd);
  r.EnableAll();
  LoopLocals& l = r.loop.locals();
  // Fixed decay no, cluster yes, eight designs, thin, centre in the middle half.
  rnd.Push({Pick(0, 4), Pick(5, 10), Pick(3, 4), Pick(0, 3), Pick(1, 4), 0.5f, 0.5f});
  r.loop.SetUpPicture();
  EXPECT_TRUE(IsTrue(l.ClusterPicture) && IsTrue(l.ThinCluster));
  EXPECT_EQ(l.DesignsPerPicture, 13);
  EXPECT_EQ(l.PenWidth, 1);
  EXPECT_EQ(r.s.MaxRadius, 500);
  EXPECT_EQ(r.s.RadiusRange, 270);
  EXPECT_EQ(r.s.CenterX, 960);
  EXPECT_EQ(r.s.CenterY, 540);

  // Count the rests between the start of the layers (or the previous layer's
  // first stroke) and each layer's first stroke.
  std::vector<int> rests_before_layer;
  int rests = 0;
  Long last = -1;
  win.on_stroke = [&](Long colour, Integer width, Integer mode) {
    EXPECT_EQ(width, 1);
    EXPECT_EQ(mode, 13);
    if (colour != last) {
      rests_before_layer.push_back(rests);
      rests = 0;
    }
    last = colour;
  };
  r.pacer.on_sleep = [&](Long ms) { rests += ms == 250; };
  for (int d = 0; d < 13; ++d) {
    r.loop.ProposeCentre();
    r.loop.SetUpDesign();
    rests = 0;
    r.loop.DrawLayers();
    r.loop.EndDesign();
  }
  ASSERT_GE(rests_before_layer.size(), 10u);
  for (int n : rests_before_layer) EXPECT_EQ(n, 4);
}

TEST(DesignLoopLayers, ThinClusterMayStartAgainOnACleanScreenElsewhere) {
  ScriptedRandom rnd;
  RecordingWindow win;
  Rig r(win, rnd);
  LoopLocals& l = r.loop.locals();
  l.DesignsPerPicture = 13;
  r.run.RandomBackground = True;
  // Clear (1 in 9), background colour 8, new centre, top-left of middle half.
  rnd.Push({Pick(0, 9), Pick(8, 16), Pick(1, 3), Pick(1, 4), 0.0f, 0.0f});
  r.loop.RestInThinCluster();
  EXPECT_EQ(r.pacer.sleeps, 4);
  EXPECT_EQ(r.pacer.yields, 4);
  EXPECT_EQ(win.clears, 2);  // cleared, and again in the new colour
  EXPECT_EQ(win.BackColor(), QBColor(8));
  EXPECT_EQ(win.ControlBack(Control::Label3), QBColor(8));
  EXPECT_EQ(win.ControlFore(Control::Label3), QBColor(0));
  EXPECT_EQ(r.s.CenterX, 480);
  EXPECT_EQ(r.s.CenterY, 270);

  // Mostly it just rests.
  rnd.Push({Pick(3, 9)});
  r.loop.RestInThinCluster();
  EXPECT_EQ(win.clears, 2);
  EXPECT_EQ(r.pacer.sleeps, 8);
  EXPECT_EQ(rnd.remaining(), 0u);
}

TEST(DesignLoopSetUp, DesignTypeDrawsMapToTheirTypes) {
  ScriptedRandom rnd;
  CountingWindow win;
  Rig r(win, rnd);
  r.EnableAll();
  LoopLocals& l = r.loop.locals();
  const std::vector<Integer> kByDraw = {0, 1, 2, 3, 4, 5, 0, 3, 4, 5, 0};
  l.SingleSetUp = True;
  for (int n = 0; n < 11; ++n) {
    rnd.Push(Pick(n, 11));
    r.loop.ChooseDesignType();
    EXPECT_EQ(r.s.DesignType, kByDraw[n]) << "n = " << n;
  }
  l.ClusterPicture = True;  // a cluster that kept a single picture's set-up
  rnd.Push(Pick(9, 10));
  r.loop.ChooseDesignType();
  EXPECT_EQ(r.s.DesignType, KaloBoxes);
  // A full cluster set-up: a zero is drawn again among the small types.
  l.SingleSetUp = False;
  for (int k = 0; k < 3; ++k) {
    rnd.Push({Pick(0, 10), Pick(k, 3)});
    r.loop.ChooseDesignType();
    EXPECT_EQ(r.s.DesignType, k);
  }
  rnd.Push(Pick(6, 10));
  r.loop.ChooseDesignType();
  EXPECT_EQ(r.s.DesignType, KaloSpiral);
  // Disabled types are drawn again.
  r.EnableOnly({KaloStar});
  l.SingleSetUp = True;
  l.ClusterPicture = False;
  rnd.Push({Pick(10, 11), Pick(7, 11), Pick(2, 11)});
  r.loop.ChooseDesignType();
  EXPECT_EQ(r.s.DesignType, KaloStar);
  EXPECT_EQ(rnd.remaining(), 0u);
}

TEST(DesignLoopSetUp, WithNoTypeEnabledSpiralsAreDrawn) {
  // Only Yarn enabled, but drawn with dots: start-up has disabled it.
  SystemRandom rnd(3);
  CountingWindow win;
  Rig r(win, rnd);
  r.EnableOnly({});
  r.Set(kLinesDots, "Dots");
  r.s.UseLines.fill(False);
  for (int d = 0; d < 10; ++d) {
    r.loop.RunOneDesign();
    EXPECT_EQ(r.s.DesignType, KaloSpiral);
  }
  EXPECT_GT(win.dots, 0);
  EXPECT_EQ(win.lines, 0);
}

TEST(DesignLoopSetUp, ManyRevolutionsCoarsenAndThinASpiral) {
  ScriptedRandom rnd;
  rnd.SetFallback(0.5f);
  CountingWindow win;
  Rig r(win, rnd);
  LoopLocals& l = r.loop.locals();
  r.s.DesignType = KaloSpiral;
  r.s.MaxRadius = 216;
  r.s.FixedRadius = 90;
  r.s.SpiralInside = True;
  r.s.SpiralOutside = False;
  win.SetDrawMode(13);
  auto tune = [&](Single revolutions, Integer detail, Integer pen) {
    r.s.Revolutions = revolutions;
    r.s.SpiralDetail = detail;
    l.PenWidth = pen;
    r.loop.TuneSpiral();
  };
  tune(9, 7, 30);
  EXPECT_EQ(r.s.SpiralDetail, 6);
  EXPECT_EQ(l.PenWidth, 3);
  tune(8, 7, 30);
  EXPECT_EQ(r.s.SpiralDetail, 7);
  EXPECT_EQ(l.PenWidth, 3);
  for (Single v : {0.0f, 0.999f}) {
    rnd.Push(v);
    tune(6, 7, 40);
    EXPECT_GE(l.PenWidth, 4);
    EXPECT_LE(l.PenWidth, 15);
  }
  tune(5, 7, 40);  // few revolutions keep a broad pen
  EXPECT_EQ(l.PenWidth, 40);
  // With both curves on, one of them is dropped above six revolutions.
  r.s.SpiralOutside = True;
  rnd.Push(Pick(0, 2));
  tune(7, 7, 2);
  EXPECT_FALSE(IsTrue(r.s.SpiralInside));
  EXPECT_TRUE(IsTrue(r.s.SpiralOutside));
}

TEST(DesignLoopSetUp, WithSwitchesEveryDesignIsCentred) {
  SystemRandom rnd(21);
  CountingWindow win;
  Rig r(win, rnd);
  r.EnableAll();
  r.s.SwitchesGiven = True;
  r.Set(kRoundness, "BOTH");
  long off_centre = 0;
  win.on_stroke = [&](Long, Integer, Integer) {
    off_centre += r.s.CenterX != 960 || r.s.CenterY != 540;
  };
  std::set<Integer> pictures;
  for (int d = 0; d < 300; ++d) {
    r.loop.RunOneDesign();
    pictures.insert(r.loop.locals().ClusterPicture);
  }
  EXPECT_EQ(pictures.size(), 2u);  // cluster pictures came up too
  EXPECT_GT(win.strokes(), 0);
  EXPECT_EQ(off_centre, 0);
}

TEST(DesignLoopPickers, DrawModesSkipTheDullOnes) {
  ScriptedRandom rnd;
  CountingWindow win;
  Rig r(win, rnd);
  LoopLocals& l = r.loop.locals();
  std::set<Integer> accepted;
  for (int k = 0; k < 13; ++k) {
    rnd.Push({Pick(k, 13), Pick(11, 13)});  // a rejected draw falls through to 13
    r.loop.PickDrawMode();
    if (l.DrawModeChoice == k + 2) {
      accepted.insert(l.DrawModeChoice);
      rnd.Rnd();  // the spare draw
    } else {
      EXPECT_EQ(l.DrawModeChoice, 13);
    }
  }
  EXPECT_EQ(accepted, (std::set<Integer>{2, 5, 6, 7, 8, 10, 13, 14}));
  r.s.DesignType = KaloBoxes;
  rnd.Push({Pick(3, 13), Pick(5, 13)});
  r.loop.PickDrawMode();
  EXPECT_EQ(l.DrawModeChoice, 7);
  EXPECT_EQ(rnd.remaining(), 0u);
}

TEST(DesignLoopPickers, StretchAndClusterCentre) {
  ScriptedRandom rnd;
  CountingWindow win(1600, 1000);
  Rig r(win, rnd);
  r.s.DesignType = KaloSpiral;
  rnd.Push(Pick(1, 5));
  r.loop.PickStretch(2);
  EXPECT_FLOAT_EQ(r.s.XStretch, 1.6f);
  rnd.Push(Pick(2, 5));
  r.loop.PickStretch(2);
  EXPECT_EQ(r.s.XStretch, 1);
  r.s.DesignType = KaloGons;
  rnd.Push({Pick(0, 2), Pick(0, 4), 0.2f, 0.39f, 0.7f});  // narrow, drawn until >= 0.4
  r.loop.PickStretch(3);
  EXPECT_FLOAT_EQ(r.s.XStretch, 0.7f);
  rnd.Push({Pick(0, 2), Pick(2, 4)});
  r.loop.PickStretch(3);
  EXPECT_FLOAT_EQ(r.s.XStretch, 1.6f);

  // The far corner: a centre past the right and bottom edges.
  rnd.Push({Pick(0, 4), Pick(0, 4), 0.0f, 0.5f});
  r.loop.PickClusterCenter();
  EXPECT_EQ(r.s.CenterX, 1400);
  EXPECT_EQ(r.s.CenterY, 875 + 375);
  rnd.Push({Pick(0, 4), Pick(2, 4), 0.0f, 0.0f});
  r.loop.PickClusterCenter();
  EXPECT_EQ(r.s.CenterX, 200);
  EXPECT_EQ(r.s.CenterY, 125);
  EXPECT_EQ(rnd.remaining(), 0u);
}

TEST(DesignLoopEnd, MarkedDesignIsSavedThenTheMarkIsCleared) {
  ScriptedRandom rnd;
  CountingWindow win;
  Rig r(win, rnd);
  r.loop.locals().DesignsPerPicture = 5;
  win.SetBackColor(255);
  r.s.DesignRecord = " 3\\ 65280\\ 4\\ 1\\ 13\\/";
  r.run.SavePending = True;
  r.run.SaveCancelled = True;
  EXPECT_FALSE(r.loop.EndDesign());
  EXPECT_EQ(r.pacer.sleeps, 6);  // 1.5 s between designs of a picture
  EXPECT_EQ(r.services.calls, (std::vector<std::string>{"SaveData0", "SaveData1", "RestoreCursor",
                                                        "ShowAboutModal", "HideCursor"}));
  EXPECT_EQ(r.services.saved_records[0], " 255\\ 3\\ 65280\\ 4\\ 1\\ 13\\/");
  EXPECT_FALSE(IsTrue(r.run.SavePending));
  EXPECT_FALSE(IsTrue(r.run.SaveCancelled));

  // Nothing marked: nothing asked.
  r.services.calls.clear();
  EXPECT_FALSE(r.loop.EndDesign());
  EXPECT_TRUE(r.services.calls.empty());

  // For the companion program the design is handed over instead.
  r.run.CommandLine = "/s /z";
  r.run.SavePending = True;
  r.s.DesignRecord = " 0\\/";
  r.loop.locals().DesignCount = 4;
  EXPECT_TRUE(r.loop.EndDesign());
  EXPECT_EQ(r.pacer.sleeps, 6 + 6 + 12);  // the picture's last design rests 3 s
  EXPECT_EQ(r.services.calls, (std::vector<std::string>{"SaveDataForDrawPgm"}));
  EXPECT_EQ(r.services.saved_records.back(), " 255\\ 0\\/");
  EXPECT_FALSE(IsTrue(r.run.SavePending));
}

TEST(DesignLoopEnd, SpaceBarDuringDrawingSavesThatDesign) {
  SystemRandom rnd(17);
  CountingWindow win;
  Rig r(win, rnd);
  r.pacer.on_yield = [&](long n) {
    if (n == 5) r.run.SavePending = True;
  };
  r.loop.RunOneDesign();
  ASSERT_EQ(r.services.saved_records.size(), 2u);
  const std::string& saved = r.services.saved_records[1];
  EXPECT_EQ(saved.rfind(" 0\\", 0), 0u);  // black background first
  // Then one record per layer drawn.
  const size_t layers = static_cast<size_t>(std::count(saved.begin(), saved.end(), '/'));
  EXPECT_EQ(layers, static_cast<size_t>(r.loop.locals().LayerCount));
  EXPECT_EQ(r.services.saved_records[0], saved);
  EXPECT_FALSE(IsTrue(r.run.SavePending));
}

TEST(DesignLoopEnd, PictureEndsWithHintAboutAndNewBackground) {
  ScriptedRandom rnd;
  RecordingWindow win;
  Rig r(win, rnd);
  r.run.ShowAboutFlag = True;
  r.run.RandomBackground = True;
  r.s.ShowDesignName = True;
  win.SetVisible(Control::Command5, true);
  int hint_rests = 0;
  r.pacer.on_sleep = [&](Long) { hint_rests += win.IsVisible(Control::Command2); };
  // Hint yes, about display yes, background colour 0 (black).
  win.SetBackColor(QBColor(4));
  rnd.Push({Pick(0, 10), Pick(0, 11), Pick(0, 16)});
  r.loop.EndPicture();
  EXPECT_EQ(hint_rests, 24);
  EXPECT_EQ(r.pacer.sleeps, 12 + 6 + 6 + 22);
  EXPECT_EQ(r.pacer.yields, r.pacer.sleeps);
  EXPECT_FALSE(win.IsVisible(Control::Command2));
  EXPECT_TRUE(win.IsVisible(Control::Command5));
  EXPECT_EQ(r.services.calls, (std::vector<std::string>{"ShowAboutBriefly", "UnloadAbout"}));
  EXPECT_EQ(win.BackColor(), QBColor(0));
  EXPECT_EQ(win.ControlBack(Control::Label3), QBColor(0));
  EXPECT_EQ(win.ControlFore(Control::Label3), QBColor(15));  // white text on black
  EXPECT_EQ(win.clears, 4);
  EXPECT_EQ(r.loop.locals().DesignCount, 0);

  // For the companion program: no hint, no about display, just the rest.
  r.run.CommandLine = "/s /z";
  r.run.RandomBackground = False;
  r.services.calls.clear();
  r.pacer.sleeps = 0;
  r.loop.EndPicture();
  EXPECT_EQ(r.pacer.sleeps, 6);
  EXPECT_TRUE(r.services.calls.empty());
  EXPECT_EQ(rnd.draws(), 3);
}

TEST(DesignLoopRun, EndsOnlyWhenTheSaverIsEnded) {
  SystemRandom rnd(1);
  CountingWindow win;
  Rig r(win, rnd);
  r.run.StartingUp = True;
  r.pacer.end_after_yields = 20000;
  EXPECT_THROW(RunDesignLoop(r.ctx), SaverEnded);
  EXPECT_EQ(r.pacer.yields, 20000);
  EXPECT_FALSE(IsTrue(r.run.StartingUp));
}

TEST(DesignLoopRun, TinyWindowClustersStillFinish) {
  SystemRandom rnd(8);
  CountingWindow win(64, 48);
  Rig r(win, rnd);
  r.EnableAll();
  int clusters = 0;
  for (int d = 0; d < 200; ++d) {
    r.loop.RunOneDesign();
    clusters += IsTrue(r.loop.locals().ClusterPicture);
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
    for (int t = 0; t < kDesignTypeCount; ++t) r.run.DesignEnabled[t] = ToBoolean(any(2) == 0);
    r.run.Settings[kBrightness] = std::to_string(any(300) - 20);
    r.run.Settings[kMaxDrawWidth] = std::to_string(any(120) - 10);
    r.run.Settings[kMaxLayers] = std::to_string(any(45) - 3);
    r.run.Settings[kLinesDots] = kLines[any(4)];
    r.run.Settings[kSolidMix] = kMix[any(4)];
    r.run.Settings[kRoundness] = kRound[any(4)];
    // Start-up's reading of lines or dots, which the loop builds on.
    if (Code(r.run.Settings[kLinesDots])[0] == 'L') {
      r.s.UseLines.fill(True);
    } else {
      r.s.UseLines.fill(False);
      r.run.DesignEnabled[KaloYarn] = False;
    }
    r.s.SwitchesGiven = ToBoolean(any(5) == 0);
    r.s.ShowDesignName = ToBoolean(any(5) == 0);
    r.run.RandomBackground = ToBoolean(any(2) == 0);
    r.run.ShowAboutFlag = ToBoolean(any(2) == 0);
    r.run.CommandLine = any(4) == 0 ? "/s /z" : "/s";
    r.run.SavePending = ToBoolean(any(8) == 0);
    for (int d = 0; d < 10; ++d, ++designs) r.loop.RunOneDesign();
  }
  EXPECT_EQ(designs, 3000);
  EXPECT_GT(win.strokes(), 100000);
  EXPECT_EQ(win.non_finite, 0);
}

}  // namespace
}  // namespace kalo
