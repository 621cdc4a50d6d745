#include "screen/quiet_loop.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>
#include <utility>

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

FrontBuffer::FrontBuffer(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * static_cast<size_t>(height)) {}

void FrontBuffer::Hand(Surface& picture, Long) {
  PixelRect r = picture.TakeDirty();
  // The picture is this buffer's size; should it ever differ, only the
  // common part is shown.
  r.right = std::min({r.right, width_, picture.width()});
  r.bottom = std::min({r.bottom, height_, picture.height()});
  if (r.empty()) return;
  {
    std::lock_guard lock(mutex_);
    CopyRect(picture.bits(), picture.width(), pixels_.data(), width_, r);
    dirty_ = Unite(dirty_, r);
    handed_.store(true);
  }
  // The store above and this exchange, against ArmWake's two in the other
  // order, are sequentially consistent: either the window sees the changes
  // or it is woken for them.
  if (armed_.exchange(false) && wake_) wake_();
}

bool FrontBuffer::ArmWake() {
  armed_.store(true);
  return handed_.load();
}

PixelRect FrontBuffer::TakeChanges(uint32_t* pixels, std::ptrdiff_t stride) {
  if (!handed_.load(std::memory_order_acquire)) return {};
  std::lock_guard lock(mutex_);
  const PixelRect r = dirty_;
  CopyRect(pixels_.data(), width_, pixels, stride, r);
  dirty_ = {};
  handed_.store(false, std::memory_order_release);
  return r;
}

// The loop's pacing on its own thread: a stroke looks at the end flag and
// now and then hands the picture over; a rest hands it over and waits on the
// wake-up, which an end request cuts short and a hand-over asked for
// interrupts.
class QuietLoop::ThreadPacer final : public Pacer {
 public:
  explicit ThreadPacer(QuietLoop& loop) : loop_(loop), figures_(loop.pacing_) {}

  void DoEvents() override {
    LeaveIfEnding();
    ++figures_.yields;
    // A plain load first: a stroke writes nothing shared unless woken.
    const bool woken = loop_.wake_.load(std::memory_order_relaxed) &&
                       loop_.wake_.exchange(false, std::memory_order_acq_rel);
    if (woken || std::chrono::steady_clock::now() - last_hand_ >= kHandInterval) {
      Hand();
    }
  }

  void Sleep(Long ms) override {
    LeaveIfEnding();
    Hand();
    if (ms > 0) {
      ++figures_.sleeps;
      const auto from = last_hand_;
      const auto until = from + std::chrono::milliseconds(ms);
      const long long cpu_before = ProcessCpuNs();
      std::unique_lock lock(loop_.rest_mutex_);
      while (loop_.rest_.wait_until(lock, until, [this] {
        return loop_.Ending() || loop_.wake_.load(std::memory_order_acquire);
      }) && !loop_.Ending()) {
        loop_.wake_.store(false, std::memory_order_release);
        lock.unlock();
        Hand();
        lock.lock();
      }
      lock.unlock();
      figures_.sleep_ns += std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::steady_clock::now() - from)
                               .count();
      figures_.sleep_cpu_ns += ProcessCpuNs() - cpu_before;
    }
    LeaveIfEnding();
  }

 private:
  void LeaveIfEnding() const {
    if (loop_.Ending()) throw SaverEnded{};
  }
  // The interval runs from the end of a hand-over, so that one that takes
  // long (a large picture packed for a host's window) leaves the loop the
  // rest of the interval to draw in.
  void Hand() {
    loop_.Hand();
    ++figures_.pushes;
    last_hand_ = std::chrono::steady_clock::now();
  }

  QuietLoop& loop_;
  PacerFigures& figures_;
  std::chrono::steady_clock::time_point last_hand_{};
};

QuietLoop::QuietLoop(LoopScreen& screen, int width, int height, const std::string& command_line,
                     const SettingsTexts& settings, uint64_t seed)
    : screen_(screen), surface_(width, height), pen_(surface_), rnd_(seed) {
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

void QuietLoop::Start(PacerChoice choose) {
  if (thread_.joinable() || Ending()) return;
  try {
    thread_ = std::thread([this, choose = std::move(choose)] { Run(choose); });
  } catch (const std::system_error&) {
    // No thread to be had is the lack of memory it nearly always is, and
    // ends the saver the same way.
    throw std::bad_alloc();
  }
}

void QuietLoop::Wake() {
  {
    std::lock_guard lock(rest_mutex_);
    wake_.store(true, std::memory_order_release);
  }
  rest_.notify_all();
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

void QuietLoop::Run(const PacerChoice& choose) {
  ThreadPacer own(*this);
  try {
    Pacer* chosen = choose ? choose(own) : nullptr;
    LoopContext ctx{EngineContext{design_, pen_, overlay_, chosen ? *chosen : own, rnd_}, run_,
                    services_};
    RunDesignLoop(ctx);
  } catch (const SaverEnded&) {
  } catch (const std::bad_alloc&) {
    screen_.OutOfMemory();
  } catch (const std::exception&) {
    // Nothing may leave a thread; a loop that failed keeps its last
    // picture while the rest of the saver goes on.
  }
}

}  // namespace kalo
