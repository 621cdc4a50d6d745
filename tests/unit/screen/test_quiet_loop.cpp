// A quiet loop on its own thread: it starts in the background the switches
// ask for, hands its strokes over to the window's side (waking a window that
// stopped looking), hands over when woken
// and ends at once even in the middle of a long rest, and draws pictures of
// its own seed.
// Run under ThreadSanitizer too (KALO_TSAN), for the hand-over.
#include <gtest/gtest.h>

#include <atomic>
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
  FrontBuffer front{kW, kH};
  std::atomic<int> wakes{0};
  std::vector<uint32_t> pixels = std::vector<uint32_t>(kW * kH, 0xDEADBEEF);
  PixelRect Take() { return front.TakeChanges(pixels.data(), kW); }
  // Takes changes until the picture holds more than one colour.
  bool Drawn() {
    for (int i = 0; i < 2000; ++i) {
      Take();
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
    Picture pa, pb;
    QuietLoop a(pa.front, kW, kH, row.command_line, Settings("0"), QuietLoopSeed(1000, 0));
    QuietLoop b(pb.front, kW, kH, row.command_line, Settings("0"), QuietLoopSeed(1000, 1));
    const PixelRect first = pa.Take();
    EXPECT_EQ(first.width() * first.height(), kW * kH) << row.command_line;
    EXPECT_EQ(Surface::ToColour(pa.pixels[kW * kH / 2]), row.background) << row.command_line;
    EXPECT_TRUE(pa.Take().empty()) << "nothing new before it starts";
    pa.front.SetWake([&pa] { ++pa.wakes; });
    EXPECT_FALSE(pa.front.ArmWake()) << "nothing is waiting";
    a.Start();
    b.Start();
    EXPECT_TRUE(pa.Drawn() && pb.Drawn()) << row.command_line;
    // One more hand-over, which the one arming must not wake for again.
    for (int i = 0; i < 2000 && pa.Take().empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    a.Stop();
    b.Stop();
    EXPECT_EQ(pa.wakes, 1) << "one wake for one arming";
    EXPECT_GT(a.strokes(), 0) << row.command_line;
    pa.Take();
    pb.Take();
    EXPECT_NE(pa.pixels, pb.pixels) << row.command_line;
  }
  EXPECT_NE(QuietLoopSeed(1000, 0), QuietLoopSeed(1000, 1));
}

// Counts the hand-overs, and grows the picture at the first one after it is
// asked to, as a host's window that grew would.
struct GrowingScreen final : LoopScreen {
  void Hand(Surface& picture, Long back) override {
    if (grow.exchange(false)) picture.ResizeKeeping(2 * kW, kH, back);
    width = picture.width();
    ++hands;
  }
  std::atomic<bool> grow{false};
  std::atomic<int> hands{0}, width{0};
};

TEST(QuietLoop, AWakeHandsOverAndGrowsThePictureWithinARestAndAStopCutsItShort) {
  // A minute before every stroke: a wake or a stop that waited for the rest
  // to run out would take that minute. (This seed's first rest is a
  // stroke's, not one of the loop's quarter seconds.)
  GrowingScreen screen;
  QuietLoop loop(screen, kW, kH, "/s", Settings("60000"), 1);
  loop.Start();
  // The rest's own hand-over, then time to settle into the rest.
  for (int i = 0; i < 2000 && screen.hands < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  screen.grow = true;
  loop.Wake();
  for (int i = 0; i < 2000 && screen.width != 2 * kW; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(screen.width, 2 * kW) << "no hand-over for the wake";
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto from = std::chrono::steady_clock::now();
  loop.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - from, std::chrono::seconds(10));
  EXPECT_EQ(loop.pacing().sleeps, 1) << "the wake did not end the rest";
  loop.Stop();  // harmless again
}

}  // namespace
}  // namespace kalo
