// The command line: which run mode each start gets, what the saver's switch
// search still sees, the long options' values, and the host's window.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace kalo {
namespace {

Invocation Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "kalosaver");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, RunModeAndTheSwitchesLeftForTheSaver) {
  struct Row {
    std::vector<const char*> args;
    RunMode mode;
    const char* switches;
  };
  const Row rows[] = {
      {{"/s"}, RunMode::kSaver, "/s"},
      {{"/c", "/s"}, RunMode::kSaver, "/c /s"},
      {{"x/sy"}, RunMode::kSaver, "x/sy"},
      {{"/c:1234"}, RunMode::kConfigure, "/c:1234"},
      {{"/S"}, RunMode::kNone, "/S"},
      {{"/p", "4242"}, RunMode::kNone, "/p 4242"},
      {{}, RunMode::kNone, ""},
      {{"/s", "", "/c 255", "\xff\xfe"}, RunMode::kSaver, "/s  /c 255 \xff\xfe"},
      // Qt's own options are plain noise to the switch search.
      {{"-platform", "bogus"}, RunMode::kNone, "-platform bogus"},
      {{"-display", "X", "/s"}, RunMode::kSaver, "-display X /s"},
      {{"-bogus", "-", "-draw-dealy", "-root=1"}, RunMode::kNone, "-bogus - -draw-dealy -root=1"},
      // "--" alone ends the options: what follows is left to the switch search.
      {{"--", "--bogus", "-root", "/s"}, RunMode::kSaver, "-- --bogus -root /s"},
      // Long options and their values are taken out, so a value holding
      // "/s" or "/c" never turns into a switch.
      {{"--draw-delay", "5", "/s"}, RunMode::kSaver, "/s"},
      {{"--open", "/srv/c.cvd"}, RunMode::kOpen, ""},
      {{"/s", "--every-monitor"}, RunMode::kSaver, "/s"},
      {{"-root"}, RunMode::kHosted, ""},
      {{"--root", "/s", "/w"}, RunMode::kHosted, "/s /w"},
      {{"-window-id", "0x2a"}, RunMode::kHosted, ""},
      {{"-root", "-window", "-install", "-visual", "default", "--no-fps", "-mono"},
       RunMode::kHosted,
       ""},
      {{"--render", "a.cvd", "--size", "3840x2160", "-o", "a.png"}, RunMode::kRender, ""},
      {{"--render", "a.cvd", "--scale", ".5", "--from", "1280x800"}, RunMode::kRender, ""},
      {{"--open", "a.cvd", "--fit=92.5%"}, RunMode::kOpen, ""},
      {{"/s", "--help"}, RunMode::kHelp, "/s"},
      {{"--version", "-root"}, RunMode::kVersion, ""},
      {{"-h"}, RunMode::kHelp, ""},
  };
  for (const Row& r : rows) {
    const Invocation inv = Parse(r.args);
    const std::string line = r.args.empty() ? "(none)" : r.args[0];
    EXPECT_EQ(inv.mode, r.mode) << line << " " << inv.error;
    EXPECT_EQ(inv.command_line, r.switches) << line;
    EXPECT_EQ(inv.every_monitor, r.args.size() > 1 && r.args[1] == std::string("--every-monitor"))
        << line;
  }
  const Invocation scaled = Parse({"--render", "a.cvd", "--scale", "2.25", "--from", "1280x800"});
  EXPECT_EQ(scaled.scale, 2.25);
  EXPECT_EQ(scaled.from_width * 10000 + scaled.from_height, 12800800);
  EXPECT_DOUBLE_EQ(Parse({"--open", "a.cvd", "--fit", "92.5%"}).fit, 0.925);
}

TEST(CommandLine, BadValuesEndWithOneLineNamingTheOption) {
  struct Row {
    std::vector<const char*> args;
    const char* message;
  };
  const std::string huge = "--" + std::string(100000, 'x');
  const std::string huge_message = huge.substr(0, 60) + "...: unknown option";
  const Row rows[] = {
      {{"/s", "--draw-delay"}, "--draw-delay: expected a value (MS)"},
      {{"--draw-delay", "1000"},
       "--draw-delay: expected a whole number from 0 to 999, not \"1000\""},
      {{"--brightness=99"}, "--brightness: expected a whole number from 100 to 255, not \"99\""},
      {{"--max-width", "-3"}, "--max-width: expected a whole number from 3 to 128, not \"-3\""},
      {{"--max-layers", "0"}, "--max-layers: expected a whole number from 1 to 32, not \"0\""},
      {{"--draw-speed", "0"}, "--draw-speed: expected a whole number from 1 to 1000, not \"0\""},
      {{"--host-brightness=256"},
       "--host-brightness: expected a whole number from 1 to 255, not \"256\""},
      {{"--host-max-width", "0"},
       "--host-max-width: expected a whole number from 1 to 128, not \"0\""},
      {{"--spiral", "maybe"}, "--spiral: expected on or off, not \"maybe\""},
      {{"--types", "spiral,cubes"},
       "--types: expected design names from spiral, yarn, star, gons, angle, boxes, not "
       "\"spiral,cubes\""},
      {{"--roundness", "oval"},
       "--roundness: expected one of both, display, circular, not \"oval\""},
      {{"-window-id", "0x"}, "-window-id: expected a window id (0x... or decimal), not \"0x\""},
      {{"--window-id", "12ab"},
       "--window-id: expected a window id (0x... or decimal), not \"12ab\""},
      {{"--render", "a.cvd", "--size", "0x10"},
       "--size: expected WIDTHxHEIGHT, each 1 to 16384 and 67108864 pixels at most, not \"0x10\""},
      {{"--render", "a.cvd", "--size", "16384x16384"},
       "--size: expected WIDTHxHEIGHT, each 1 to 16384 and 67108864 pixels at most, not "
       "\"16384x16384\""},
      {{"--open", "a.cvd", "--render", "b.cvd"}, "--open and --render: give one of them"},
      {{"/s", "-o", "x.png"}, "--size and --output go with --render"},
      {{"--render", "a.cvd", "--scale", "0"},
       "--scale: expected a number from 0.01 to 100, not \"0\""},
      {{"--render", "a.cvd", "--scale", "1e3"},
       "--scale: expected a number from 0.01 to 100, not \"1e3\""},
      {{"--open", "a.cvd", "--fit", "0.9"},
       "--fit: expected a percentage from 1 to 100, not \"0.9\""},
      {{"--open", "a.cvd", "--fit", "1.2.3"},
       "--fit: expected a percentage from 1 to 100, not \"1.2.3\""},
      {{"/s", "--from", "1280x800"}, "--scale, --fit and --from go with --render or --open"},
      {{"--render", "a.cvd", "--scale", "2", "--fit", "90"}, "--scale and --fit: give one of them"},
      // Any word that starts with "--" is an option, known or not.
      {{"/s", "--draw-dealy", "200"}, "--draw-dealy: unknown option; did you mean --draw-delay?"},
      {{"--Draw-Delay=5"}, "--Draw-Delay: unknown option; did you mean --draw-delay?"},
      {{"---help"}, "---help: unknown option; did you mean --help?"},
      {{"--verison", "/s"}, "--verison: unknown option; did you mean --version?"},
      {{"--bogus"}, "--bogus: unknown option"},
      {{huge.c_str()}, huge_message.c_str()},
      {{"--/s"}, "--/s: unknown option"},
      {{"--\x1b[2J"}, "--?[2J: unknown option"},
      {{"/s", "--root=yes"}, "--root: takes no value, not \"yes\""},
      {{"--help="}, "--help: takes no value, not \"\""},
  };
  for (const Row& r : rows) {
    const Invocation inv = Parse(r.args);
    EXPECT_EQ(inv.mode, RunMode::kError) << r.message;
    EXPECT_EQ(inv.error, r.message);
  }
}

TEST(CommandLine, SettingsForOneRunAsTheProfileWouldHoldThem) {
  const Invocation inv =
      Parse({"/s", "--types", "Gons,star", "--draw-delay=200", "--lines-dots", "dots",
             "--solid-mix", "MIX", "--background", "random", "--roundness", "circular",
             "--show-about", "off", "--boxes", "yes", "--max-layers", "32"});
  ASSERT_EQ(inv.mode, RunMode::kSaver) << inv.error;
  SettingsTexts texts;
  for (int k = 0; k < kSettingCount; ++k) texts.text[k] = "profile";
  ApplySettingOptions(inv, texts);
  // A later option wins: --boxes after --types turns boxes on.
  const std::array<const char*, kSettingCount> want = {
      "FALSE",   "FALSE", "TRUE", "TRUE", "FALSE",  "TRUE",    "200",   "profile",
      "profile", "32",    "Dots", "Mix",  "Random", "Circula", "FALSE",
  };
  for (int k = 0; k < kSettingCount; ++k) EXPECT_EQ(texts.text[k], want[k]) << k;
  EXPECT_EQ(Parse({"--size", "x"}).mode, RunMode::kError);
}

// What the hosts' controls write: every value a profile may hold, each
// setting on its own, the speed as the settings dialog counts it.
TEST(CommandLine, HostsControlsSetOneSettingEach) {
  struct Row {
    const char* option;
    const char* value;
    SettingKey key;
    const char* text;
  };
  const Row rows[] = {
      {"--draw-speed", "1", kDrawDelay, "999"},
      {"--draw-speed", "1000", kDrawDelay, "0"},
      {"--host-brightness", "1", kBrightness, "1"},
      {"--host-brightness", "255", kBrightness, "255"},
      {"--host-max-width", "1", kMaxDrawWidth, "1"},
      {"--host-max-width", "128", kMaxDrawWidth, "128"},
  };
  for (const Row& r : rows) {
    const Invocation inv = Parse({"--root", r.option, r.value});
    ASSERT_EQ(inv.mode, RunMode::kHosted) << inv.error;
    for (int k = 0; k < kSettingCount; ++k)
      EXPECT_EQ(inv.settings[k].value_or("-"), k == r.key ? r.text : "-") << r.option << " " << k;
  }
}

TEST(CommandLine, HostWindowByTheHostsRules) {
  EXPECT_EQ(ParseWindowId("0x1A00007"), 0x1A00007u);
  EXPECT_EQ(ParseWindowId("27262983"), 27262983u);
  EXPECT_EQ(ParseWindowId("4294967295"), 0xFFFFFFFFu);
  for (const char* bad : {"", "0", "0x0", "4294967296", "0x100000000", "-5", " 12", "wl:7", "1e3"})
    EXPECT_FALSE(ParseWindowId(bad)) << bad;

  const Invocation root = Parse({"-root"});
  const Invocation given = Parse({"-window-id", "77"});
  EXPECT_EQ(ChooseHostWindow(given, "0x99").id, 77u);  // the option before the variable
  EXPECT_EQ(ChooseHostWindow(root, "0x99").id, 0x99u);
  EXPECT_EQ(ChooseHostWindow(root, "153").id, 153u);  // decimal, as some hosts write it
  EXPECT_EQ(ChooseHostWindow(root, nullptr).id, HostWindow::kRootWindow);
  EXPECT_EQ(ChooseHostWindow(root, "").id, HostWindow::kRootWindow);
  EXPECT_EQ(ChooseHostWindow(root, "").error, "");
  const HostWindow token = ChooseHostWindow(root, "wayland-token");
  EXPECT_EQ(token.error,
            "XSCREENSAVER_WINDOW: expected a window id (0x... or decimal), not \"wayland-token\"");
}

TEST(CommandLine, HelpListsEverySwitchAndEveryShownOption) {
  const std::string usage = UsageText();
  for (const char* s : {"/s", "/c", "/w", "/r", "/d", "/b", "/z", "CONTROL.INI", "kalosaver(6)"})
    EXPECT_NE(usage.find(s), std::string::npos) << s;
  for (const OptionHelp& o : LongOptions()) {
    const bool listed = usage.find(o.name + " " + o.value) != std::string::npos;
    EXPECT_EQ(listed, !o.hidden) << o.name;
  }
  EXPECT_EQ(VersionText().rfind("kalosaver ", 0), 0u);
}

}  // namespace
}  // namespace kalo
