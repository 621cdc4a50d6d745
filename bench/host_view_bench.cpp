// What a settings preview adds to each push: shrinking the screen's picture
// into the small window, and packing pixels for the window's visual. Figures
// are per push of the given part of a 1920 x 1080 picture, best of several
// rounds in process CPU time, with the source pixels handled per second.
//
//   host_view_bench
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

#include "surface/host_view.h"

namespace {

double CpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// The best time of one call of `work`, in seconds.
double Best(const std::function<void()>& work) {
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    int calls = 0;
    const double start = CpuSeconds();
    double now = start;
    while (now - start < 0.2) {
      work();
      ++calls;
      now = CpuSeconds();
    }
    best = std::min(best, (now - start) / calls);
  }
  return best;
}

void Report(const char* what, double seconds, long long source_pixels) {
  std::printf("%-44s %10.3f ms %10.0f Mpixel/s\n", what, seconds * 1e3,
              static_cast<double>(source_pixels) / seconds / 1e6);
}

}  // namespace

int main() {
  using kalo::PixelRect;
  constexpr int kW = 1920, kH = 1080;
  std::vector<uint32_t> picture(static_cast<size_t>(kW) * kH);
  std::mt19937 random(7);
  for (uint32_t& p : picture) p = random() & 0xFFFFFF;
  std::vector<uint32_t> out(static_cast<size_t>(kW) * kH);
  std::vector<uint8_t> packed(static_cast<size_t>(kW) * kH * 4);

  struct Preview {
    const char* what;
    int w, h;
    PixelRect changed;
  };
  const Preview previews[] = {
      {"shrink whole picture to 400 x 225", 400, 225, {0, 0, kW, kH}},
      {"shrink whole picture to 200 x 113", 200, 113, {0, 0, kW, kH}},
      {"shrink a 256 x 256 change to 400 x 225", 400, 225, {832, 412, 1088, 668}},
      {"shrink a 40 x 40 change (one stroke)", 400, 225, {940, 520, 980, 560}},
  };
  for (const Preview& p : previews) {
    kalo::Downscaler scaler;
    scaler.SetSizes(kW, kH, p.w, p.h);
    const PixelRect target = scaler.Covering(p.changed);
    const double t = Best([&] { scaler.Scale(picture.data(), kW, target, out.data()); });
    Report(p.what, t, static_cast<long long>(p.changed.width()) * p.changed.height());
  }

  struct Layout {
    const char* what;
    kalo::PixelLayout layout;
  };
  const Layout layouts[] = {
      {"pack whole picture, 24-bit visual", {32, 24, 0xFF0000, 0xFF00, 0xFF, false, 32}},
      {"pack whole picture, 32-bit visual", {32, 32, 0xFF0000, 0xFF00, 0xFF, false, 32}},
      {"pack whole picture, 16-bit visual", {16, 16, 0xF800, 0x07E0, 0x1F, false, 32}},
  };
  for (const Layout& l : layouts) {
    const kalo::PixelPacker packer(l.layout);
    const int row = packer.RowBytes(kW);
    const double t = Best([&] {
      for (int y = 0; y < kH; ++y)
        packer.Pack(picture.data() + static_cast<size_t>(y) * kW, kW,
                    packed.data() + static_cast<size_t>(y) * row);
    });
    Report(l.what, t, static_cast<long long>(kW) * kH);
  }
  return 0;
}
