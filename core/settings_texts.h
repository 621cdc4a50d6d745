// The fifteen settings as the saver holds them: the texts read from the
// profile, by key, before any of them is interpreted.
#pragma once

#include <array>
#include <string>

namespace kalo {

// Keys in the order in which they are always read and written.
enum SettingKey : int {
  kKaloSpiral, kKaloYarn, kKaloStar, kKaloGons, kKaloAngle, kKaloBoxes,
  kDrawDelay, kBrightness, kMaxDrawWidth, kMaxLayers, kLinesDots,
  kSolidMix, kBgColor, kRoundness, kShowAbout,
  kSettingCount
};

extern const char* const kSettingNames[kSettingCount];
extern const char* const kSettingDefaults[kSettingCount];

// The fifteen texts as read (each at most seven characters).
struct SettingsTexts {
  std::array<std::string, kSettingCount> text;
  const std::string& operator[](SettingKey k) const { return text[k]; }
  std::string& operator[](SettingKey k) { return text[k]; }
};

}  // namespace kalo
