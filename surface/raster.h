// What the surface's drawing is built from, shared by its files: the
// sixteen raster modes on single pixels and on vectors of them, the span
// loop, the clipping of segments, and the wide strokes drawn as bands of
// spans. Only the surface's own files include this.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "surface/surface.h"

namespace kalo::raster {

constexpr uint32_t kRgbMask = 0x00FFFFFF;

// Span loops work on several pixels at a time: four with the instructions
// every x86-64 processor has, eight where 256-bit vectors are available.
typedef uint32_t Pixels4 __attribute__((vector_size(16)));
typedef uint32_t Pixels8 __attribute__((vector_size(32)));
// The functions taking Pixels8 are only ever inlined into code built for
// 256-bit vectors, so the calling-convention note GCC gives for them is moot.
#pragma GCC diagnostic ignored "-Wpsabi"

// The sixteen raster modes, pen P and screen D, on the 24 colour bits. Works
// on one pixel or on a vector of pixels alike.
template <int Mode, class T>
[[gnu::always_inline]] inline T Combine(T p, T d) {
  T r;
  if constexpr (Mode == 1)
    r = p & 0;
  else if constexpr (Mode == 2)
    r = ~(p | d);
  else if constexpr (Mode == 3)
    r = ~p & d;
  else if constexpr (Mode == 4)
    r = ~p;
  else if constexpr (Mode == 5)
    r = p & ~d;
  else if constexpr (Mode == 6)
    r = ~d;
  else if constexpr (Mode == 7)
    r = p ^ d;
  else if constexpr (Mode == 8)
    r = ~(p & d);
  else if constexpr (Mode == 9)
    r = p & d;
  else if constexpr (Mode == 10)
    r = ~(p ^ d);
  else if constexpr (Mode == 11)
    r = d;
  else if constexpr (Mode == 12)
    r = ~p | d;
  else if constexpr (Mode == 13)
    r = p;
  else if constexpr (Mode == 14)
    r = p | ~d;
  else if constexpr (Mode == 15)
    r = p | d;
  else
    r = (p & 0) | kRgbMask;
  return r & kRgbMask;
}

// Modes whose result does not depend on the screen: their spans are plain fills.
constexpr bool IgnoresScreen(int mode) {
  return mode == 1 || mode == 4 || mode == 13 || mode == 16;
}

template <int Mode>
inline void ApplyPixel(uint32_t* p, uint32_t pen) {
  *p = Combine<Mode>(pen, *p);
}

// Pixels first[0] .. first[count - 1] of one row, count >= 1. Whole vectors
// first, then the last pixels as one vector whose surplus lanes are written
// back as they were read: no branch depends on the span's length modulo the
// vector's, which matters for the short spans of thin steep lines. The
// surplus lanes may reach past the row (into the next, or into the spare
// pixels the buffer keeps after its last row).
template <int Mode, class Vec>
[[gnu::always_inline]] inline void ApplySpan(uint32_t* first, int count, uint32_t pen) {
  constexpr int kLanes = sizeof(Vec) / sizeof(uint32_t);
  const Vec pens = Vec{} + pen;
  int i = 0;
  for (; i + kLanes < count; i += kLanes) {
    Vec d = {};
    if constexpr (!IgnoresScreen(Mode)) std::memcpy(&d, first + i, sizeof d);
    d = Combine<Mode>(pens, d);
    std::memcpy(first + i, &d, sizeof d);
  }
  Vec lanes;
  for (int k = 0; k < kLanes; ++k) lanes[k] = k;
  const Vec keep = reinterpret_cast<Vec>(lanes >= Vec{} + static_cast<uint32_t>(count - i));
  Vec d;
  std::memcpy(&d, first + i, sizeof d);
  d = (Combine<Mode>(pens, d) & ~keep) | (d & keep);
  std::memcpy(first + i, &d, sizeof d);
}

// The spare pixels after the last row that the last vector of a span may touch.
constexpr size_t kSparePixels = sizeof(Pixels8) / sizeof(uint32_t) - 1;

// Calls f with the mode as a compile-time constant, so that everything below
// the switch is built once per mode with the mode folded into the inner loop.
template <class F>
[[gnu::always_inline]] inline void WithMode(int mode, F&& f) {
  switch (mode) {
    case 1:
      f(std::integral_constant<int, 1>{});
      break;
    case 2:
      f(std::integral_constant<int, 2>{});
      break;
    case 3:
      f(std::integral_constant<int, 3>{});
      break;
    case 4:
      f(std::integral_constant<int, 4>{});
      break;
    case 5:
      f(std::integral_constant<int, 5>{});
      break;
    case 6:
      f(std::integral_constant<int, 6>{});
      break;
    case 7:
      f(std::integral_constant<int, 7>{});
      break;
    case 8:
      f(std::integral_constant<int, 8>{});
      break;
    case 9:
      f(std::integral_constant<int, 9>{});
      break;
    case 10:
      f(std::integral_constant<int, 10>{});
      break;
    case 11:
      break;  // the screen stays as it is
    case 12:
      f(std::integral_constant<int, 12>{});
      break;
    case 14:
      f(std::integral_constant<int, 14>{});
      break;
    case 15:
      f(std::integral_constant<int, 15>{});
      break;
    case 16:
      f(std::integral_constant<int, 16>{});
      break;
    default:
      f(std::integral_constant<int, 13>{});
      break;
  }
}

struct Segment {
  double x0, y0, x1, y1;
};

// Cuts the segment down to its part inside [lo, hi] on both axes (Liang and
// Barsky). False when nothing is left. The ends must be of moderate size (see
// CutFarSegment); the results are held inside the box whatever rounding did.
bool ClipToBox(Segment& s, double xlo, double ylo, double xhi, double yhi);

// Coordinates beyond this are far: such segments are first cut down to the
// square of this half-size around the origin, which holds any screen.
constexpr double kFar = 1 << 24;

// Cuts a segment with an end beyond kFar down to its part within kFar of the
// origin; false when nothing is left.
bool CutFarSegment(Segment& s);

inline bool IsFar(const Segment& s) {
  return std::max({std::abs(s.x0), std::abs(s.y0), std::abs(s.x1), std::abs(s.y1)}) > kFar;
}

// Draws the round-ended band of radius r around the segment (a round dot
// when its ends meet) in the given mode; returns the rectangle it changed.
// The ends must already lie within a few radii of the buffer.
PixelRect FillCapsule(uint32_t* bits, int width, int height, int mode, const Segment& s, double r,
                      uint32_t pen);

}  // namespace kalo::raster
