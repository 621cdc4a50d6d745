#include "app/command_line.h"

#include <array>
#include <string>
#include <vector>

#include "app/option_table.h"
#include "core/ascii.h"
#include "core/basic_types.h"

namespace kalo {

namespace {

using enum OptionKind;

// The design types as the options name them, in the order of their settings.
constexpr const char* kTypeWords[kDesignTypeCount] = {"spiral", "yarn",  "star",
                                                      "gons",   "angle", "boxes"};

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

// A number such as 2, 1.5 or .25; for a percentage a "%" may follow.
std::optional<double> DecimalNumber(std::string_view text, double low, double high,
                                    bool percent = false) {
  if (percent && text.ends_with('%')) text.remove_suffix(1);
  if (text.empty() || text.size() > 9 || text == "." ||
      text.find_first_not_of("0123456789.") != std::string_view::npos ||
      text.find('.') != text.rfind('.'))
    return std::nullopt;
  double v = 0, unit = 1;
  bool fraction = false;
  for (char c : text) {
    if (c == '.') {
      fraction = true;
    } else if (fraction) {
      unit /= 10;
      v += (c - '0') * unit;
    } else {
      v = v * 10 + (c - '0');
    }
  }
  if (v < low || v > high) return std::nullopt;
  return v;
}

// WIDTHxHEIGHT within the sizes a picture may have.
bool TakeSize(std::string_view value, int& width, int& height) {
  const size_t x = value.find_first_of("xX");
  constexpr long kSide = 16384, kArea = 8192L * 8192L;
  const auto w =
      x == std::string_view::npos ? std::nullopt : WholeNumber(value.substr(0, x), 1, kSide);
  const auto h = w ? WholeNumber(value.substr(x + 1), 1, kSide) : std::nullopt;
  if (!h || *w * *h > kArea) return false;
  width = static_cast<int>(*w);
  height = static_cast<int>(*h);
  return true;
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
    case kWindowId: {
      const auto id = ParseWindowId(value);
      if (!id) return "expected a window id (0x... or decimal)";
      inv.window_id = id;
      return "";
    }
    case kOpen:
    case kRender:
      if (value.empty()) return "expected a file name";
      inv.canvas_file = std::string(value);
      return "";
    case kOutput:
      if (value.empty()) return "expected a file name";
      inv.output_file = std::string(value);
      return "";
    case kSize:
    case kFrom: {
      int& width = o.kind == kSize ? inv.width : inv.from_width;
      int& height = o.kind == kSize ? inv.height : inv.from_height;
      if (!TakeSize(value, width, height))
        return "expected WIDTHxHEIGHT, each 1 to 16384 and 67108864 pixels at most";
      return "";
    }
    case kScale: {
      const auto f = DecimalNumber(value, 0.01, 100);
      if (!f) return "expected a number from 0.01 to 100";
      inv.scale = *f;
      return "";
    }
    case kFit: {
      const auto share = DecimalNumber(value, 1, 100, true);
      if (!share) return "expected a percentage from 1 to 100";
      inv.fit = *share / 100;
      return "";
    }
    case kTypes: {
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
    case kOnOff: {
      const auto on = OnOff(value);
      if (!on) return "expected on or off";
      inv.settings[o.setting] = *on ? "TRUE" : "FALSE";
      return "";
    }
    case kNumber:
    case kSpeed: {
      const auto v = WholeNumber(value, o.low, o.high);
      if (!v)
        return "expected a whole number from " + std::to_string(o.low) + " to " +
               std::to_string(o.high);
      inv.settings[o.setting] = std::to_string(o.kind == kSpeed ? o.high - *v : *v);
      return "";
    }
    case kChoice: {
      std::string words;
      for (const OptionChoice& c : o.choices) {
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
  bool render_only = false;   // --size or -o given
  bool canvas_only = false;   // --scale, --fit or --from given
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
      case kHelp:
        help = true;
        break;
      case kVersion:
        version = true;
        break;
      case kRoot:
        inv.root = true;
        break;
      case kOpen:
        open = true;
        break;
      case kEveryMonitor:
        inv.every_monitor = true;
        break;
      case kRender:
        render = true;
        break;
      case kSize:
      case kOutput:
        render_only = true;
        break;
      case kScale:
      case kFit:
      case kFrom:
        canvas_only = true;
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
  } else if (canvas_only && !render && !open) {
    inv.mode = RunMode::kError;
    inv.error = "--scale, --fit and --from go with --render or --open";
  } else if (inv.scale > 0 && inv.fit > 0) {
    inv.mode = RunMode::kError;
    inv.error = "--scale and --fit: give one of them";
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

}  // namespace kalo
