// The settings store: fifteen keys in the "Screen Saver.KaloShare" section of
// the profile file CONTROL.INI, read as at most seven visible characters each
// and interpreted as Boolean, code or number.
#pragma once

#include <string>

#include "core/settings_texts.h"

namespace kalo {

inline constexpr const char* kProfileSection = "Screen Saver.KaloShare";

// Where CONTROL.INI lives: $XDG_CONFIG_HOME/kalosaver/CONTROL.INI, or
// ~/.config/kalosaver/CONTROL.INI when XDG_CONFIG_HOME is unset or empty.
std::string ProfilePath();

// Reads the fifteen keys in order, each with its default; a missing or
// unreadable file gives the defaults, and so does one too large to be a
// profile, which is said on stderr the first time.
SettingsTexts ReadSettings(const std::string& path);

struct WriteResult {
  bool ok = true;
  std::string error;  // why the write failed, for the user
};

// Writes the fifteen texts in key order. Other sections, keys, comments and
// blank lines stay byte for byte; the file is replaced atomically, so a
// failed write leaves the old file as it was.
WriteResult WriteSettings(const SettingsTexts& texts, const std::string& path);

}  // namespace kalo
