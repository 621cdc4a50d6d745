// A random source that returns the values it is given, in order, and then a
// fixed fallback value; it counts how many values were drawn so that tests can
// check the order and number of draws.
#pragma once

#include <deque>
#include <initializer_list>

#include "core/random.h"

namespace kalo::test {

class ScriptedRandom final : public RandomSource {
 public:
  ScriptedRandom() = default;
  ScriptedRandom(std::initializer_list<Single> values) : script_(values) {}

  void Push(Single v) { script_.push_back(v); }
  void Push(std::initializer_list<Single> values) { script_.insert(script_.end(), values); }
  void SetFallback(Single v) { fallback_ = v; }

  Single Rnd() override {
    ++draws_;
    if (script_.empty()) {
      ++fallback_draws_;
      return fallback_;
    }
    Single v = script_.front();
    script_.pop_front();
    return v;
  }

  int draws() const { return draws_; }
  int fallback_draws() const { return fallback_draws_; }
  size_t remaining() const { return script_.size(); }

 private:
  std::deque<Single> script_;
  Single fallback_ = 0.0f;
  int draws_ = 0;
  int fallback_draws_ = 0;
};

}  // namespace kalo::test
