// Prints the settings a run with these arguments would draw with, read as
// the saver reads them: the profile, then the command line's settings in
// their place. One "Key=Text" line per setting; a command line the saver
// refuses prints its message and ends with status 2, as the saver would.
#include <cstdio>

#include "app/command_line.h"
#include "files/settings_store.h"

int main(int argc, char** argv) {
  const kalo::Invocation inv = kalo::ParseCommandLine(argc, argv);
  if (inv.mode == kalo::RunMode::kError) {
    std::fprintf(stderr, "kalosaver: %s\n", inv.error.c_str());
    return 2;
  }
  kalo::SettingsTexts texts = kalo::ReadSettings(kalo::ProfilePath());
  kalo::ApplySettingOptions(inv, texts);
  for (int k = 0; k < kalo::kSettingCount; ++k)
    std::printf("%s=%s\n", kalo::kSettingNames[k], texts.text[k].c_str());
  return 0;
}
