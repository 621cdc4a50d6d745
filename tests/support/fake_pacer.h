// A pacer that never sleeps: it counts yields and the sleep time asked for,
// runs an optional hook on each yield (to stand in for input arriving), and can
// end the saver after a given number of yields.
#pragma once

#include <functional>

#include "core/canvas.h"

namespace kalo::test {

class FakePacer final : public Pacer {
 public:
  void DoEvents() override {
    ++yields;
    if (on_yield) on_yield(yields);
    if (end_after_yields > 0 && yields >= end_after_yields) throw SaverEnded{};
  }
  void Sleep(Long ms) override {
    ++sleeps;
    slept_ms += ms;
    if (on_sleep) on_sleep(ms);
  }

  long yields = 0;
  long sleeps = 0;
  long long slept_ms = 0;
  long end_after_yields = 0;  // 0: never end
  std::function<void(long)> on_yield;
  std::function<void(Long)> on_sleep;
};

}  // namespace kalo::test
