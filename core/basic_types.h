// The number types every part of the saver shares. Integer and Long keep
// their 16- and 32-bit widths on purpose: the designs round into them and
// saturate at their limits (CInt, CLng), and that decides where points land
// and what the records hold. Flags are plain bool; only record texts write
// them as -1 and 0.
#pragma once

#include <cstdint>

namespace kalo {

using Integer = int16_t;
using Long = int32_t;
using Single = float;

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
