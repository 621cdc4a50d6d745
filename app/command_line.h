// The command line as the program reads it: the saver's own switches ("/s",
// "/c", "/w" ...), searched for in one string as screen-saver hosts write
// them, and around them the long options of this platform -- running inside a
// host's window, settings for one run, canvas files, help. Every long option
// stands in one table with its help text, so that the usage text, the manual
// and the hosts' settings files are all checked against the same list.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings_texts.h"

namespace kalo {

enum class RunMode {
  kNone,       // preview requests, no arguments, anything unknown: end at once
  kConfigure,  // the settings dialog
  kSaver,      // full screen designs
  kHosted,     // designs in a window a screen-saver host gives us
  kOpen,       // a saved canvas file drawn again, full screen
  kRender,     // a saved canvas file drawn into an image file, no display
  kHelp,       // the usage text
  kVersion,    // the version line
  kError,      // a bad option value: one line on stderr, status 2
};

// "/s" anywhere runs the saver; otherwise "/c" configures; otherwise nothing.
// The search is case-sensitive, as screen-saver hosts write the switches.
RunMode DecideRunMode(std::string_view command_line);

// The program's arguments joined by single blanks: the command line as one
// string, whatever bytes the arguments hold.
std::string JoinArguments(int argc, const char* const* argv);

// A window id as hosts write it: "0x" and hex digits, or decimal digits. Zero,
// anything else or a value beyond 32 bits is no window.
std::optional<uint32_t> ParseWindowId(std::string_view text);

// What one start of the program asks for.
struct Invocation {
  RunMode mode = RunMode::kNone;
  // The arguments that are not long options, joined: the command line the
  // saver's switches are searched in.
  std::string command_line;
  std::string error;  // with kError: what was wrong, for stderr

  // Hosted mode: "-root", or the host's window given as "-window-id".
  bool root = false;
  std::optional<uint32_t> window_id;

  // Settings for this run only, as the profile would hold them; unset keys
  // come from the profile.
  std::array<std::optional<std::string>, kSettingCount> settings;

  // Canvas files: the file to open or render, the image to write and its size
  // (0 x 0: the screen's).
  std::string canvas_file;
  std::string output_file;
  int width = 0;
  int height = 0;
  // How large the design is drawn: the screen it was saved on (0 x 0: as the
  // bitmap saved with it tells), a factor (0: from the sizes), or the share
  // of the shorter side its drawing fills (0: none).
  int from_width = 0;
  int from_height = 0;
  double scale = 0;
  double fit = 0;

  // With /s or --open: every monitor draws designs, not only the primary.
  bool every_monitor = false;
};

Invocation ParseCommandLine(int argc, const char* const* argv);

// The settings of this run: the profile's texts with the command line's
// settings put in their place.
void ApplySettingOptions(const Invocation& inv, SettingsTexts& texts);

// Where a hosted saver draws, by the hosts' rules: the "-window-id" window,
// else the window in $XSCREENSAVER_WINDOW, else the virtual root of the screen
// (kRootWindow: the caller looks for it, falling back to the root itself).
struct HostWindow {
  static constexpr uint32_t kRootWindow = 0;
  uint32_t id = kRootWindow;
  std::string error;  // a variable that names no window: for stderr
};
HostWindow ChooseHostWindow(const Invocation& inv, const char* xscreensaver_window);

// One long option of the table, as the usage text, the manual and the hosts'
// settings files show it.
struct OptionHelp {
  std::string name;     // "--draw-delay"
  std::string value;    // "MS", empty for a flag
  std::string help;     // one line
  bool hidden = false;  // accepted for the hosts' sake, never shown
};
std::vector<OptionHelp> LongOptions();

// The text of --help and of --version.
std::string UsageText();
std::string VersionText();

}  // namespace kalo
