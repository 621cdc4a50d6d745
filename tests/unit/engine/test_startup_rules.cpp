// Start-up rules: run modes, the look-changing switches, the settings and the
// cursor routines, checked against a recording window.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "engine/startup_rules.h"
#include "screen/cursor_count.h"
#include "support/recording_window.h"
#include "support/scripted_random.h"

namespace kalo {
namespace {

using test::Control;
using test::kCompanionHint;
using test::RecordingWindow;
using test::ScriptedRandom;

SettingsTexts Defaults() {
  SettingsTexts t;
  for (int k = 0; k < kSettingCount; ++k) t.text[k] = kSettingDefaults[k];
  return t;
}

struct Startup {
  explicit Startup(std::string command_line, SettingsTexts settings = Defaults()) : win(1280, 800) {
    run.CommandLine = std::move(command_line);
    run.Settings = std::move(settings);
    win.SetSize(Control::Banner, 507, 28);
    win.SetSize(Control::Hint, 257, 49);
    win.SetSize(Control::Footer, 400, 17);
    win.SetVisible(Control::Hint, true);  // as the window is created
  }
  void Prepare() { PrepareSaver(run, s, win, win, rnd); }

  RunState run;
  DesignState s;
  RecordingWindow win;
  ScriptedRandom rnd;
};

TEST(ColourSwitch, NumberAfterTheFirstColourSwitch) {
  EXPECT_EQ(ColourSwitchValue("/s /c255"), 255);
  EXPECT_EQ(ColourSwitchValue("/s /c 65280 /c1"), 65280);
  EXPECT_EQ(ColourSwitchValue("/s /c12.5"), 12);  // rounded half to even
  EXPECT_EQ(ColourSwitchValue("/s /c"), 0);
  EXPECT_EQ(ColourSwitchValue("/s /cwhite"), 0);
  // Out of range numbers are taken into the colour range, not wrapped.
  EXPECT_EQ(ColourSwitchValue("/s /c99999999999999999999999"), 0xFFFFFF);
  EXPECT_EQ(ColourSwitchValue("/s /c16777216"), 0xFFFFFF);
  EXPECT_EQ(ColourSwitchValue("/s /c-5"), 0);
  EXPECT_EQ(ColourSwitchValue("/s /c1e999"), 0xFFFFFF);
}

TEST(Switches, BackgroundColourAndItsPrecedence) {
  {
    Startup st("/s");
    st.Prepare();
    EXPECT_EQ(st.win.BackColor(), 0);
    EXPECT_FALSE(st.s.SwitchesGiven);
  }
  {
    Startup st("/s /w");
    st.Prepare();
    EXPECT_EQ(st.win.BackColor(), RGB(255, 255, 255));
    EXPECT_TRUE(st.s.SwitchesGiven);
  }
  {
    Startup st("/s /c255");
    st.Prepare();
    EXPECT_EQ(st.win.BackColor(), 255);
    EXPECT_FALSE(st.s.SwitchesGiven);  // a colour alone keeps pictures free
  }
  {
    Startup st("/s /w /c");
    st.Prepare();
    EXPECT_EQ(st.win.BackColor(), 0);  // "/c" after "/w", with no number: black
  }
  {
    Startup st("/s /r");
    st.rnd.Push(0.5f);  // Int(0.5 * 16) = 8: dark grey
    st.Prepare();
    EXPECT_EQ(st.win.BackColor(), QBColor(8));
    EXPECT_TRUE(st.run.RandomBackground);
    EXPECT_EQ(st.win.clears, 1);
  }
  {
    // Whatever order they are written in, "/r" wins over "/c" over "/w".
    Startup st("/r /c255 /w /s");
    st.rnd.Push(0.99f);
    st.Prepare();
    EXPECT_EQ(st.win.BackColor(), QBColor(15));
  }
}

TEST(Switches, NameAndCompanionAndPlainSwitches) {
  Startup st("/s /d");
  st.Prepare();
  EXPECT_TRUE(st.s.ShowDesignName);
  EXPECT_TRUE(st.s.SwitchesGiven);
  for (const char* sw : {"/s /z", "/s /b"}) {
    Startup other(sw);
    other.Prepare();
    EXPECT_TRUE(other.s.SwitchesGiven) << sw;
    EXPECT_FALSE(other.s.ShowDesignName) << sw;
  }
}

TEST(Footer, TextColourFollowsTheBackground) {
  {
    Startup st("/s");
    st.Prepare();
    EXPECT_EQ(st.win.ControlBack(Control::Footer), 0);
    EXPECT_EQ(st.win.ControlFore(Control::Footer), QBColor(15));
  }
  {
    Startup st("/s /c1");
    st.Prepare();
    EXPECT_EQ(st.win.ControlFore(Control::Footer), QBColor(15));
  }
  {
    Startup st("/s /c2");
    st.Prepare();
    EXPECT_EQ(st.win.ControlBack(Control::Footer), 2);
    EXPECT_EQ(st.win.ControlFore(Control::Footer), QBColor(0));
  }
}

TEST(Settings, EnabledTypesAboutFlagAndDelay) {
  SettingsTexts t = Defaults();
  t[kKaloYarn] = "true";
  t[kKaloStar] = "TRUEISH";
  t[kKaloGons] = "yes";
  t[kDrawDelay] = "12.5ms";
  t[kShowAbout] = "False";
  Startup st("/s", t);
  st.Prepare();
  EXPECT_TRUE(st.run.DesignEnabled[KaloSpiral]);
  EXPECT_TRUE(st.run.DesignEnabled[KaloYarn]);
  EXPECT_TRUE(st.run.DesignEnabled[KaloStar]);
  EXPECT_FALSE(st.run.DesignEnabled[KaloGons]);
  EXPECT_FALSE(st.run.DesignEnabled[KaloBoxes]);
  EXPECT_FALSE(st.run.ShowAboutFlag);
  EXPECT_FLOAT_EQ(st.s.StrokeDelay, 12.5f);
  EXPECT_TRUE(st.run.KeysActive);
}

TEST(Settings, BackgroundModeAndSwitches) {
  SettingsTexts random = Defaults();
  random[kBgColor] = "Random";
  SettingsTexts black = Defaults();
  black[kBgColor] = "Black";
  SettingsTexts other = Defaults();
  other[kBgColor] = "Purple";

  auto mode = [](const char* cl, const SettingsTexts& t) {
    Startup st(cl, t);
    st.rnd.SetFallback(0.25f);
    st.Prepare();
    return st.run.RandomBackground;
  };
  EXPECT_TRUE(mode("/s", random));
  EXPECT_FALSE(mode("/s /w", random));  // white stays white for the whole run
  EXPECT_FALSE(mode("/s /b", random));
  EXPECT_FALSE(mode("/s", black));
  EXPECT_TRUE(mode("/s /r", black));
  EXPECT_FALSE(mode("/s", other));
  EXPECT_TRUE(mode("/s /r", other));
}

TEST(Settings, Roundness) {
  auto stretch = [](const char* roundness, std::initializer_list<Single> draws) {
    SettingsTexts t = Defaults();
    t[kRoundness] = roundness;
    Startup st("/s", t);
    st.rnd.Push(draws);
    st.Prepare();
    return st.s.XStretch;
  };
  EXPECT_FLOAT_EQ(stretch("Circle", {}), 1.0f);
  EXPECT_FLOAT_EQ(stretch("Display", {}), 1280.0f / 800.0f);
  EXPECT_FLOAT_EQ(stretch("Both", {0.2f}), 1280.0f / 800.0f);  // Int(2 * 0.2) = 0
  EXPECT_FLOAT_EQ(stretch("Both", {0.7f}), 1.0f);
  // Not a known code: round designs, not a flat line.
  EXPECT_FLOAT_EQ(stretch("Oval", {}), 1.0f);
  EXPECT_FLOAT_EQ(stretch("", {}), 1.0f);
}

TEST(Settings, DotsDisableYarn) {
  SettingsTexts t = Defaults();
  t[kKaloYarn] = "TRUE";
  t[kLinesDots] = "Dots";
  Startup st("/s", t);
  st.Prepare();
  EXPECT_FALSE(st.run.DesignEnabled[KaloYarn]);
  EXPECT_TRUE(st.run.DesignEnabled[KaloSpiral]);
  for (bool b : st.s.UseLines) EXPECT_EQ(b, false);

  t[kLinesDots] = "lines";
  Startup lines("/s", t);
  lines.Prepare();
  EXPECT_TRUE(lines.run.DesignEnabled[KaloYarn]);
  for (bool b : lines.s.UseLines) EXPECT_EQ(b, true);
}

TEST(Layout, ControlsAndFirstDesignDefaults) {
  Startup st("/s");
  st.Prepare();
  FinishStartup(st.run, st.s, st.win, st.win);
  EXPECT_FLOAT_EQ(st.win.Left(Control::Footer), (1280 - 400) / 2.0f);
  EXPECT_FLOAT_EQ(st.win.Top(Control::Footer), 800 - 17 + 1);
  EXPECT_FLOAT_EQ(st.win.Left(Control::Hint), (1280 - 257) / 2.0f);
  EXPECT_FLOAT_EQ(st.win.Top(Control::Hint), (800 - 49) / 2.0f);
  EXPECT_FLOAT_EQ(st.win.Left(Control::Banner), (1280 - 507) / 2.0f);
  EXPECT_FLOAT_EQ(st.win.Top(Control::Banner), 5);
  EXPECT_FALSE(st.win.IsVisible(Control::Banner));
  EXPECT_TRUE(st.win.IsVisible(Control::Hint));  // the hint during the first design
  EXPECT_FLOAT_EQ(st.s.HalfWidth, 640);
  EXPECT_TRUE(st.s.SpiralInside);
  EXPECT_FALSE(st.s.SpiralOutside);
  EXPECT_TRUE(st.s.InnerPenMode);
  EXPECT_TRUE(st.s.OuterPenMode);
  EXPECT_EQ(st.s.SpiralDetail, 6);
  EXPECT_FLOAT_EQ(st.s.GonReach, 1.8f);
  EXPECT_FLOAT_EQ(st.s.AngleReach, 10);
  EXPECT_FLOAT_EQ(st.s.BoxReach, 1.04f);
  EXPECT_EQ(st.win.clears, 0);
  EXPECT_EQ(st.rnd.draws(), 1);  // the default roundness "Both" draws once, nothing else does
}

TEST(Layout, CompanionModeShowsItsHintAndNoOther) {
  Startup st("/s /z");
  st.Prepare();
  FinishStartup(st.run, st.s, st.win, st.win);
  EXPECT_TRUE(st.win.IsVisible(Control::Banner));
  EXPECT_EQ(st.win.Caption(Control::Banner), kCompanionHint);
  EXPECT_FALSE(st.win.IsVisible(Control::Hint));
  EXPECT_EQ(st.win.clears, 1);
  EXPECT_EQ(st.win.refreshes, 1);
}

TEST(Cursor, HiddenHoweverOftenShownAndRestoredToItsCount) {
  for (int start : {-2, 0, 3}) {
    CursorCount cursor(start);
    RunState run;
    auto show = [&cursor](bool s) { return cursor.ShowCursor(s); };
    HideCursor(run, show);
    EXPECT_LT(cursor.count(), 0) << start;
    EXPECT_TRUE(cursor.blanked()) << start;
    EXPECT_EQ(run.CursorShowCount, start) << start;
    RestoreCursor(run, show);
    EXPECT_EQ(cursor.count(), start) << start;
    EXPECT_EQ(cursor.blanked(), start < 0) << start;
  }
}

}  // namespace
}  // namespace kalo
