// How a hosted saver's picture reaches the host's window: which windows are
// previews and where the shrunk picture stands in them, how shrinking keeps
// colours and thin lines, and how pixels are packed for the window's visual.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "surface/host_view.h"

namespace kalo {
namespace {

TEST(HostView, SmallWindowsShowTheScreensPictureShrunkAndCentred) {
  struct Row {
    int w, h, screen_w, screen_h;
    bool scaled;
    int left, top, width, height;
    int surface_w = 0, surface_h = 0;  // when not the window's or the screen's size
  };
  const Row rows[] = {
      {1280, 800, 1920, 1080, false, 0, 0, 1280, 800},
      {640, 480, 1920, 1080, false, 0, 0, 640, 480},  // the smallest full window
      {639, 480, 1920, 1080, true, 0, 60, 639, 359},
      {640, 479, 1920, 1080, true, 0, 59, 640, 360},
      {320, 240, 1280, 800, true, 0, 20, 320, 200},
      {200, 150, 1920, 1200, true, 0, 12, 200, 125},
      {150, 400, 1920, 1080, true, 0, 158, 150, 84},  // a tall one: bands above and below
      {400, 300, 1024, 768, true, 0, 0, 400, 300},
      {0, 0, 1920, 1080, true, 0, 0, 1, 1},         // an empty window draws nothing amiss
      {300, 200, 200, 100, false, 0, 0, 300, 200},  // no larger screen to shrink
      // Beyond the picture limit: the largest picture of the window's shape,
      // centred; a preview of a huge screen shrinks the limit's picture.
      {20000, 20000, 1920, 1080, false, 5904, 5904, 8192, 8192, 8192, 8192},
      {32767, 32767, 1920, 1080, false, 12287, 12287, 8192, 8192, 8192, 8192},
      {20000, 3000, 1920, 1080, false, 1808, 271, 16384, 2457, 16384, 2457},
      {320, 240, 32767, 32767, true, 40, 0, 240, 240, 8192, 8192},
  };
  for (const Row& r : rows) {
    const HostView v = ChooseHostView(r.w, r.h, r.screen_w, r.screen_h);
    const std::string at = std::to_string(r.w) + "x" + std::to_string(r.h);
    EXPECT_EQ(v.scaled, r.scaled) << at;
    EXPECT_EQ(v.surface_width, r.surface_w ? r.surface_w : r.scaled ? r.screen_w : std::max(1, r.w))
        << at;
    EXPECT_EQ(v.surface_height,
              r.surface_h ? r.surface_h : r.scaled ? r.screen_h : std::max(1, r.h))
        << at;
    EXPECT_EQ(v.left, r.left) << at;
    EXPECT_EQ(v.top, r.top) << at;
    EXPECT_EQ(v.width, r.width) << at;
    EXPECT_EQ(v.height, r.height) << at;
  }
}

TEST(HostView, ShrinkingAveragesEachBlockAndMapsChangesToTheirBlocks) {
  // 10 x 8 to 3 x 2: columns in blocks of 3, 3 and 4, rows in blocks of 4.
  std::vector<uint32_t> source(10 * 8, 0x102030);
  for (int x = 0; x < 10; ++x) source[2 * 10 + x] = 0xFFFFFF;  // a thin line across
  source[7 * 10 + 9] = 0x302010;                               // one odd pixel, last block
  Downscaler d;
  d.SetSizes(10, 8, 3, 2);
  std::vector<uint32_t> out(6);
  d.Scale(source.data(), 10, {0, 0, 3, 2}, out.data());
  // Three of twelve pixels white: (0x10 * 9 + 0xFF * 3) / 12 rounds to 0x4C.
  EXPECT_EQ(out[0], 0x4C5864u);
  EXPECT_EQ(out[2], 0x4C5864u);  // the wider block averages its 16 pixels
  EXPECT_EQ(out[3], 0x102030u);
  // (0x10 * 15 + 0x30) / 16 = 0x12, and so on for each channel alone.
  EXPECT_EQ(out[5], 0x12202Eu);

  struct Row {
    PixelRect changed, shown;
  };
  const Row rows[] = {
      {{5, 5, 6, 6}, {1, 1, 2, 2}},  {{3, 0, 6, 4}, {1, 0, 2, 1}},  // exactly one block
      {{2, 3, 4, 5}, {0, 0, 2, 2}},                                 // across block edges
      {{0, 0, 10, 8}, {0, 0, 3, 2}}, {{9, 7, 10, 8}, {2, 1, 3, 2}},
  };
  for (const Row& r : rows) {
    const PixelRect c = d.Covering(r.changed);
    EXPECT_EQ(std::vector<int>({c.left, c.top, c.right, c.bottom}),
              std::vector<int>({r.shown.left, r.shown.top, r.shown.right, r.shown.bottom}))
        << r.changed.left << "," << r.changed.top;
  }
  EXPECT_TRUE(d.Covering({4, 4, 4, 6}).empty());
}

TEST(HostView, PixelsArePackedInTheWindowsOwnLayout) {
  struct Row {
    const char* what;
    PixelLayout layout;
    std::vector<uint8_t> bytes;  // 0x00FF8001 packed; empty: not drawable
    int row_bytes;               // three pixels, padded
  };
  const Row rows[] = {
      {"24-bit", {32, 24, 0xFF0000, 0xFF00, 0xFF, false, 32}, {0x01, 0x80, 0xFF, 0x00}, 12},
      {"32-bit, opaque", {32, 32, 0xFF0000, 0xFF00, 0xFF, false, 32}, {0x01, 0x80, 0xFF, 0xFF}, 12},
      {"big-endian", {32, 24, 0xFF0000, 0xFF00, 0xFF, true, 32}, {0x00, 0xFF, 0x80, 0x01}, 12},
      {"blue high", {32, 24, 0xFF, 0xFF00, 0xFF0000, false, 32}, {0xFF, 0x80, 0x01, 0x00}, 12},
      {"three bytes", {24, 24, 0xFF0000, 0xFF00, 0xFF, false, 32}, {0x01, 0x80, 0xFF}, 12},
      {"16-bit 565", {16, 16, 0xF800, 0x07E0, 0x001F, false, 32}, {0x00, 0xFC}, 8},
      {"30-bit", {32, 30, 0x3FF00000, 0xFFC00, 0x3FF, false, 32}, {0x04, 0x08, 0xF8, 0x3F}, 12},
      {"8-bit", {8, 8, 0xE0, 0x1C, 0x03, false, 32}, {}, 0},
      {"overlapping masks", {32, 24, 0xFF0000, 0xFFFF00, 0xFF, false, 32}, {}, 0},
      {"gapped mask", {32, 24, 0xF0F000, 0xF00, 0xFF, false, 32}, {}, 0},
      {"mask beyond depth", {16, 15, 0xF800, 0x07E0, 0x001F, false, 32}, {}, 0},
  };
  for (const Row& r : rows) {
    ASSERT_EQ(PixelPacker::Supports(r.layout), !r.bytes.empty()) << r.what;
    if (r.bytes.empty()) continue;
    const PixelPacker packer(r.layout);
    const uint32_t pixels[] = {0x00FF8001, 0x00FF8001};
    std::vector<uint8_t> out(2 * r.bytes.size(), 0xAA);
    packer.Pack(pixels, 2, out.data());
    std::vector<uint8_t> twice = r.bytes;
    twice.insert(twice.end(), r.bytes.begin(), r.bytes.end());
    EXPECT_EQ(out, twice) << r.what;
    EXPECT_EQ(packer.RowBytes(3), r.row_bytes) << r.what;
  }
}

}  // namespace
}  // namespace kalo
