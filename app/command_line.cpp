#include "app/command_line.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/ascii.h"
#include "core/basic_types.h"

#ifndef KALO_VERSION
#define KALO_VERSION "unknown"
#endif

namespace kalo {

namespace {

enum class Kind {
  kHelp,
  kVersion,
  kRoot,
  kWindowId,
  kIgnore,       // a host's flag that means nothing here
  kIgnoreValue,  // the same, with a value
  kOpen,
  kRender,
  kSize,
  kOutput,
  kTypes,
  kOnOff,   // a setting that is TRUE or FALSE
  kNumber,  // a setting that is a whole number in a range
  kSpeed,   // the draw delay as the settings dialog's speed: high minus the delay
  kChoice,  // a setting that is one of a few words
};

struct Choice {
  const char* word;  // what the user types
  const char* text;  // what the profile would hold
};

struct Option {
  const char* name;   // long name, without dashes
  const char* brief;  // one-letter alias, or null
  const char* value;  // the value's name in the help, or null for a flag
  Kind kind;
  int setting = -1;
  int low = 0, high = 0;
  Choice choices[3] = {};
  const char* help = nullptr;  // null: accepted, never shown
};

// The design types as the options name them, in the order of their settings.
constexpr const char* kTypeWords[kDesignTypeCount] = {"spiral", "yarn",  "star",
                                                      "gons",   "angle", "boxes"};

// Texts are cut to seven characters, as the profile's reader sees them.
const Option kOptions[] = {
    {"help", "h", nullptr, Kind::kHelp, -1, 0, 0, {}, "show this text and end"},
    {"version", nullptr, nullptr, Kind::kVersion, -1, 0, 0, {}, "show the version and end"},
    {"root",
     nullptr,
     nullptr,
     Kind::kRoot,
     -1,
     0,
     0,
     {},
     "run inside a screen-saver host: draw in $XSCREENSAVER_WINDOW, or on the screen's root "
     "window; only a signal ends it"},
    {"window-id",
     nullptr,
     "ID",
     Kind::kWindowId,
     -1,
     0,
     0,
     {},
     "run inside a screen-saver host, drawing in the window ID (0x... or decimal)"},
    {"window", nullptr, nullptr, Kind::kIgnore},
    {"install", nullptr, nullptr, Kind::kIgnore},
    {"noinstall", nullptr, nullptr, Kind::kIgnore},
    {"fps", nullptr, nullptr, Kind::kIgnore},
    {"no-fps", nullptr, nullptr, Kind::kIgnore},
    {"mono", nullptr, nullptr, Kind::kIgnore},
    {"visual", nullptr, "VISUAL", Kind::kIgnoreValue},
    {"open",
     nullptr,
     "FILE",
     Kind::kOpen,
     -1,
     0,
     0,
     {},
     "draw a saved canvas file again, full screen, layer by layer"},
    {"render",
     nullptr,
     "FILE",
     Kind::kRender,
     -1,
     0,
     0,
     {},
     "draw a saved canvas file into an image (PNG, or BMP for a .bmp name); no display needed"},
    {"size",
     nullptr,
     "WxH",
     Kind::kSize,
     -1,
     0,
     0,
     {},
     "the image size for --render (default: the screen's, or 1920x1080)"},
    {"output",
     "o",
     "FILE",
     Kind::kOutput,
     -1,
     0,
     0,
     {},
     "the image --render writes (default: the canvas file's name ending in .png)"},
    {"types",
     nullptr,
     "LIST",
     Kind::kTypes,
     -1,
     0,
     0,
     {},
     "the designs to draw, e.g. spiral,gons (of spiral, yarn, star, gons, angle, boxes)"},
    {"spiral", nullptr, "on|off", Kind::kOnOff, kKaloSpiral, 0, 0, {}, "draw spirals"},
    {"yarn", nullptr, "on|off", Kind::kOnOff, kKaloYarn, 0, 0, {}, "draw yarn"},
    {"star", nullptr, "on|off", Kind::kOnOff, kKaloStar, 0, 0, {}, "draw stars"},
    {"gons", nullptr, "on|off", Kind::kOnOff, kKaloGons, 0, 0, {}, "draw twisting polygons"},
    {"angle", nullptr, "on|off", Kind::kOnOff, kKaloAngle, 0, 0, {}, "draw angle spirals"},
    {"boxes", nullptr, "on|off", Kind::kOnOff, kKaloBoxes, 0, 0, {}, "draw rings of boxes"},
    {"draw-delay",
     nullptr,
     "MS",
     Kind::kNumber,
     kDrawDelay,
     0,
     999,
     {},
     "pause before each stroke, 0 (fastest) to 999 milliseconds"},
    {"brightness",
     nullptr,
     "N",
     Kind::kNumber,
     kBrightness,
     100,
     255,
     {},
     "brightest colour component of solid colours, 100 to 255"},
    {"max-width",
     nullptr,
     "PX",
     Kind::kNumber,
     kMaxDrawWidth,
     3,
     128,
     {},
     "widest pen, 3 to 128 pixels"},
    {"max-layers",
     nullptr,
     "N",
     Kind::kNumber,
     kMaxLayers,
     1,
     32,
     {},
     "most layers in one design, 1 to 32"},
    // The hosts' controls write nothing at 0, so that a control left there
    // keeps the profile's value; their other positions must each be a value
    // the saver takes. A pause of 0 ms is therefore written as the settings
    // dialog's speed, and the two ranges that start above 0 reach down to 1,
    // as the profile may hold them.
    {"draw-speed",
     nullptr,
     "N",
     Kind::kSpeed,
     kDrawDelay,
     1,
     1000,
     {},
     "the settings dialog's draw speed, 1 (a pause of 999 ms before each stroke) to 1000 "
     "(no pause)"},
    {"host-brightness",
     nullptr,
     "N",
     Kind::kNumber,
     kBrightness,
     1,
     255,
     {},
     "--brightness as hosts' sliders give it, 1 to 255; below 100 is dimmer than the settings "
     "dialog goes"},
    {"host-max-width",
     nullptr,
     "PX",
     Kind::kNumber,
     kMaxDrawWidth,
     1,
     128,
     {},
     "--max-width as hosts' controls give it, 1 to 128 pixels"},
    {"lines-dots",
     nullptr,
     "both|lines|dots",
     Kind::kChoice,
     kLinesDots,
     0,
     0,
     {{"both", "LD"}, {"lines", "Lines"}, {"dots", "Dots"}},
     "draw with lines, dots or either"},
    {"solid-mix",
     nullptr,
     "both|solid|mix",
     Kind::kChoice,
     kSolidMix,
     0,
     0,
     {{"both", "SM"}, {"solid", "Solid"}, {"mix", "Mix"}},
     "solid colours, colours mixed with the screen, or either"},
    {"background",
     nullptr,
     "black|random",
     Kind::kChoice,
     kBgColor,
     0,
     0,
     {{"black", "Black"}, {"random", "Random"}},
     "a black background, or a random colour per picture"},
    {"roundness",
     nullptr,
     "both|display|circular",
     Kind::kChoice,
     kRoundness,
     0,
     0,
     {{"both", "Both"}, {"display", "Display"}, {"circular", "Circula"}},
     "round designs, designs stretched to the screen's shape, or either"},
    {"show-about",
     nullptr,
     "on|off",
     Kind::kOnOff,
     kShowAbout,
     0,
     0,
     {},
     "show the about box now and then"},
};

// The saver's own switches, for the usage text; they are read by searching
// the command line, not through the table of options.
struct SwitchHelp {
  const char* name;
  const char* help;
};
const SwitchHelp kSwitches[] = {
    {"/s", "run the saver full screen (without it nothing is drawn)"},
    {"/c", "without /s: the settings dialog; with /s: the background colour, e.g. /c255 for red"},
    {"/w", "white background"},
    {"/r", "a random background colour for every picture"},
    {"/d", "show the name of each design"},
    {"/b", "keep the background as it is, even when the settings ask for random colours"},
    {"/z", "companion mode: a marked design is handed over in kalosave.cvd and loadaskr.que"},
};

const Option* FindOption(std::string_view name) {
  for (const Option& o : kOptions) {
    if (name == o.name || (o.brief && name == o.brief)) return &o;
  }
  return nullptr;
}

// How many letters must be put in, taken out, changed or swapped with their
// neighbour to turn one word into the other, case aside.
size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t change = AsciiLower(a[i - 1]) == AsciiLower(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && AsciiLower(a[i - 1]) == AsciiLower(b[j - 2]) &&
          AsciiLower(a[i - 2]) == AsciiLower(b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

// The shown option a mistyped name most likely meant: at most one slip for
// every three letters; null when none is that close.
const Option* NearestOption(std::string_view name) {
  const Option* best = nullptr;
  size_t best_distance = 0;
  for (const Option& o : kOptions) {
    const size_t longer = std::max(name.size(), std::strlen(o.name));
    const size_t shorter = std::min(name.size(), std::strlen(o.name));
    // Words that differ this much in length are never close: a long word
    // costs no table of its size.
    if (!o.help || (longer - shorter) * 3 > longer) continue;
    const size_t d = Distance(name, o.name);
    if (d * 3 <= longer && (!best || d < best_distance)) {
      best = &o;
      best_distance = d;
    }
  }
  return best;
}

std::optional<long> WholeNumber(std::string_view text, long low, long high) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v < low || v > high) return std::nullopt;
  return v;
}

std::optional<bool> OnOff(std::string_view text) {
  for (const char* w : {"on", "yes", "true", "1"})
    if (SameIgnoringCase(text, w)) return true;
  for (const char* w : {"off", "no", "false", "0"})
    if (SameIgnoringCase(text, w)) return false;
  return std::nullopt;
}

// Reads one option's value into the invocation; "" when it was good,
// otherwise why not.
std::string TakeValue(const Option& o, std::string_view value, Invocation& inv) {
  switch (o.kind) {
    case Kind::kWindowId: {
      const auto id = ParseWindowId(value);
      if (!id) return "expected a window id (0x... or decimal)";
      inv.window_id = id;
      return "";
    }
    case Kind::kOpen:
    case Kind::kRender:
      if (value.empty()) return "expected a file name";
      inv.canvas_file = std::string(value);
      return "";
    case Kind::kOutput:
      if (value.empty()) return "expected a file name";
      inv.output_file = std::string(value);
      return "";
    case Kind::kSize: {
      const size_t x = value.find_first_of("xX");
      constexpr long kSide = 16384, kArea = 8192L * 8192L;
      const auto w =
          x == std::string_view::npos ? std::nullopt : WholeNumber(value.substr(0, x), 1, kSide);
      const auto h = w ? WholeNumber(value.substr(x + 1), 1, kSide) : std::nullopt;
      if (!h || *w * *h > kArea)
        return "expected WIDTHxHEIGHT, each 1 to 16384 and 67108864 pixels at most";
      inv.width = static_cast<int>(*w);
      inv.height = static_cast<int>(*h);
      return "";
    }
    case Kind::kTypes: {
      std::array<bool, kDesignTypeCount> chosen{};
      bool any = false;
      for (size_t from = 0; from <= value.size();) {
        size_t to = value.find(',', from);
        if (to == std::string_view::npos) to = value.size();
        const std::string_view word = value.substr(from, to - from);
        bool known = false;
        for (int t = 0; t < kDesignTypeCount; ++t) {
          if (SameIgnoringCase(word, kTypeWords[t])) chosen[t] = known = any = true;
        }
        if (!known) return "expected design names from spiral, yarn, star, gons, angle, boxes";
        from = to + 1;
      }
      if (!any) return "expected at least one design name";
      for (int t = 0; t < kDesignTypeCount; ++t)
        inv.settings[kKaloSpiral + t] = chosen[t] ? "TRUE" : "FALSE";
      return "";
    }
    case Kind::kOnOff: {
      const auto on = OnOff(value);
      if (!on) return "expected on or off";
      inv.settings[o.setting] = *on ? "TRUE" : "FALSE";
      return "";
    }
    case Kind::kNumber:
    case Kind::kSpeed: {
      const auto v = WholeNumber(value, o.low, o.high);
      if (!v)
        return "expected a whole number from " + std::to_string(o.low) + " to " +
               std::to_string(o.high);
      inv.settings[o.setting] = std::to_string(o.kind == Kind::kSpeed ? o.high - *v : *v);
      return "";
    }
    case Kind::kChoice: {
      std::string words;
      for (const Choice& c : o.choices) {
        if (!c.word) break;
        if (SameIgnoringCase(value, c.word)) {
          inv.settings[o.setting] = c.text;
          return "";
        }
        words += words.empty() ? c.word : std::string(", ") + c.word;
      }
      return "expected one of " + words;
    }
    default:
      return "";
  }
}

// Long or unprintable words are cut short: the message stays one line.
std::string Printable(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 60)) out += (c >= ' ' && c != 127) ? c : '?';
  if (text.size() > 60) out += "...";
  return out;
}

std::string Quoted(std::string_view text) {
  // Built by appending: GCC 12 at -O3 warns falsely of overlap in '"' + s.
  std::string out = "\"";
  out += Printable(text);
  out += '"';
  return out;
}

}  // namespace

RunMode DecideRunMode(std::string_view command_line) {
  if (command_line.find("/s") != std::string_view::npos) return RunMode::kSaver;
  if (command_line.find("/c") != std::string_view::npos) return RunMode::kConfigure;
  return RunMode::kNone;
}

std::string JoinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    if (argv[i]) line += argv[i];
  }
  return line;
}

std::optional<uint32_t> ParseWindowId(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t v = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f')
      d = AsciiLower(c) - 'a' + 10;
    else
      return std::nullopt;
    v = v * base + d;
  }
  if (v == 0 || v > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<uint32_t>(v);
}

Invocation ParseCommandLine(int argc, const char* const* argv) {
  Invocation inv;
  std::vector<const char*> rest{argc > 0 ? argv[0] : ""};
  bool help = false, version = false, open = false, render = false;
  bool render_only = false;  // --size or -o given
  bool options_over = false;  // after "--" every word goes to the switch search
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    const Option* o = nullptr;
    std::string_view name, value;
    bool inline_value = false;
    if (arg == "--") options_over = true;
    if (!options_over && arg.size() > 1 && arg[0] == '-') {
      name = arg.substr(arg.size() > 2 && arg[1] == '-' ? 2 : 1);
      const size_t eq = name.find('=');
      if (eq != std::string_view::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
        inline_value = true;
      }
      o = FindOption(name);
    }
    // A word that starts with "--" is always meant for us: a slip of the
    // keyboard must not run the saver with settings other than those asked
    // for. Hosts pass their own flags with one dash, and the saver's
    // switches have none, so those words go on to the switch search.
    const bool long_word = !options_over && arg.starts_with("--");
    const std::string shown = Printable(arg.substr(0, arg.find('=')));
    if (long_word && !o) {
      const Option* near = NearestOption(name);
      inv.mode = RunMode::kError;
      inv.error = shown + ": unknown option" +
                  (near ? std::string("; did you mean --") + near->name + "?" : "");
      return inv;
    }
    if (long_word && inline_value && !o->value) {
      inv.mode = RunMode::kError;
      inv.error = shown + ": takes no value, not " + Quoted(value);
      return inv;
    }
    if (!o || (inline_value && !o->value)) {
      // Not ours: one of the saver's switches, or noise that the switch
      // search will pass over.
      rest.push_back(argv[i] ? argv[i] : "");
      continue;
    }
    if (o->value && !inline_value) {
      if (i + 1 >= argc || !argv[i + 1]) {
        inv.mode = RunMode::kError;
        inv.error = shown + ": expected a value (" + o->value + ")";
        return inv;
      }
      value = argv[++i];
    }
    switch (o->kind) {
      case Kind::kHelp:
        help = true;
        break;
      case Kind::kVersion:
        version = true;
        break;
      case Kind::kRoot:
        inv.root = true;
        break;
      case Kind::kOpen:
        open = true;
        break;
      case Kind::kRender:
        render = true;
        break;
      case Kind::kSize:
      case Kind::kOutput:
        render_only = true;
        break;
      default:
        break;
    }
    const std::string why = TakeValue(*o, value, inv);
    if (!why.empty()) {
      inv.mode = RunMode::kError;
      inv.error = shown + ": " + why + ", not " + Quoted(value);
      return inv;
    }
  }
  inv.command_line = JoinArguments(static_cast<int>(rest.size()), rest.data());
  if (open && render) {
    inv.mode = RunMode::kError;
    inv.error = "--open and --render: give one of them";
  } else if (render_only && !render) {
    inv.mode = RunMode::kError;
    inv.error = "--size and --output go with --render";
  } else if (help) {
    inv.mode = RunMode::kHelp;
  } else if (version) {
    inv.mode = RunMode::kVersion;
  } else if (render) {
    inv.mode = RunMode::kRender;
  } else if (open) {
    inv.mode = RunMode::kOpen;
  } else if (inv.root || inv.window_id) {
    inv.mode = RunMode::kHosted;
  } else {
    inv.mode = DecideRunMode(inv.command_line);
  }
  return inv;
}

void ApplySettingOptions(const Invocation& inv, SettingsTexts& texts) {
  for (int k = 0; k < kSettingCount; ++k) {
    if (inv.settings[k]) texts.text[k] = *inv.settings[k];
  }
}

HostWindow ChooseHostWindow(const Invocation& inv, const char* xscreensaver_window) {
  HostWindow host;
  if (inv.window_id) {
    host.id = *inv.window_id;
  } else if (xscreensaver_window && *xscreensaver_window) {
    const auto id = ParseWindowId(xscreensaver_window);
    if (id)
      host.id = *id;
    else
      host.error = "XSCREENSAVER_WINDOW: expected a window id (0x... or decimal), not " +
                   Quoted(xscreensaver_window);
  }
  return host;
}

std::vector<OptionHelp> LongOptions() {
  std::vector<OptionHelp> out;
  for (const Option& o : kOptions) {
    out.push_back({std::string("--") + o.name, o.value ? o.value : "", o.help ? o.help : "",
                   o.help == nullptr});
  }
  return out;
}

std::string UsageText() {
  std::string text =
      "Usage: kalosaver /s [/w | /c<colour> | /r] [/d] [/b] [/z] [OPTION...]\n"
      "       kalosaver /c\n"
      "       kalosaver --root | --window-id ID [OPTION...]\n"
      "       kalosaver --open FILE.cvd [OPTION...]\n"
      "       kalosaver --render FILE.cvd [--size WxH] [-o OUT.png]\n"
      "\n"
      "KaloSaver fills the screen with line art drawn stroke by stroke, layer upon\n"
      "layer. Any key, click or mouse movement ends it; the space bar marks the\n"
      "design being drawn, to be saved as a bitmap and as a .cvd canvas file.\n"
      "Any other command line ends at once (an unknown --option is an error).\n"
      "\nSwitches:\n";
  // Option and help side by side, the help wrapped at 79 columns.
  auto row = [&text](const std::string& left, const std::string& help) {
    constexpr size_t kIndent = 30, kWidth = 79;
    std::string line = "  " + left;
    if (line.size() >= kIndent) line += "\n";
    line.append(kIndent - (line.size() > kIndent ? 0 : line.size()), ' ');
    size_t column = kIndent;
    for (size_t from = 0; from < help.size();) {
      size_t to = help.find(' ', from);
      if (to == std::string::npos) to = help.size();
      const std::string word = help.substr(from, to - from);
      if (column > kIndent && column + 1 + word.size() > kWidth) {
        line += "\n" + std::string(kIndent, ' ');
        column = kIndent;
      } else if (column > kIndent) {
        line += ' ';
        ++column;
      }
      line += word;
      column += word.size();
      from = to + 1;
    }
    text += line + "\n";
  };
  for (const SwitchHelp& s : kSwitches) row(s.name, s.help);
  text += "\nOptions (settings given here hold for this run only):\n";
  for (const Option& o : kOptions) {
    if (!o.help) continue;
    std::string left = o.brief ? std::string("-") + o.brief + ", " : "";
    left += std::string("--") + o.name;
    if (o.value) left += std::string(" ") + o.value;
    row(left, o.help);
  }
  text +=
      "\nA canvas file drawn again is exact for a design drawn alone in the middle of\n"
      "the screen, rendered at the size of the screen it was saved on, in a run\n"
      "without switches. The file does not record the switches, which change the\n"
      "reach of twisting polygons and angle spirals, nor the place and size of the\n"
      "small designs of a cluster picture: those are drawn in the middle, as if alone.\n"
      "Nor does it record the shorter reach that one in six polygon, angle and box\n"
      "designs get at random (they are drawn at full reach), a random squeeze beyond\n"
      "seven digits (a few pixels may differ), or the turns of an outer spiral whose\n"
      "circles were shrunk to fit: such designs come back close, not exact.\n"
      "\nSettings: $XDG_CONFIG_HOME/kalosaver/CONTROL.INI, or\n"
      "~/.config/kalosaver/CONTROL.INI, section [Screen Saver.KaloShare];\n"
      "kalosaver /c edits them.\n";
  return text;
}

std::string VersionText() { return std::string("kalosaver ") + KALO_VERSION + "\n"; }

}  // namespace kalo
