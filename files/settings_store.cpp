#include "files/settings_store.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/numbers.h"
#include "files/profile_file.h"

namespace kalo {

std::string ProfilePath() {
  // A relative XDG_CONFIG_HOME is not a valid setting for it, and would put
  // the profile wherever the saver happened to be started.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    // The home folder as the login shell gives it, or as the password
    // database has it when HOME is not set.
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) {
      const passwd* entry = getpwuid(getuid());
      home = entry && entry->pw_dir ? entry->pw_dir : "";
    }
    base = std::string(home) + "/.config";
  }
  return base + "/kalosaver/CONTROL.INI";
}

SettingsTexts ReadSettings(const std::string& path) {
  // The file is read and parsed once; a file that is missing or cannot be
  // read is an empty profile, so every key takes its default.
  ProfileText file = ReadProfileText(path);
  if (file.status == ProfileReadStatus::kTooLarge) {
    // Said once, though the settings dialog reads the profile a second time.
    static bool said = false;
    if (!said) {
      std::fprintf(stderr, "kalosaver: %s: %s; the default settings are used\n", path.c_str(),
                   file.error.c_str());
      said = true;
    }
  }
  if (file.status != ProfileReadStatus::kRead) file.text.clear();
  ProfileSection section(file.text, kProfileSection);

  SettingsTexts texts;
  for (int k = 0; k < kSettingCount; ++k) {
    texts.text[k] = section.Get(kSettingNames[k], kSettingDefaults[k]);
  }
  return texts;
}

WriteResult WriteSettings(const SettingsTexts& texts, const std::string& path) {
  std::vector<std::pair<std::string, std::string>> writes;
  writes.reserve(kSettingCount);
  for (int k = 0; k < kSettingCount; ++k) writes.emplace_back(kSettingNames[k], texts.text[k]);

  // A profile written by the saver always enables at least one design type.
  bool noneEnabled = true;
  for (int k = kKaloSpiral; k <= kKaloBoxes; ++k)
    noneEnabled = noneEnabled && texts.text[k] == "FALSE";
  if (noneEnabled) writes[kKaloSpiral].second = "TRUE";

  WriteResult result;
  result.ok = WriteProfileStrings(path, kProfileSection, writes, &result.error);
  return result;
}

}  // namespace kalo
