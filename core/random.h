// The saver's one random generator: a 64-bit generator seeded once from the
// time of day, giving Singles in [0, 1).
#pragma once

#include <cstdint>

#include "core/canvas.h"

namespace kalo {

class SystemRandom final : public RandomSource {
 public:
  // Seeds from the time of day.
  SystemRandom();
  explicit SystemRandom(uint64_t seed);
  void Seed(uint64_t seed);
  Single Rnd() override;

 private:
  uint64_t state_ = 0;
};

}  // namespace kalo
