// A monitor's quiet loop on its own thread: it starts in the background the
// switches ask for, hands its strokes over to the window's side, ends at once
// even in the middle of a long rest, and draws pictures of its own seed.
// Run under ThreadSanitizer too (KALO_TSAN), for the hand-over.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "core/numbers.h"
#include "core/settings_texts.h"
#include "screen/quiet_loop.h"

namespace kalo {
namespace {

constexpr int kW = 320, kH = 200;

SettingsTexts Settings(const char* draw_delay) {
  SettingsTexts t;
  for (int k = 0; k < kSettingCount; ++k) t.text[k] = kSettingDefaults[k];
  t[kBgColor] = "Black";
  t[kDrawDelay] = draw_delay;
  return t;
}

struct Picture {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(kW * kH, 0xDEADBEEF);
  PixelRect Take(QuietLoop& loop) { return loop.TakeChanges(pixels.data(), kW); }
  // Takes changes until the picture holds more than one colour.
  bool DrawnOn(QuietLoop& loop) {
    for (int i = 0; i < 2000; ++i) {
      Take(loop);
      for (uint32_t p : pixels)
        if (p != pixels[0]) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
};

TEST(QuietLoop, StartsInItsBackgroundAndDrawsPicturesOfItsOwnSeed) {
  const struct {
    const char* command_line;
    Long background;
  } rows[] = {{"/s", RGB(0, 0, 0)}, {"/s /c255", RGB(255, 0, 0)}, {"/s /w", RGB(255, 255, 255)}};
  for (const auto& row : rows) {
    QuietLoop a(kW, kH, row.command_line, Settings("0"), QuietLoopSeed(1000, 0));
    QuietLoop b(kW, kH, row.command_line, Settings("0"), QuietLoopSeed(1000, 1));
    Picture pa, pb;
    const PixelRect first = pa.Take(a);
    EXPECT_EQ(first.width() * first.height(), kW * kH) << row.command_line;
    EXPECT_EQ(Surface::ToColour(pa.pixels[kW * kH / 2]), row.background) << row.command_line;
    EXPECT_TRUE(pa.Take(a).empty()) << "nothing new before it starts";
    a.Start();
    b.Start();
    EXPECT_TRUE(pa.DrawnOn(a) && pb.DrawnOn(b)) << row.command_line;
    a.Stop();
    b.Stop();
    pa.Take(a);
    pb.Take(b);
    EXPECT_NE(pa.pixels, pb.pixels) << row.command_line;
  }
  EXPECT_NE(QuietLoopSeed(1000, 0), QuietLoopSeed(1000, 1));
}

TEST(QuietLoop, StopCutsALongRestShort) {
  // A minute before every stroke: a stop that waited for the rest to run
  // out would take that minute. (This seed's first rest is a stroke's, not
  // one of the loop's quarter seconds.)
  QuietLoop loop(kW, kH, "/s", Settings("60000"), 1);
  loop.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto from = std::chrono::steady_clock::now();
  loop.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - from, std::chrono::seconds(10));
  loop.Stop();  // harmless again
}

}  // namespace
}  // namespace kalo
