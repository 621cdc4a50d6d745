// The run state of one saver process: the flags that start-up sets, that the
// input handlers read and write, and that the design loop tests.
#pragma once

#include <array>
#include <string>

#include "core/basic_types.h"
#include "core/settings_texts.h"

namespace kalo {

struct RunState {
  bool StartingUp = false;   // input ignored while set
  bool KeysActive = false;   // window key handling acts only while set
  bool SavePending = false;  // space bar marked the current design
  bool SaveCancelled = false;
  bool RandomBackground = false;
  bool ShowAboutFlag = false;
  std::array<bool, kDesignTypeCount> DesignEnabled{};
  Integer CursorShowCount = 0;

  // The whole command line as one string, and the settings texts as read.
  std::string CommandLine;
  SettingsTexts Settings;

  // Companion mode: "/z" anywhere in the command line.
  bool CompanionMode() const { return CommandLine.find("/z") != std::string::npos; }
};

}  // namespace kalo
