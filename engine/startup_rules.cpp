#include "engine/startup_rules.h"

#include <algorithm>

#include "core/numbers.h"
#include "core/setting_rules.h"

namespace kalo {

namespace {

bool Has(std::string_view command_line, std::string_view sw) {
  return command_line.find(sw) != std::string_view::npos;
}

Single ScreenRatio(const Canvas& canvas) {
  const Single h = canvas.ScaleHeight();
  return h > 0 ? canvas.ScaleWidth() / h : 1.0f;
}

// Step by step, the look-changing switches; a later one overrides an earlier
// background colour.
void ApplySwitches(RunState& run, DesignState& s, Canvas& canvas, RandomSource& rnd) {
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
    canvas.SetBackColor(RGB(255, 255, 255));
  }
  if (Has(cl, "/c")) canvas.SetBackColor(ColourSwitchValue(cl));
  if (Has(cl, "/r")) {
    s.SwitchesGiven = true;
    run.RandomBackground = true;
    canvas.SetBackColor(QBColor(static_cast<int>(Int(rnd.Rnd() * 16.0))));
    canvas.Cls();
  }
}

void ApplySettings(RunState& run, DesignState& s, const Canvas& canvas) {
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
  s.XStretch = round == "DI" ? ScreenRatio(canvas) : 1.0f;

  run.ShowAboutFlag = ReadsTrue(t[kShowAbout]);
  s.StrokeDelay = static_cast<Single>(Val(t[kDrawDelay]));
}

void LayOutWindow(RunState& run, DesignState& s, const Canvas& canvas, Overlay& overlay,
                  RandomSource& rnd) {
  overlay.LayOut();
  s.HalfWidth = static_cast<Single>(Int(canvas.ScaleWidth() / 2.0));
  run.KeysActive = true;
  if (Code(run.Settings[kRoundness]) == "BO") {
    s.XStretch = static_cast<Single>(Int(2.0 * rnd.Rnd()));
    if (s.XStretch == 0) s.XStretch = ScreenRatio(canvas);
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

void ColourFooter(const Canvas& canvas, Overlay& overlay) {
  const Long back = canvas.BackColor();
  overlay.ColourFooter(back, back >= 2 ? QBColor(0) : QBColor(15));
}

void PrepareSaver(RunState& run, DesignState& s, Canvas& canvas, Overlay& overlay,
                  RandomSource& rnd) {
  ApplySwitches(run, s, canvas, rnd);
  ColourFooter(canvas, overlay);
  ApplySettings(run, s, canvas);
  LayOutWindow(run, s, canvas, overlay, rnd);
  SetDesignDefaults(s);
  ApplyLinesOrDots(run, s);
}

void FinishStartup(RunState& run, DesignState& s, Canvas& canvas, Overlay& overlay) {
  s.DesignRecord.clear();
  if (run.CompanionMode()) {
    canvas.Cls();
    // The companion has its own hint at the top; the bitmap hint would
    // promise a save this mode never offers, right where the banner goes.
    overlay.HideHint();
    overlay.ShowCompanionHint();
    canvas.Refresh();
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
