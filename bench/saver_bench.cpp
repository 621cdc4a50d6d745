// How the real saver behaves on a real screen: the Qt window, the Qt pacer and
// the design loop exactly as "/s" runs them, on the display in $DISPLAY (the
// desktop, or the private X server bench/measure_saver.sh starts), with the
// profile found where the saver looks for it. After the given time the bench ends the saver the way
// a key does and prints what it saw:
//
//   saver_bench [seconds] [draw|rest|unrested] [full|hosted|preview]
//
// "full" (the default) is the "/s" window. "hosted" runs the saver as a
// screen-saver host would, in a plain window the bench opens over the whole
// screen; "preview" the same in a 400 x 300 window, where the screen's
// picture is shown shrunk. Hosted runs end the way hosts end them, with
// SIGTERM.
//
// "draw" (the default) runs the designs as the saver does. "rest" (full
// only) shows the window and then only rests in the loop's 250 ms units, so
// the cost of resting between pictures is measured on its own. "unrested"
// runs the designs with every sleep cut to a plain yield: with no stroke
// delay that is the window's drawing speed, comparable with the headless
// engine benchmark, which does not wait either.
#include <sys/resource.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/saver_main.h"
#include "app/saver_process.h"
#include "core/canvas.h"
#include "screen/full_screen_window.h"
#include "screen/hosted_window.h"
#include "screen/qt_pacer.h"

// Every heap allocation of the process, Qt's included, is counted: the
// allocator's own entry points are wrapped. Sanitizer builds keep their own
// allocator.
#if !defined(__SANITIZE_ADDRESS__)
namespace {
std::atomic<long long> g_allocations{0};
}  // namespace

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);

void* malloc(size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(p, size);
}
}
long long Allocations() { return g_allocations.load(std::memory_order_relaxed); }
constexpr bool kCountsAllocations = true;
#else
long long Allocations() { return 0; }
constexpr bool kCountsAllocations = false;
#endif

namespace kalo {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double PeakResidentMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes
}

// How long the process had been running when main began: the program's
// loading, Qt's libraries included. The kernel keeps the start in clock
// ticks, so this is good to about 10 ms.
double SecondsBeforeMain() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  // Field 22 (start time) counted from field 3, the first after the name.
  const char* p = text.c_str() + close + 2;
  for (int field = 3; field < 22 && *p; ++field) {
    p = std::strchr(p, ' ');
    if (!p) return 0;
    ++p;
  }
  const double start = std::strtod(p, nullptr) / static_cast<double>(sysconf(_SC_CLK_TCK));
  timespec boot{};
  clock_gettime(CLOCK_BOOTTIME, &boot);
  const double now = static_cast<double>(boot.tv_sec) + static_cast<double>(boot.tv_nsec) * 1e-9;
  return now > start ? now - start : 0;
}

struct Snapshot {
  Clock::time_point at;
  double cpu = 0;
  long long allocations = 0;
  ScreenFigures screen;
  PacerFigures pacer;
};

Snapshot Take(const ScreenFigures& screen, const PacerFigures& pacer) {
  Snapshot s;
  s.at = Clock::now();
  s.cpu = static_cast<double>(ProcessCpuNs()) * 1e-9;
  s.allocations = Allocations();
  s.screen = screen;
  s.pacer = pacer;
  return s;
}

// What a key press does: the window's key handler ends the saver. Should the
// press find the saver in a state that ignores keys, the end comes a moment
// later anyway.
void PressKey(SaverProcess& saver, FullScreenWindow& window) {
  QCoreApplication::postEvent(&window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
  QTimer::singleShot(1000, &window, [&saver] { saver.End(); });
}

enum class Mode { kDraw, kRest, kUnrested };
const char* const kModeNames[] = {"draw", "rest", "unrested"};
enum class Where { kFull, kHosted, kPreview };
const char* const kWhereNames[] = {"full", "hosted", "preview"};

// Stands between the loop and the real pacer to note when the window is
// painted and to cut sleeps short where asked; every call goes on to the
// real pacer. The saver's own window is seen painting; a host's window is
// painted by each push itself, on the loop's thread.
class WatchingPacer final : public Pacer, public QObject {
 public:
  WatchingPacer(Pacer& real, bool unrested) : real_(real), unrested_(unrested) {
    paint_times_.reserve(1 << 20);
  }
  void DoEvents() override { real_.DoEvents(); }
  void Sleep(Long ms) override {
    if (unrested_)
      DoEvents();
    else
      real_.Sleep(ms);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) NotePaint();
    return false;
  }
  void NotePaint() {
    if (paint_times_.size() < paint_times_.capacity()) paint_times_.push_back(Clock::now());
  }
  // The most paints that fell within any one second.
  long long PeakPaintsPerSecond() const {
    long long peak = 0;
    size_t first = 0;
    for (size_t last = 0; last < paint_times_.size(); ++last) {
      while (paint_times_[last] - paint_times_[first] >= std::chrono::seconds(1)) ++first;
      peak = std::max<long long>(peak, static_cast<long long>(last - first + 1));
    }
    return peak;
  }

 private:
  Pacer& real_;
  bool unrested_;
  std::vector<Clock::time_point> paint_times_;
};

struct Run {
  double seconds = 10;
  Mode mode = Mode::kDraw;
  Where where = Where::kFull;
  Clock::time_point main_start;
  double before_main = 0;
  Snapshot start, end;
  std::unique_ptr<WatchingPacer> watcher;
  int width = 0, height = 0;
};

void Print(const Run& run) {
  const Snapshot& a = run.start;
  const Snapshot& b = run.end;
  const double wall = Seconds(b.at - a.at);
  const long long strokes = b.screen.strokes - a.screen.strokes;
  const long long pushes = b.screen.pushes - a.screen.pushes;
  const double pixels = static_cast<double>(b.screen.pixels_pushed - a.screen.pixels_pushed);
  const double slept = static_cast<double>(b.pacer.sleep_ns - a.pacer.sleep_ns) * 1e-9;
  const double slept_cpu = static_cast<double>(b.pacer.sleep_cpu_ns - a.pacer.sleep_cpu_ns) * 1e-9;
  const double drawing = wall - slept;
  const long long allocations = b.allocations - a.allocations;

  std::printf("saver_bench: %s, %s, %d x %d, %.1f s\n", kModeNames[static_cast<int>(run.mode)],
              kWhereNames[static_cast<int>(run.where)], run.width, run.height, wall);
  std::printf("  strokes per second                %12.0f\n", strokes / wall);
  std::printf("  strokes per second while drawing  %12.0f  (%.2f s not waiting in sleeps)\n",
              drawing > 0 ? strokes / drawing : 0.0, drawing);
  std::printf("  screen pushes per second          %12.1f  (peak in one second %lld)\n",
              pushes / wall, run.watcher ? run.watcher->PeakPaintsPerSecond() : 0);
  std::printf(
      "  pushes asked by the pacing /s     %12.1f  (the rest: clears, refreshes, controls)\n",
      static_cast<double>(b.pacer.pushes - a.pacer.pushes) / wall);
  std::printf("  pixels pushed per second          %12.0f\n", pixels / wall);
  std::printf("  CPU seconds per wall second       %12.4f\n", (b.cpu - a.cpu) / wall);
  std::printf("  CPU share while sleeping          %12.4f  (%.2f s in %lld sleeps)\n",
              slept > 0 ? slept_cpu / slept : 0.0, slept, b.pacer.sleeps - a.pacer.sleeps);
  std::printf("  yields, event passes              %12lld %lld\n", b.pacer.yields - a.pacer.yields,
              b.pacer.event_passes - a.pacer.event_passes);
  std::printf("  strokes                           %12lld\n", strokes);
  if (kCountsAllocations) {
    std::printf(
        "  heap allocations                  %12lld  (%.5f per stroke)\n", allocations,
        strokes > 0 ? static_cast<double>(allocations) / static_cast<double>(strokes) : 0.0);
  }
  std::printf("  peak resident memory (MB)         %12.1f\n", PeakResidentMb());
  if (b.screen.first_stroke_shown != Clock::time_point{}) {
    std::printf("  start to first stroke shown (ms)  %12.1f  (from main; %.0f ms before main)\n",
                1000 * Seconds(b.screen.first_stroke_shown - run.main_start),
                1000 * run.before_main);
  }
}

}  // namespace
}  // namespace kalo

namespace kalo {
namespace {

// Watches the run, in either kind of window alike.
class Watch final : public RunObserver {
 public:
  explicit Watch(Run& run) : run_(run) {}

  Pacer* ChoosePacer(SurfaceWindow& shown, QtPacer& real) override {
    if (run_.mode == Mode::kRest) return nullptr;
    run_.watcher = std::make_unique<WatchingPacer>(real, run_.mode == Mode::kUnrested);
    dynamic_cast<FullScreenWindow&>(shown).installEventFilter(run_.watcher.get());
    return run_.watcher.get();
  }

  void Started(SaverProcess& saver, SurfaceWindow& shown, QtPacer& pacer) override {
    auto& window = dynamic_cast<FullScreenWindow&>(shown);
    run_.width = shown.surface().width();
    run_.height = shown.surface().height();
    const int ms = static_cast<int>(run_.seconds * 1000);
    run_.start = Take(shown.figures(), pacer.figures());
    if (run_.mode != Mode::kRest) {
      QTimer::singleShot(ms, Qt::PreciseTimer, qApp,
                         [&saver, &window] { PressKey(saver, window); });
      return;
    }
    // Exactly the loop's rest between pictures: 250 ms sleeps, each followed
    // by a yield.
    const auto until = run_.start.at + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
      pacer.Sleep(250);
      pacer.DoEvents();
    }
    run_.end = Take(shown.figures(), pacer.figures());
    PressKey(saver, window);
  }

  void Finished(SurfaceWindow& shown, QtPacer& pacer) override {
    if (run_.mode != Mode::kRest) run_.end = Take(shown.figures(), pacer.figures());
  }

  // A host ends its saver with SIGTERM.
  Pacer* ChooseLoopPacer(Pacer& own) override {
    run_.watcher = std::make_unique<WatchingPacer>(own, run_.mode == Mode::kUnrested);
    return run_.watcher.get();
  }

  void HostedStarted(SaverProcess&, HostedWindow& shown) override {
    run_.width = shown.picture_size().width;
    run_.height = shown.picture_size().height;
    // The first push is made here, before the loop's thread chooses its pacer.
    shown.SetPushWatcher([this] {
      if (run_.watcher) run_.watcher->NotePaint();
    });
    run_.start = Take(shown.figures(), shown.pacing());
    QTimer::singleShot(static_cast<int>(run_.seconds * 1000), Qt::PreciseTimer, qApp,
                       [] { std::raise(SIGTERM); });
  }

  void HostedFinished(HostedWindow& shown) override {
    run_.end = Take(shown.figures(), shown.pacing());
  }

 private:
  Run& run_;
};

// A plain black window as hosts make them: over the whole screen, or the
// size of a settings preview. Lives as long as the connection.
uint32_t OpenHostWindow(xcb_connection_t* c, bool preview) {
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const uint32_t id = xcb_generate_id(c);
  const uint32_t values[] = {screen->black_pixel, 1};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, id, screen->root, 0, 0,
                    preview ? 400 : screen->width_in_pixels,
                    preview ? 300 : screen->height_in_pixels, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(c, id);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  return id;
}

}  // namespace
}  // namespace kalo

int main(int argc, char** argv) {
  kalo::Run run;
  run.main_start = kalo::Clock::now();
  run.before_main = kalo::SecondsBeforeMain();
  if (argc > 1) run.seconds = std::atof(argv[1]);
  bool known = argc <= 4;
  if (argc > 2) {
    known = false;
    for (int m = 0; m < 3; ++m) {
      if (std::strcmp(argv[2], kalo::kModeNames[m]) == 0) {
        run.mode = static_cast<kalo::Mode>(m);
        known = argc <= 4;
      }
    }
  }
  if (argc > 3 && known) {
    known = false;
    for (int w = 0; w < 3; ++w) {
      if (std::strcmp(argv[3], kalo::kWhereNames[w]) == 0) {
        run.where = static_cast<kalo::Where>(w);
        known = true;
      }
    }
  }
  // A host's window has no rest of its own to measure.
  if (run.seconds <= 0 || !known ||
      (run.mode == kalo::Mode::kRest && run.where != kalo::Where::kFull)) {
    std::fprintf(stderr, "usage: %s [seconds] [draw|rest|unrested] [full|hosted|preview]\n",
                 argv[0]);
    return 2;
  }

  kalo::Watch watch(run);
  kalo::RunObserver::Install(&watch);
  char name[] = "saver_bench";
  char saver_switch[] = "/s";
  char window_option[] = "--window-id";
  std::string window_text;
  std::vector<char*> saver_argv = {name, saver_switch};
  xcb_connection_t* host = nullptr;
  if (run.where != kalo::Where::kFull) {
    host = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(host)) {
      std::fprintf(stderr, "saver_bench: no X display for a host's window\n");
      return 1;
    }
    window_text = std::to_string(kalo::OpenHostWindow(host, run.where == kalo::Where::kPreview));
    saver_argv = {name, window_option, window_text.data()};
  }
  saver_argv.push_back(nullptr);
  kalo::Main(static_cast<int>(saver_argv.size()) - 1, saver_argv.data());
  if (host) xcb_disconnect(host);
  if (run.end.at == kalo::Clock::time_point{}) {
    std::fprintf(stderr, "saver_bench: the saver did not run (another one running?)\n");
    return 1;
  }
  kalo::Print(run);
  return 0;
}
