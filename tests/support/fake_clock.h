// A clock for code that times itself. It stands still until the test moves
// it, or, once ticking, moves a fixed step at every pass of the event loop, so
// a wait lasts a known number of passes however busy the machine is.
#pragma once

#include <QTimer>
#include <QtGlobal>
#include <functional>
#include <utility>

namespace kalo::test {

class FakeClock {
 public:
  // The reading, in nanoseconds, for the code under test.
  std::function<qint64()> Now() {
    return [this] { return ns_; };
  }
  qint64 ms() const { return ns_ / 1000000; }
  void AdvanceUs(qint64 us) { ns_ += us * 1000; }
  void Advance(qint64 ms) { ns_ += ms * 1000000; }

  // From now on every pass of the event loop moves the clock `step_ms` on and
  // then runs `on_tick`, which may stand in for input arriving at that time.
  void Tick(qint64 step_ms, std::function<void()> on_tick = {}) {
    ticker_.callOnTimeout([this, step_ms, on_tick = std::move(on_tick)] {
      Advance(step_ms);
      if (on_tick) on_tick();
    });
    ticker_.start(0);
  }

 private:
  qint64 ns_ = 0;
  QTimer ticker_;
};

}  // namespace kalo::test
