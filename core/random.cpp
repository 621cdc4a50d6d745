#include "core/random.h"

#include <chrono>

namespace kalo {

SystemRandom::SystemRandom() {
  using namespace std::chrono;
  Seed(static_cast<uint64_t>(
      duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count()));
}

SystemRandom::SystemRandom(uint64_t seed) { Seed(seed); }

void SystemRandom::Seed(uint64_t seed) { state_ = seed; }

Single SystemRandom::Rnd() {
  // splitmix64: small, fast and good enough for choosing shapes and colours.
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  // 24 random bits fill a float's mantissa exactly, so the result is never 1.
  return static_cast<Single>(z >> 40) * (1.0f / 16777216.0f);
}

}  // namespace kalo
