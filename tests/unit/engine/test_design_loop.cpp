#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/numbers.h"
#include "core/random.h"
#include "core/setting_rules.h"
#include "engine/design_loop.h"
#include "files/settings_store.h"
#include "support/fake_pacer.h"
#include "support/recording_window.h"
#include "support/scripted_random.h"
#include "support/startup_defaults.h"

namespace kalo {
namespace {

using test::Control;
using test::CountingWindow;
using test::FakePacer;
using test::RecordingWindow;
using test::ScriptedRandom;

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
  Rig(test::PenAndControls& window, RandomSource& random) : win(window), rnd(random) {
    test::SetStartupDefaults(s, run, win.ScaleWidth());
    Set(kRoundness, "CI");
    EnableOnly({KaloSpiral, KaloGons});
  }
  void Set(SettingKey k, const char* text) {
    run.Settings[k] = text;
    loop.ReadSettings();
  }
  void EnableOnly(std::initializer_list<int> types) {
    run.DesignEnabled.fill(false);
    for (int t : types) run.DesignEnabled[t] = true;
  }
  void EnableAll() { run.DesignEnabled.fill(true); }

  DesignState s;
  test::PenAndControls& win;
  RandomSource& rnd;
  FakePacer pacer;
  RunState run;
  RecordingServices services{s};
  LoopContext ctx{{s, win, win, pacer, rnd}, run, services};
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
  r.s.SpiralInside = true;
  r.s.SpiralOutside = false;
  r.s.SpiralDetail = 7;
  CalcRevolutions(r.s);
  l.PenWidth = pen;
  l.FixedDecay = true;
  l.Decay = 0.5f;
  l.DesignsPerPicture = 1;
  l.FirstLayer = true;
}

// One step of the loop on a 1600 x 1000 window with scripted random numbers.
struct Step {
  explicit Step(const std::vector<Single>& draws) : scripted(static_cast<int>(draws.size())) {
    for (Single v : draws) rnd.Push(v);
  }
  ScriptedRandom rnd;
  RecordingWindow win{1600, 1000};
  Rig r{win, rnd};
  DesignState& s = r.s;
  LoopLocals& l = r.loop.locals();
  int scripted;
};

// The state the rules read and write, by the names the rows below use:
// "pen=40 cluster=T" sets or checks PenWidth and ClusterPicture.
struct Field {
  const char* name;
  double (*get)(Step&);
  void (*set)(Step&, double);
};
#define KALO_FIELD(name, place)                                                          \
  Field {                                                                                \
    name, [](Step& t) -> double { return place; },                                       \
        [](Step& t, double v) { place = static_cast<std::decay_t<decltype(place)>>(v); } \
  }
#define KALO_SHOWN(name, get)                                         \
  Field {                                                             \
    name, [](Step& t) -> double { return get; }, [](Step&, double) {} \
  }

const Field kFields[] = {
    KALO_FIELD("type", t.s.DesignType),
    KALO_FIELD("x", t.s.CenterX),
    KALO_FIELD("y", t.s.CenterY),
    KALO_FIELD("stretch", t.s.XStretch),
    KALO_FIELD("maxRadius", t.s.MaxRadius),
    KALO_FIELD("range", t.s.RadiusRange),
    KALO_FIELD("halfWidth", t.s.HalfWidth),
    KALO_FIELD("lines", t.s.UseLines[t.s.DesignType]),
    KALO_FIELD("switches", t.s.SwitchesGiven),
    KALO_FIELD("showName", t.s.ShowDesignName),
    KALO_FIELD("detail", t.s.SpiralDetail),
    KALO_FIELD("innerMode", t.s.InnerPenMode),
    KALO_FIELD("outerMode", t.s.OuterPenMode),
    KALO_FIELD("inside", t.s.SpiralInside),
    KALO_FIELD("outside", t.s.SpiralOutside),
    KALO_FIELD("fixed", t.s.FixedRadius),
    KALO_FIELD("roll", t.s.RollRadius),
    KALO_FIELD("penRadius", t.s.PenRadius),
    KALO_FIELD("revolutions", t.s.Revolutions),
    KALO_FIELD("yarnRadius", t.s.YarnRadius),
    KALO_FIELD("yarnPoints", t.s.YarnPoints),
    KALO_FIELD("starRadius", t.s.StarRadius),
    KALO_FIELD("starPoints", t.s.StarPoints),
    KALO_FIELD("gonStyle", t.s.GonStyle),
    KALO_FIELD("boxCount", t.s.BoxCount),
    KALO_FIELD("boxTwist", t.s.BoxTwist),
    KALO_FIELD("boxGrowth", t.s.BoxGrowth),
    KALO_FIELD("designs", t.l.DesignsPerPicture),
    KALO_FIELD("designCount", t.l.DesignCount),
    KALO_FIELD("layerCount", t.l.LayerCount),
    KALO_FIELD("pen", t.l.PenWidth),
    Field{"choice", [](Step& t) -> double { return static_cast<Integer>(t.l.DrawModeChoice); },
          [](Step& t, double v) { t.l.DrawModeChoice = static_cast<RasterMode>(v); }},
    KALO_FIELD("prevColour", t.l.PrevColour),
    KALO_FIELD("decay", t.l.Decay),
    KALO_FIELD("firstLayer", t.l.FirstLayer),
    KALO_FIELD("cluster", t.l.ClusterPicture),
    KALO_FIELD("single", t.l.SingleSetUp),
    KALO_FIELD("fixedDecay", t.l.FixedDecay),
    KALO_FIELD("thin", t.l.ThinCluster),
    KALO_FIELD("fixedMode", t.l.FixedMode),
    KALO_FIELD("fixedStyle", t.l.FixedStyle),
    KALO_FIELD("keepStyle", t.l.KeepStyle),
    KALO_FIELD("noBoxFlags", t.l.NoBoxFlags),
    KALO_FIELD("noGonSides", t.l.NoGonSides),
    KALO_FIELD("startingUp", t.r.run.StartingUp),
    KALO_FIELD("aboutFlag", t.r.run.ShowAboutFlag),
    KALO_FIELD("randomBackground", t.r.run.RandomBackground),
    Field{"companion", [](Step& t) -> double { return t.r.run.CompanionMode(); },
          [](Step& t, double v) { t.r.run.CommandLine = v != 0 ? "/s /z" : "/s"; }},
    Field{"mode", [](Step& t) -> double { return static_cast<Integer>(t.win.DrawMode()); },
          [](Step& t, double v) { t.win.SetDrawMode(static_cast<RasterMode>(v)); }},
    Field{"width", [](Step& t) -> double { return t.win.DrawWidth(); },
          [](Step& t, double v) { t.win.SetDrawWidth(static_cast<Integer>(v)); }},
    Field{"colour", [](Step& t) -> double { return t.win.ForeColor(); },
          [](Step& t, double v) { t.win.SetForeColor(static_cast<Long>(v)); }},
    Field{"back", [](Step& t) -> double { return t.win.BackColor(); },
          [](Step& t, double v) { t.win.SetBackColor(static_cast<Long>(v)); }},
    Field{"nameShown", [](Step& t) -> double { return t.win.IsVisible(Control::Command5); },
          [](Step& t, double v) { t.win.SetVisible(Control::Command5, v != 0); }},
    Field{"recordLength", [](Step& t) -> double { return t.s.DesignRecord.size(); },
          [](Step& t, double v) { t.s.DesignRecord.assign(static_cast<size_t>(v), 'x'); }},
    KALO_SHOWN("caption", std::find(kDesignTypeNames, kDesignTypeNames + kDesignTypeCount,
                                    t.win.Caption(Control::Command5)) -
                              kDesignTypeNames),
    KALO_SHOWN("hint", t.win.IsVisible(Control::Command2)),
    KALO_SHOWN("labelBack", t.win.ControlBack(Control::Label3)),
    KALO_SHOWN("labelText", t.win.ControlFore(Control::Label3)),
    KALO_SHOWN("refreshes", t.win.refreshes),
    KALO_SHOWN("clears", t.win.clears),
    KALO_SHOWN("sleeps", t.r.pacer.sleeps),
    KALO_SHOWN("yields", t.r.pacer.yields),
    KALO_SHOWN("sleptMs", t.r.pacer.slept_ms),
    KALO_SHOWN("about", std::count(t.r.services.calls.begin(), t.r.services.calls.end(),
                                   "ShowAboutBriefly"))};

// Settings are texts; the rest are numbers, T and F, a type name, rgb(r,g,b)
// or qb(i) for a colour.
const std::pair<const char*, SettingKey> kSettingFields[] = {
    {"round", kRoundness},       {"linesDots", kLinesDots}, {"solidMix", kSolidMix},
    {"maxWidth", kMaxDrawWidth}, {"maxLayers", kMaxLayers}, {"brightness", kBrightness},
};

double ValueOf(const std::string& text) {
  for (int k = 0; k < kDesignTypeCount; ++k) {
    if (text == std::string(kDesignTypeNames[k]).substr(4)) return k;
  }
  int r = 0, g = 0, b = 0;
  if (std::sscanf(text.c_str(), "rgb(%d,%d,%d)", &r, &g, &b) == 3) return RGB(r, g, b);
  if (std::sscanf(text.c_str(), "qb(%d)", &r) == 1) return QBColor(r);
  return text == "T" ? true : text == "F" ? false : std::stod(text);
}

// Sets (or with check, compares) every "name=value" of the text in turn.
void Visit(Step& t, const std::string& text, bool check) {
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    const size_t eq = word.find('=');
    const std::string name = word.substr(0, eq), value = word.substr(eq + 1);
    bool known = false;
    for (const auto& [settingName, key] : kSettingFields) {
      if (name == settingName && !check) {
        t.r.Set(key, value.c_str());
        known = true;
      }
    }
    if (name == "enabled" && value == "all" && !check) {
      t.r.EnableAll();
      known = true;
    }
    for (const Field& f : kFields) {
      if (name != f.name) continue;
      known = true;
      if (check) {
        EXPECT_EQ(static_cast<Single>(f.get(t)), static_cast<Single>(ValueOf(value))) << name;
      } else {
        f.set(t, ValueOf(value));
      }
    }
    if (!known) ADD_FAILURE() << "no such field: " << name;
  }
}

struct Row {
  std::string given;
  std::vector<Single> draws;
  std::string then;
};

// One row per rule: from the common state and the row's own, with the row's
// draws, the step must leave the state the row names and use exactly those
// draws (one more or fewer would shift every later choice).
void RunRows(const std::function<void(DesignLoop&)>& step, const std::string& common,
             const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.given + " -> " + row.then);
    Step t(row.draws);
    Visit(t, common + " " + row.given, false);
    step(t.r.loop);
    Visit(t, row.then, true);
    EXPECT_EQ(t.rnd.draws(), t.scripted) << "random draws made";
  }
}

// On 1600 x 1000 the middle half starts at (400, 250) and spans 800 x 500;
// the whole-screen row starts at (200, 125) and spans 1200 x 750; the
// top-left row spans 400 x 250 from there, and the far row of a cluster
// centre starts at (1400, 875).
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
