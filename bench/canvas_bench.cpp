// How long a saved design takes to render as a wallpaper: the designs the
// saver draws on a full-HD screen, saved and read back, then drawn whole at
// 3840 x 2160 and 7680 x 4320. The drawing is timed for every design; the
// whole of "--render" (reading the file, drawing, making the PNG and writing
// it) for the median and the heaviest design. Figures only.
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/render_canvas.h"
#include "canvas/canvas_file.h"
#include "canvas/canvas_reader.h"
#include "canvas/canvas_replay.h"
#include "core/random.h"
#include "engine/design_loop.h"
#include "support/saved_design.h"
#include "support/startup_defaults.h"
#include "surface/image_window.h"

namespace kalo {
namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class NoPauses final : public Pacer {
 public:
  void DoEvents() override {}
  void Sleep(Long) override {}
};

std::vector<std::string> SavedDesigns(int count) {
  Surface surface(1920, 1080);
  SurfacePen canvas(surface);
  NullOverlay overlay;
  NoPauses pacer;
  SystemRandom rnd(20240611);
  DesignState s;
  RunState run;
  test::SetStartupDefaults(s, run, 1920);
  run.DesignEnabled.fill(true);
  test::SavedDesign saved(surface, s);
  LoopContext ctx{{s, canvas, overlay, pacer, rnd}, run, saved};
  DesignLoop loop(ctx);
  for (int i = 0; i < count; ++i) {
    run.SavePending = true;
    loop.RunOneDesign();
  }
  std::vector<std::string> files;
  for (const std::string& record : saved.records) files.push_back(CanvasFileText(record));
  return files;
}

struct Timed {
  double seconds;
  size_t design;
};

void Report(const std::vector<std::string>& files, int w, int h) {
  std::vector<Timed> times;
  Surface surface(w, h);
  for (size_t i = 0; i < files.size(); ++i) {
    const CanvasRead read = ParseCanvasText(files[i]);
    if (!read.ok()) continue;
    const auto start = Clock::now();
    DrawCanvasImage(read.design, surface);
    times.push_back({Since(start), i});
  }
  std::sort(times.begin(), times.end(), [](Timed a, Timed b) { return a.seconds < b.seconds; });
  double total = 0;
  for (const Timed& t : times) total += t.seconds;
  std::printf("%d x %d, %zu designs drawn\n", w, h, times.size());
  std::printf("  drawing, mean    (s)  %8.3f\n", total / static_cast<double>(times.size()));
  std::printf("  drawing, median  (s)  %8.3f\n", times[times.size() / 2].seconds);
  std::printf("  drawing, 9 in 10 (s)  %8.3f\n", times[times.size() * 9 / 10].seconds);
  std::printf("  drawing, slowest (s)  %8.3f\n", times.back().seconds);

  QTemporaryDir dir;
  for (const auto& [name, t] :
       {std::pair{"median", times[times.size() / 2]}, {"slowest", times.back()}}) {
    const std::string canvas = dir.path().toStdString() + "/" + name + ".cvd";
    WriteFileAtomically(canvas, files[t.design]);
    Invocation inv;
    inv.canvas_file = canvas;
    inv.width = w;
    inv.height = h;
    const auto start = Clock::now();
    const int status = RenderCanvas(inv);
    std::printf("  --render, %-7s (s)  %8.3f%s\n", name, Since(start), status ? "  (failed!)" : "");
  }
}

}  // namespace
}  // namespace kalo

int main(int argc, char** argv) {
  const int designs = argc > 1 ? std::atoi(argv[1]) : 60;
  const std::vector<std::string> files = kalo::SavedDesigns(designs);
  kalo::Report(files, 3840, 2160);
  kalo::Report(files, 7680, 4320);
  return 0;
}
