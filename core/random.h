// Where the designs' random numbers come from, and the saver's one random
// generator: a 64-bit generator seeded once from the time of day, giving
// Singles in [0, 1).
#pragma once

#include <cstdint>

#include "core/basic_types.h"

namespace kalo {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A uniform Single in [0, 1), never 1.
  virtual Single Rnd() = 0;
};

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
