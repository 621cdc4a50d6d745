// A design loop of its own, for a monitor beside the primary one or for a
// screen-saver host's window: it draws on its own thread into its own
// picture, with its own random numbers, and shows nothing over the designs,
// saves nothing and asks nothing. What it drew goes to a LoopScreen, on the
// loop's thread: a front buffer that a window takes changes from as often
// as it paints, or a host's window that is drawn in straight away.
// Nothing here knows about Qt, so that the thread's hand-over can be tested
// headless and under ThreadSanitizer.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/canvas.h"
#include "core/overlay.h"
#include "core/random.h"
#include "core/run_state.h"
#include "core/settings_texts.h"
#include "engine/design_loop.h"
#include "engine/design_state.h"
#include "surface/image_window.h"
#include "surface/surface.h"

namespace kalo {

// A seed for the loop numbered `index`, drawn from `base` (the time of day)
// so that no two loops, nor the primary's, follow the same random sequence.
uint64_t QuietLoopSeed(uint64_t base, unsigned index);

// Where a quiet loop's picture goes. Its calls come on the loop's thread
// once it runs (on the constructing thread before).
class LoopScreen {
 public:
  virtual ~LoopScreen() = default;
  // Shows what changed in `picture` since the last call (picture.TakeDirty())
  // on a background of `back_colour`. It may resize the picture, keeping
  // what is drawn; the loop draws at the new size from its next stroke.
  virtual void Hand(Surface& picture, Long back_colour) = 0;
  // The loop stopped because memory ran out: for a resize, or a stroke.
  virtual void OutOfMemory() {}
};

// A loop's picture kept for a window that paints on another thread: the
// loop copies its changes in, and the window takes them when it looks.
class FrontBuffer final : public LoopScreen {
 public:
  FrontBuffer(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }

  void Hand(Surface& picture, Long back_colour) override;
  // Copies into `pixels` (width() x height(), `stride` pixels a row) the
  // part of the picture handed over since the last call, and returns that
  // part; empty when nothing changed.
  PixelRect TakeChanges(uint32_t* pixels, std::ptrdiff_t stride);

  // A window that stops looking while the loop rests is woken instead:
  // `wake` is called on the loop's thread at the first hand-over with
  // changes after ArmWake, once. Set before the loop starts.
  void SetWake(std::function<void()> wake) { wake_ = std::move(wake); }
  // Asks for that wake; true when changes are waiting already, so that
  // none will come for them.
  bool ArmWake();

 private:
  const int width_, height_;
  std::mutex mutex_;
  std::vector<uint32_t> pixels_;
  PixelRect dirty_;
  std::atomic<bool> handed_{false};  // dirty_ is not empty: a look without the lock
  std::atomic<bool> armed_{false};
  std::function<void()> wake_;
};

class QuietLoop {
 public:
  // A width x height picture, set up for the switches of `command_line` and
  // the settings `settings` exactly as the primary's is (a background of
  // its own when they ask for a random one), and handed whole to `screen`,
  // which must outlive the loop. Throws std::bad_alloc when the picture does
  // not fit in memory.
  QuietLoop(LoopScreen& screen, int width, int height, const std::string& command_line,
            const SettingsTexts& settings, uint64_t seed);
  ~QuietLoop();
  QuietLoop(const QuietLoop&) = delete;
  QuietLoop& operator=(const QuietLoop&) = delete;

  // Starts drawing on a thread of its own. With `choose`, the loop is paced
  // by the pacer it returns, which may call on the loop's own (measuring
  // programs); it is asked on the loop's thread. Throws std::bad_alloc when
  // the system has no thread to spare.
  using PacerChoice = std::function<Pacer*(Pacer& own)>;
  void Start(PacerChoice choose = {});
  // Hands the picture over now, even in the middle of a rest, which then
  // goes on: for a screen with something new to show, such as a resize.
  void Wake();
  // Tells the loop to end: it leaves at its next stroke, or at once from a
  // rest. Does not wait.
  void RequestStop();
  // Ends the loop and waits for its thread. Harmless when called again.
  void Stop();

  // What the loop drew and how it was paced; read on the loop's thread (by
  // its screen), or once it has stopped.
  long long strokes() const { return pen_.strokes; }
  const PacerFigures& pacing() const { return pacing_; }

  // Hand-overs happen at most this often while strokes follow one another
  // without a rest, and before every rest.
  static constexpr std::chrono::milliseconds kHandInterval{8};

 private:
  class ThreadPacer;
  // The loop's pen counts its strokes, for measuring.
  struct CountingPen final : SurfacePen {
    using SurfacePen::SurfacePen;
    void Line(Single x1, Single y1, Single x2, Single y2, Long colour) override {
      ++strokes;
      SurfacePen::Line(x1, y1, x2, y2, colour);
    }
    void PSet(Single x, Single y, Long colour) override {
      ++strokes;
      SurfacePen::PSet(x, y, colour);
    }
    long long strokes = 0;
  };

  void Run(const PacerChoice& choose);
  void Hand() { screen_.Hand(surface_, pen_.BackColor()); }
  bool Ending() const { return end_.load(std::memory_order_acquire); }

  LoopScreen& screen_;

  // The drawing thread's own.
  Surface surface_;
  CountingPen pen_;
  RunState run_;
  DesignState design_;
  NullOverlay overlay_;
  SystemRandom rnd_;
  QuietServices services_;
  PacerFigures pacing_;

  // Ending: the flag every stroke checks; waking: a hand-over asked for.
  // Both are set under the rest's lock and wake a rest.
  std::atomic<bool> end_{false};
  std::atomic<bool> wake_{false};
  std::mutex rest_mutex_;
  std::condition_variable rest_;
  std::thread thread_;
};

}  // namespace kalo
