// A design loop of its own for a monitor beside the primary one: it draws on
// its own thread into its own picture, with its own random numbers, and
// shows nothing over the designs, saves nothing and asks nothing, like a
// saver inside a host's window. The window that shows the picture takes what
// changed from a front buffer on its own thread, as often as it paints.
// Nothing here knows about Qt, so that the thread's hand-over can be tested
// headless and under ThreadSanitizer.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

class QuietLoop {
 public:
  // A width x height picture, set up for the switches of `command_line` and
  // the settings `settings` exactly as the primary's is (a background of
  // its own when they ask for a random one). Throws std::bad_alloc when the
  // picture does not fit in memory.
  QuietLoop(int width, int height, const std::string& command_line,
            const SettingsTexts& settings, uint64_t seed);
  ~QuietLoop();
  QuietLoop(const QuietLoop&) = delete;
  QuietLoop& operator=(const QuietLoop&) = delete;

  // Starts drawing on a thread of its own.
  void Start();
  // Tells the loop to end: it leaves at its next stroke, or at once from a
  // rest. Does not wait.
  void RequestStop();
  // Ends the loop and waits for its thread. Harmless when called again.
  void Stop();

  int width() const { return width_; }
  int height() const { return height_; }

  // Copies into `pixels` (width() x height(), `stride` pixels a row) the
  // part of the picture the loop has handed over since the last call, and
  // returns that part; empty when nothing changed. The first call after
  // construction returns the whole picture in its background.
  PixelRect TakeChanges(uint32_t* pixels, std::ptrdiff_t stride);

  // Hand-overs happen at most this often while strokes follow one another
  // without a rest, and before every rest.
  static constexpr std::chrono::milliseconds kHandInterval{8};

 private:
  class ThreadPacer;
  void Run();
  // The picture's changes since the last hand-over go to the front buffer.
  void Hand();
  bool Ending() const { return end_.load(std::memory_order_acquire); }

  const int width_, height_;

  // The drawing thread's own.
  Surface surface_;
  SurfacePen pen_;
  RunState run_;
  DesignState design_;
  NullOverlay overlay_;
  SystemRandom rnd_;
  QuietServices services_;

  // Shared with the window's thread, under front_mutex_.
  std::mutex front_mutex_;
  std::vector<uint32_t> front_;
  PixelRect front_dirty_;
  std::atomic<bool> handed_{false};  // front_dirty_ is not empty: a look without the lock

  // Ending: the flag every stroke checks, and the rest's wake-up.
  std::atomic<bool> end_{false};
  std::mutex rest_mutex_;
  std::condition_variable rest_;
  std::thread thread_;
};

}  // namespace kalo
