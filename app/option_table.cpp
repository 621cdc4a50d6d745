#include "app/option_table.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/ascii.h"
#include "core/settings_texts.h"

#ifndef KALO_VERSION
#define KALO_VERSION "unknown"
#endif

namespace kalo {

namespace {

using enum OptionKind;

// Texts are cut to seven characters, as the profile's reader sees them.
// clang-format off
const Option kOptions[] = {
    {.name = "help", .brief = "h", .kind = kHelp, .help = "show this text and end"},
    {.name = "version", .kind = kVersion, .help = "show the version and end"},
    {.name = "root", .kind = kRoot, .help = "run inside a screen-saver host: draw in "
     "$XSCREENSAVER_WINDOW, or on the screen's root window; only a signal ends it"},
    {.name = "window-id", .value = "ID", .kind = kWindowId,
     .help = "run inside a screen-saver host, drawing in the window ID (0x... or decimal)"},
    {.name = "window", .kind = kIgnore},
    {.name = "install", .kind = kIgnore},
    {.name = "noinstall", .kind = kIgnore},
    {.name = "fps", .kind = kIgnore},
    {.name = "no-fps", .kind = kIgnore},
    {.name = "mono", .kind = kIgnore},
    {.name = "visual", .value = "VISUAL", .kind = kIgnoreValue},
    {.name = "open", .value = "FILE", .kind = kOpen,
     .help = "draw a saved canvas file again, full screen, layer by layer"},
    {.name = "every-monitor", .kind = kEveryMonitor,
     .help = "with /s or --open: designs of their own on every other monitor too"},
    {.name = "render", .value = "FILE", .kind = kRender,
     .help = "draw a saved canvas file into an image (PNG, or BMP for a .bmp name); no display "
             "needed"},
    {.name = "size", .value = "WxH", .kind = kSize,
     .help = "the image size for --render (default: the screen's, or 1920x1080)"},
    {.name = "output", .brief = "o", .value = "FILE", .kind = kOutput,
     .help = "the image --render writes (default: the canvas file's name ending in .png)"},
    {.name = "scale", .value = "F", .kind = kScale,
     .help = "grow the design F times, 0.01 to 100 (default: as much as the picture outgrows the "
             "screen the design was saved on, or 1 when that is not known)"},
    {.name = "fit", .value = "PCT", .kind = kFit,
     .help = "grow or shrink the design to fill PCT per cent (1 to 100) of the picture's shorter "
             "side"},
    {.name = "from", .value = "WxH", .kind = kFrom,
     .help = "the screen the design was saved on (default: the size of the bitmap saved with it, "
             "FILE.bmp)"},
    {.name = "types", .value = "LIST", .kind = kTypes,
     .help = "the designs to draw, e.g. spiral,gons (of spiral, yarn, star, gons, angle, boxes)"},
    {.name = "spiral", .value = "on|off", .kind = kOnOff, .setting = kKaloSpiral,
     .help = "draw spirals"},
    {.name = "yarn", .value = "on|off", .kind = kOnOff, .setting = kKaloYarn, .help = "draw yarn"},
    {.name = "star", .value = "on|off", .kind = kOnOff, .setting = kKaloStar, .help = "draw stars"},
    {.name = "gons", .value = "on|off", .kind = kOnOff, .setting = kKaloGons,
     .help = "draw twisting polygons"},
    {.name = "angle", .value = "on|off", .kind = kOnOff, .setting = kKaloAngle,
     .help = "draw angle spirals"},
    {.name = "boxes", .value = "on|off", .kind = kOnOff, .setting = kKaloBoxes,
     .help = "draw rings of boxes"},
    {.name = "draw-delay", .value = "MS", .kind = kNumber, .setting = kDrawDelay, .low = 0,
     .high = 999, .help = "pause before each stroke, 0 (fastest) to 999 milliseconds"},
    {.name = "brightness", .value = "N", .kind = kNumber, .setting = kBrightness, .low = 100,
     .high = 255, .help = "brightest colour component of solid colours, 100 to 255"},
    {.name = "max-width", .value = "PX", .kind = kNumber, .setting = kMaxDrawWidth, .low = 3,
     .high = 128, .help = "widest pen, 3 to 128 pixels"},
    {.name = "max-layers", .value = "N", .kind = kNumber, .setting = kMaxLayers, .low = 1,
     .high = 32, .help = "most layers in one design, 1 to 32"},
    // The hosts' controls write nothing at 0, so that a control left there
    // keeps the profile's value; their other positions must each be a value
    // the saver takes. A pause of 0 ms is therefore written as the settings
    // dialog's speed, and the two ranges that start above 0 reach down to 1,
    // as the profile may hold them.
    {.name = "draw-speed", .value = "N", .kind = kSpeed, .setting = kDrawDelay, .low = 1,
     .high = 1000, .help = "the settings dialog's draw speed, 1 (a pause of 999 ms before each "
                           "stroke) to 1000 (no pause)"},
    {.name = "host-brightness", .value = "N", .kind = kNumber, .setting = kBrightness, .low = 1,
     .high = 255, .help = "--brightness as hosts' sliders give it, 1 to 255; below 100 is dimmer "
                          "than the settings dialog goes"},
    {.name = "host-max-width", .value = "PX", .kind = kNumber, .setting = kMaxDrawWidth, .low = 1,
     .high = 128, .help = "--max-width as hosts' controls give it, 1 to 128 pixels"},
    {.name = "lines-dots", .value = "both|lines|dots", .kind = kChoice, .setting = kLinesDots,
     .choices = {{"both", "LD"}, {"lines", "Lines"}, {"dots", "Dots"}},
     .help = "draw with lines, dots or either"},
    {.name = "solid-mix", .value = "both|solid|mix", .kind = kChoice, .setting = kSolidMix,
     .choices = {{"both", "SM"}, {"solid", "Solid"}, {"mix", "Mix"}},
     .help = "solid colours, colours mixed with the screen, or either"},
    {.name = "background", .value = "black|random", .kind = kChoice, .setting = kBgColor,
     .choices = {{"black", "Black"}, {"random", "Random"}},
     .help = "a black background, or a random colour per picture"},
    {.name = "roundness", .value = "both|display|circular", .kind = kChoice,
     .setting = kRoundness,
     .choices = {{"both", "Both"}, {"display", "Display"}, {"circular", "Circula"}},
     .help = "round designs, designs stretched to the screen's shape, or either"},
    {.name = "show-about", .value = "on|off", .kind = kOnOff, .setting = kShowAbout,
     .help = "show the about box now and then"},
};
// clang-format on

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

}  // namespace

std::span<const Option> Options() { return kOptions; }

const Option* FindOption(std::string_view name) {
  for (const Option& o : kOptions) {
    if (name == o.name || (o.brief && name == o.brief)) return &o;
  }
  return nullptr;
}

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
      "       kalosaver --render FILE.cvd [--size WxH] [--scale F | --fit PCT] [-o OUT.png]\n"
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
      "\nHow exactly a canvas file comes back: see CANVAS FILES in kalosaver(6).\n"
      "\nSettings: $XDG_CONFIG_HOME/kalosaver/CONTROL.INI, or\n"
      "~/.config/kalosaver/CONTROL.INI, section [Screen Saver.KaloShare];\n"
      "kalosaver /c edits them.\n";
  return text;
}

std::string VersionText() { return std::string("kalosaver ") + KALO_VERSION + "\n"; }

}  // namespace kalo
