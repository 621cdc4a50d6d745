#include "core/settings_texts.h"

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

}  // namespace kalo
