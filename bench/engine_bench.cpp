// How fast the design loop and the renderers fill a full-HD screen when
// nothing paces them: designs and strokes per second, the share of the time
// spent outside the surface (choosing parameters, building records, the loop
// itself), and heap allocations per stroke.
//
// The share outside the surface is measured by running the same designs twice
// from the same seed, once drawing into the surface and once into a window
// that drops every stroke; the loop's draws do not depend on the pixels, so
// both runs make exactly the same choices.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/hosted_saver.h"
#include "core/numbers.h"
#include "core/random.h"
#include "core/setting_rules.h"
#include "engine/design_loop.h"
#include "files/settings_store.h"
#include "support/recording_window.h"
#include "support/startup_defaults.h"
#include "surface/surface.h"

namespace {

std::atomic<long long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace kalo {
namespace {

// The saver window as the loop sees it, drawing into a real surface (or,
// for the comparison run, into nothing at all).
class SurfaceWindow final : public test::PenAndControls {
 public:
  SurfaceWindow(Surface& surface, bool draw)
      : PenAndControls(static_cast<Single>(surface.width()), static_cast<Single>(surface.height())),
        surface_(surface),
        draw_(draw) {}

  void Line(Single x1, Single y1, Single x2, Single y2, Long colour) override {
    ++strokes;
    if (draw_) surface_.Line(x1, y1, x2, y2, colour);
  }
  void PSet(Single x, Single y, Long colour) override {
    ++strokes;
    if (draw_) surface_.PSet(x, y, colour);
  }
  void SetDrawWidth(Integer w) override {
    PenAndControls::SetDrawWidth(w);
    surface_.SetDrawWidth(w);
  }
  void SetDrawMode(RasterMode m) override {
    PenAndControls::SetDrawMode(m);
    surface_.SetDrawMode(static_cast<int>(m));
  }
  void Cls() override {
    if (draw_) surface_.Clear(BackColor());
  }
  void Refresh() override { surface_.TakeDirty(); }

  long long strokes = 0;

 private:
  Surface& surface_;
  bool draw_;
};

class NoWaitPacer final : public Pacer {
 public:
  void DoEvents() override {}
  void Sleep(Long) override {}
};

struct RunFigures {
  double seconds = 0;
  long long strokes = 0;
  long long allocations = 0;
};

RunFigures RunDesigns(Surface& surface, bool draw, bool allTypes, int designs, uint64_t seed) {
  SurfaceWindow win(surface, draw);
  NoWaitPacer pacer;
  SystemRandom rnd(seed);
  QuietServices services;
  DesignState s;
  RunState run;
  test::SetStartupDefaults(s, run, win.ScaleWidth());
  for (int t = 0; t < kDesignTypeCount; ++t) {
    run.DesignEnabled[t] = allTypes || ReadsTrue(run.Settings.text[t]);
  }
  surface.Clear(0);

  LoopContext ctx{{s, win, win, pacer, rnd}, run, services};
  DesignLoop loop(ctx);
  const long long allocationsBefore = g_allocations.load();
  const auto start = std::chrono::steady_clock::now();
  for (int d = 0; d < designs; ++d) loop.RunOneDesign();
  const auto end = std::chrono::steady_clock::now();
  RunFigures f;
  f.seconds = std::chrono::duration<double>(end - start).count();
  f.strokes = win.strokes;
  f.allocations = g_allocations.load() - allocationsBefore;
  return f;
}

void Report(const char* name, bool allTypes, int designs) {
  Surface surface(1920, 1080);
  const uint64_t seed = 20240601;
  const RunFigures drawn = RunDesigns(surface, true, allTypes, designs, seed);
  const RunFigures bare = RunDesigns(surface, false, allTypes, designs, seed);
  std::printf("%s, %d designs on 1920 x 1080\n", name, designs);
  std::printf("  designs per second        %10.1f\n", designs / drawn.seconds);
  std::printf("  strokes per second        %10.0f\n", drawn.strokes / drawn.seconds);
  std::printf("  strokes                   %10lld\n", drawn.strokes);
  std::printf("  time outside the surface  %9.1f%%  (%.3f s of %.3f s)\n",
              100.0 * bare.seconds / drawn.seconds, bare.seconds, drawn.seconds);
  std::printf("  heap allocations          %10lld  (%.5f per stroke)\n", drawn.allocations,
              static_cast<double>(drawn.allocations) / static_cast<double>(drawn.strokes));
  if (drawn.strokes != bare.strokes) std::printf("  (the two runs differed!)\n");
}

}  // namespace
}  // namespace kalo

int main(int argc, char** argv) {
  const int designs = argc > 1 ? std::atoi(argv[1]) : 300;
  kalo::Report("Default settings (Spiral and Gons)", false, designs);
  kalo::Report("All six design types", true, designs);
  return 0;
}
