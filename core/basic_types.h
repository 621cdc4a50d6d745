// The number types every part of the saver shares. A Boolean is a 16-bit
// integer holding True (-1) or False (0); a test for True compares with -1,
// so any other value counts as not True.
#pragma once

#include <cstdint>

namespace kalo {

using Integer = int16_t;
using Long = int32_t;
using Single = float;
using Boolean = int16_t;

constexpr Boolean True = -1;
constexpr Boolean False = 0;

constexpr Boolean ToBoolean(bool b) { return b ? True : False; }
constexpr bool IsTrue(Boolean b) { return b == True; }

// Design types, in the order that indexes every per-type array.
enum DesignTypeId : Integer {
  KaloSpiral = 0,
  KaloYarn = 1,
  KaloStar = 2,
  KaloGons = 3,
  KaloAngle = 4,
  KaloBoxes = 5,
};
constexpr int kDesignTypeCount = 6;

// Colours are Longs with red in the low byte: RGB(r, g, b) = r + 256 g + 65536 b.
constexpr Long RGB(int r, int g, int b) {
  auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
  return clamp(r) + 256 * clamp(g) + 65536 * clamp(b);
}

// The sixteen classic colours, i = 0 to 15.
Long QBColor(int i);

}  // namespace kalo
