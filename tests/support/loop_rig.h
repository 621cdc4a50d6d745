// What the design loop's tests share: a loop on a recording window with the
// default settings, scripted random sources, and tables of steps whose draws
// and resulting fields are checked in order.
#pragma once

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

namespace kalo::loop_test {

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
inline Single Pick(int k, double n) { return static_cast<Single>((k + 0.5) / n); }

// Layers as a viewer tells them apart: each layer has its own colour.
inline std::vector<Integer> LayerWidths(const std::vector<test::Stroke>& strokes) {
  std::vector<Integer> widths;
  Long colour = -1;
  for (const auto& st : strokes) {
    if (st.colour != colour) widths.push_back(st.width);
    colour = st.colour;
  }
  return widths;
}

// A centred single picture of one figure, ready for its first layer.
inline void ReadyForLayers(Rig& r, Integer type, Integer pen) {
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

inline const Field kFields[] = {
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
    Field{"nameShown", [](Step& t) -> double { return t.win.IsVisible(Control::DesignName); },
          [](Step& t, double v) { t.win.SetVisible(Control::DesignName, v != 0); }},
    Field{"recordLength", [](Step& t) -> double { return t.s.DesignRecord.size(); },
          [](Step& t, double v) { t.s.DesignRecord.assign(static_cast<size_t>(v), 'x'); }},
    KALO_SHOWN("caption", std::find(kDesignTypeNames, kDesignTypeNames + kDesignTypeCount,
                                    t.win.Caption(Control::DesignName)) -
                              kDesignTypeNames),
    KALO_SHOWN("hint", t.win.IsVisible(Control::Hint)),
    KALO_SHOWN("labelBack", t.win.ControlBack(Control::Footer)),
    KALO_SHOWN("labelText", t.win.ControlFore(Control::Footer)),
    KALO_SHOWN("refreshes", t.win.refreshes),
    KALO_SHOWN("clears", t.win.clears),
    KALO_SHOWN("sleeps", t.r.pacer.sleeps),
    KALO_SHOWN("yields", t.r.pacer.yields),
    KALO_SHOWN("sleptMs", t.r.pacer.slept_ms),
    KALO_SHOWN("about", std::count(t.r.services.calls.begin(), t.r.services.calls.end(),
                                   "ShowAboutBriefly"))};

// Settings are texts; the rest are numbers, T and F, a type name, rgb(r,g,b)
// or qb(i) for a colour.
inline const std::pair<const char*, SettingKey> kSettingFields[] = {
    {"round", kRoundness},       {"linesDots", kLinesDots}, {"solidMix", kSolidMix},
    {"maxWidth", kMaxDrawWidth}, {"maxLayers", kMaxLayers}, {"brightness", kBrightness},
};

inline double ValueOf(const std::string& text) {
  for (int k = 0; k < kDesignTypeCount; ++k) {
    if (text == std::string(kDesignTypeNames[k]).substr(4)) return k;
  }
  int r = 0, g = 0, b = 0;
  if (std::sscanf(text.c_str(), "rgb(%d,%d,%d)", &r, &g, &b) == 3) return RGB(r, g, b);
  if (std::sscanf(text.c_str(), "qb(%d)", &r) == 1) return QBColor(r);
  return text == "T" ? true : text == "F" ? false : std::stod(text);
}

// Sets (or with check, compares) every "name=value" of the text in turn.
inline void Visit(Step& t, const std::string& text, bool check) {
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
inline void RunRows(const std::function<void(DesignLoop&)>& step, const std::string& common,
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
}  // namespace kalo::loop_test
