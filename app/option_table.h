// The long options as one table: what each is called, what value it takes
// and what it sets, with the help line --help shows for it. The command line
// reads options through this table and --help lists them from it.
#pragma once

#include <span>
#include <string_view>

namespace kalo {

enum class OptionKind {
  kHelp,
  kVersion,
  kRoot,
  kWindowId,
  kIgnore,       // a host's flag that means nothing here
  kIgnoreValue,  // the same, with a value
  kOpen,
  kEveryMonitor,
  kRender,
  kSize,
  kOutput,
  kScale,
  kFit,
  kFrom,
  kTypes,
  kOnOff,   // a setting that is TRUE or FALSE
  kNumber,  // a setting that is a whole number in a range
  kSpeed,   // the draw delay as the settings dialog's speed: high minus the delay
  kChoice,  // a setting that is one of a few words
};

struct OptionChoice {
  const char* word;  // what the user types
  const char* text;  // what the profile would hold
};

struct Option {
  const char* name;              // long name, without dashes
  const char* brief = nullptr;   // one-letter alias
  const char* value = nullptr;   // the value's name in the help; null for a flag
  OptionKind kind;
  int setting = -1;
  int low = 0, high = 0;
  OptionChoice choices[3] = {};
  const char* help = nullptr;  // null: accepted, never shown
};

std::span<const Option> Options();

// The option called `name` (long, or its one-letter alias), or null.
const Option* FindOption(std::string_view name);

// The shown option a mistyped name most likely meant: at most one slip for
// every three letters; null when none is that close.
const Option* NearestOption(std::string_view name);

}  // namespace kalo
