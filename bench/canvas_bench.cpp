// How long a saved design takes to render as a wallpaper: the designs the
// saver draws on a 1280 x 720 screen, saved and read back, then drawn whole at
// scale 1, 3 and 6 -- 1280 x 720, 3840 x 2160 and 7680 x 4320, the design
// grown with the picture, pens and all. The drawing is timed for every
// design; the whole of "--render" (reading the file, drawing, making the PNG
// and writing it) for the median and the heaviest design. Figures only.
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
#include "canvas/canvas_scale.h"
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

constexpr int kSavedWidth = 1280, kSavedHeight = 720;

std::vector<std::string> SavedDesigns(int count) {
  Surface surface(kSavedWidth, kSavedHeight);
  SurfacePen canvas(surface);
  NullOverlay overlay;
  NoPauses pacer;
  SystemRandom rnd(20240611);
  DesignState s;
  RunState run;
  test::SetStartupDefaults(s, run, kSavedWidth);
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

void Report(const std::vector<std::string>& files, int factor) {
  const int w = kSavedWidth * factor, h = kSavedHeight * factor;
  std::vector<Timed> times;
  Surface surface(w, h);
  ScaleRequest request;
  request.saved = PictureSize{kSavedWidth, kSavedHeight};
  size_t refused = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const CanvasRead read = ParseCanvasText(files[i]);
    if (!read.ok()) continue;
    const CanvasScale scale = ChooseCanvasScale(read.design, w, h, request);
    if (!CheckCanvasWork(read.design, w, h, scale).empty()) {
      ++refused;
      continue;
    }
    const auto start = Clock::now();
    DrawCanvasImage(read.design, surface, scale);
    times.push_back({Since(start), i});
  }
  std::sort(times.begin(), times.end(), [](Timed a, Timed b) { return a.seconds < b.seconds; });
  std::printf("scale %d, %d x %d, %zu designs drawn, %zu refused as too much work\n", factor, w, h,
              times.size(), refused);
  if (times.empty()) return;
  double total = 0;
  for (const Timed& t : times) total += t.seconds;
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
    inv.from_width = kSavedWidth;
    inv.from_height = kSavedHeight;
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
  for (int factor : {1, 3, 6}) kalo::Report(files, factor);
  return 0;
}
