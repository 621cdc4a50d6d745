#include "engine/startup_rules.h"

#include <algorithm>

#include "core/numbers.h"
#include "core/setting_rules.h"

namespace kalo {

namespace {

bool Has(std::string_view command_line, std::string_view sw) {
  return command_line.find(sw) != std::string_view::npos;
}

Single ScreenRatio(const DesignWindow& win) {
  const Single h = win.ScaleHeight();
  return h > 0 ? win.ScaleWidth() / h : 1.0f;
}

// Step by step, the look-changing switches; a later one overrides an earlier
// background colour.
void ApplySwitches(RunState& run, DesignState& s, DesignWindow& win, RandomSource& rnd) {
  const std::string& cl = run.CommandLine;
  s.SwitchesGiven = false;
  if (Has(cl, "/z")) s.SwitchesGiven = true;
  if (Has(cl, "/b")) s.SwitchesGiven = true;
  if (Has(cl, "/d")) {
    s.SwitchesGiven = true;
    s.ShowDesignName = true;
  }
  if (Has(cl, "/w")) {
    s.SwitchesGiven = true;
    win.SetBackColor(RGB(255, 255, 255));
  }
  if (Has(cl, "/c")) win.SetBackColor(ColourSwitchValue(cl));
  if (Has(cl, "/r")) {
    s.SwitchesGiven = true;
    run.RandomBackground = true;
    win.SetBackColor(QBColor(static_cast<int>(Int(rnd.Rnd() * 16.0))));
    win.Cls();
  }
}

void ApplySettings(RunState& run, DesignState& s, const DesignWindow& win) {
  const SettingsTexts& t = run.Settings;
  for (int i = 0; i < kDesignTypeCount; ++i)
    run.DesignEnabled[i] = ReadsTrue(t.text[kKaloSpiral + i]);

  const std::string bg = Code(t[kBgColor]);
  if (bg == "RA") {
    run.RandomBackground = true;
    if (Has(run.CommandLine, "/b") || Has(run.CommandLine, "/w")) run.RandomBackground = false;
  } else if (bg == "BL") {
    run.RandomBackground = false;
    if (Has(run.CommandLine, "/r")) run.RandomBackground = true;
  }

  // An unknown roundness draws round designs: a stretch of 0 would squash
  // every design onto the vertical line through its centre.
  const std::string round = Code(t[kRoundness]);
  s.XStretch = round == "DI" ? ScreenRatio(win) : 1.0f;

  run.ShowAboutFlag = ReadsTrue(t[kShowAbout]);
  s.StrokeDelay = static_cast<Single>(Val(t[kDrawDelay]));
}

void LayOutWindow(RunState& run, DesignState& s, DesignWindow& win, RandomSource& rnd) {
  const Single sw = win.ScaleWidth(), sh = win.ScaleHeight();
  win.Move(Control::Label3, (sw - win.Width(Control::Label3)) / 2,
           sh - win.Height(Control::Label3) + 1);
  s.HalfWidth = static_cast<Single>(Int(sw / 2.0));
  win.Move(Control::Command2, (sw - win.Width(Control::Command2)) / 2,
           (sh - win.Height(Control::Command2)) / 2);
  run.KeysActive = true;
  if (Code(run.Settings[kRoundness]) == "BO") {
    s.XStretch = static_cast<Single>(Int(2.0 * rnd.Rnd()));
    if (s.XStretch == 0) s.XStretch = ScreenRatio(win);
  }
}

void SetDesignDefaults(DesignState& s) {
  s.SpiralInside = true;
  s.InnerPenMode = true;
  s.OuterPenMode = true;
  s.SpiralOutside = false;
  s.SpiralDetail = 6;
  s.GonReach = 1.8f;
  s.AngleReach = 10;
  s.BoxReach = 1.04f;
}

void ApplyLinesOrDots(RunState& run, DesignState& s) {
  const bool lines = Code(run.Settings[kLinesDots]).starts_with("L");
  s.UseLines.fill(lines);
  // Yarn joins points with lines; drawn with dots it would be a bare ring.
  if (!lines) run.DesignEnabled[KaloYarn] = false;
}

}  // namespace

Long ColourSwitchValue(std::string_view command_line) {
  const size_t at = command_line.find("/c");
  if (at == std::string_view::npos) return 0;
  const double v = Val(command_line.substr(at + 2));
  return std::clamp<Long>(CLng(v), 0, 0xFFFFFF);
}

void ColourFooter(DesignWindow& win) {
  const Long back = win.BackColor();
  win.SetColours(Control::Label3, back, back >= 2 ? QBColor(0) : QBColor(15));
}

void PrepareSaver(RunState& run, DesignState& s, DesignWindow& win, RandomSource& rnd) {
  ApplySwitches(run, s, win, rnd);
  ColourFooter(win);
  ApplySettings(run, s, win);
  LayOutWindow(run, s, win, rnd);
  SetDesignDefaults(s);
  ApplyLinesOrDots(run, s);
}

void FinishStartup(RunState& run, DesignState& s, DesignWindow& win) {
  win.Move(Control::Command1, (win.ScaleWidth() - win.Width(Control::Command1)) / 2, 5);
  s.DesignRecord.clear();
  if (run.CompanionMode()) {
    win.Cls();
    // The companion has its own hint at the top; the bitmap hint would
    // promise a save this mode never offers, right where the banner goes.
    win.SetVisible(Control::Command2, false);
    win.SetCaption(Control::Command1, kCompanionHint);
    win.SetVisible(Control::Command1, true);
    win.Refresh();
  }
}

void HideCursor(RunState& run, const ShowCursorFn& show_cursor) {
  int count = show_cursor(false);
  run.CursorShowCount = static_cast<Integer>(std::clamp(count + 1, -32768, 32767));
  while (count > -1) count = show_cursor(false);
}

void RestoreCursor(RunState& run, const ShowCursorFn& show_cursor) {
  int count;
  do {
    count = show_cursor(true);
  } while (count < run.CursorShowCount);
}

}  // namespace kalo
