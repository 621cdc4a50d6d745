// The state start-up leaves for the first design: every setting at its
// default and the design state's opening values for a window of the given
// width. Which design types are enabled is left to the caller.
#pragma once

#include "core/numbers.h"
#include "core/run_state.h"
#include "engine/design_state.h"
#include "files/settings_store.h"

namespace kalo::test {

inline void SetStartupDefaults(DesignState& s, RunState& run, Single windowWidth) {
  for (int k = 0; k < kSettingCount; ++k) run.Settings.text[k] = kSettingDefaults[k];
  s.SpiralInside = s.InnerPenMode = s.OuterPenMode = true;
  s.SpiralDetail = 6;
  s.GonReach = 1.8f;
  s.AngleReach = 10;
  s.BoxReach = 1.04f;
  s.XStretch = 1;
  s.HalfWidth = static_cast<Single>(Int(windowWidth / 2));
  s.UseLines.fill(true);
}

}  // namespace kalo::test
