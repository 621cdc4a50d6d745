#include "screen/quiet_loop.h"

#include <cstring>
#include <exception>

#include "engine/startup_rules.h"

namespace kalo {

namespace {

void CopyRect(const uint32_t* from, std::ptrdiff_t from_stride, uint32_t* to,
              std::ptrdiff_t to_stride, const PixelRect& r) {
  const size_t row_bytes = static_cast<size_t>(r.width()) * sizeof(uint32_t);
  for (int y = r.top; y < r.bottom; ++y)
    std::memcpy(to + y * to_stride + r.left, from + y * from_stride + r.left, row_bytes);
}

}  // namespace

uint64_t QuietLoopSeed(uint64_t base, unsigned index) {
  // Seeds one step apart would give the same sequence one draw apart; mixed
  // like this they start far apart in the generator's cycle.
  uint64_t z = base + 0x632BE59BD9B4E019ull * (uint64_t{index} + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// The loop's pacing on its own thread: a stroke looks at the end flag and
// now and then hands the picture over; a rest hands it over and waits on the
// wake-up, which an end request cuts short.
class QuietLoop::ThreadPacer final : public Pacer {
 public:
  explicit ThreadPacer(QuietLoop& loop) : loop_(loop) {}

  void DoEvents() override {
    LeaveIfEnding();
    const auto now = std::chrono::steady_clock::now();
    if (now - last_hand_ >= kHandInterval) {
      loop_.Hand();
      last_hand_ = now;
    }
  }

  void Sleep(Long ms) override {
    LeaveIfEnding();
    loop_.Hand();
    last_hand_ = std::chrono::steady_clock::now();
    if (ms > 0) {
      std::unique_lock lock(loop_.rest_mutex_);
      loop_.rest_.wait_until(lock, last_hand_ + std::chrono::milliseconds(ms),
                             [this] { return loop_.Ending(); });
    }
    LeaveIfEnding();
  }

 private:
  void LeaveIfEnding() const {
    if (loop_.Ending()) throw SaverEnded{};
  }

  QuietLoop& loop_;
  std::chrono::steady_clock::time_point last_hand_{};
};

QuietLoop::QuietLoop(int width, int height, const std::string& command_line,
                     const SettingsTexts& settings, uint64_t seed)
    : width_(width),
      height_(height),
      surface_(width, height),
      pen_(surface_),
      rnd_(seed),
      front_(static_cast<size_t>(width) * static_cast<size_t>(height)) {
  run_.CommandLine = command_line;
  run_.Settings = settings;
  run_.StartingUp = true;
  // The switches, the settings and the background are taken as on the
  // primary monitor, before the thread exists.
  PrepareSaver(run_, design_, pen_, overlay_, rnd_);
  // Nothing shows the about box here; resting for it would only hold a
  // finished picture a few seconds longer.
  run_.ShowAboutFlag = false;
  FinishStartup(run_, design_, pen_, overlay_);
  surface_.Clear(pen_.BackColor());
  Hand();
}

QuietLoop::~QuietLoop() { Stop(); }

void QuietLoop::Start() {
  if (!thread_.joinable() && !Ending()) thread_ = std::thread([this] { Run(); });
}

void QuietLoop::RequestStop() {
  {
    // Under the rest's lock, so that a rest about to begin sees the flag.
    std::lock_guard lock(rest_mutex_);
    end_.store(true, std::memory_order_release);
  }
  rest_.notify_all();
}

void QuietLoop::Stop() {
  RequestStop();
  if (thread_.joinable()) thread_.join();
}

void QuietLoop::Run() {
  ThreadPacer pacer(*this);
  LoopContext ctx{EngineContext{design_, pen_, overlay_, pacer, rnd_}, run_, services_};
  try {
    RunDesignLoop(ctx);
  } catch (const SaverEnded&) {
  } catch (const std::exception&) {
    // Nothing may leave a thread; a monitor whose loop failed keeps its
    // last picture while the others go on.
  }
}

void QuietLoop::Hand() {
  const PixelRect r = surface_.TakeDirty();
  if (r.empty()) return;
  std::lock_guard lock(front_mutex_);
  CopyRect(surface_.bits(), width_, front_.data(), width_, r);
  front_dirty_ = Unite(front_dirty_, r);
  handed_.store(true, std::memory_order_release);
}

PixelRect QuietLoop::TakeChanges(uint32_t* pixels, std::ptrdiff_t stride) {
  if (!handed_.load(std::memory_order_acquire)) return {};
  std::lock_guard lock(front_mutex_);
  const PixelRect r = front_dirty_;
  CopyRect(front_.data(), width_, pixels, stride, r);
  front_dirty_ = {};
  handed_.store(false, std::memory_order_release);
  return r;
}

}  // namespace kalo
