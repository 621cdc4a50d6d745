// The settings' names, defaults and the rules by which their texts are read.
// Kept free of the windowing library so that the design loop can use them.
#include <string>

#include "platform/numbers.h"
#include "settings/settings_store.h"

namespace kalo {

const char* const kSettingNames[kSettingCount] = {
    "KaloSpiral", "KaloYarn",  "KaloStar",   "KaloGons",     "KaloAngle",
    "KaloBoxes",  "DrawDelay", "Brightness", "MaxDrawWidth", "MaxLayers",
    "LinesDots",  "SolidMix",  "BgColor",    "Roundness",    "ShowAbout",
};

// "BLACK" and "BOTH" differ in case from what the dialog writes; only their
// first two letters are ever compared, so both spellings mean the same.
const char* const kSettingDefaults[kSettingCount] = {
    "TRUE", "FALSE", "FALSE", "TRUE", "FALSE", "FALSE", "0",    "255",
    "80",   "32",    "LD",    "SM",   "BLACK", "BOTH",  "TRUE",
};

namespace {

std::string UpperPrefix(std::string_view text, std::size_t n) {
  std::string out(text.substr(0, n));
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

bool ReadsTrue(std::string_view text) { return UpperPrefix(text, 4) == "TRUE"; }

std::string Code(std::string_view text) { return UpperPrefix(text, 2); }

double Number(std::string_view text) { return Val(text); }

}  // namespace kalo
