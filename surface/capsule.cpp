// Wide lines and dots: every pixel whose centre lies within the pen's radius
// of the segment, found row by row as spans and painted a vector at a time.
#include <algorithm>
#include <cmath>

#include "surface/raster.h"

namespace kalo::raster {

namespace {

// Floor and ceiling of values already known to lie well inside the int range.
inline int FloorInt(double v) {
  int i = static_cast<int>(v);
  return i > v ? i - 1 : i;
}
inline int CeilInt(double v) {
  int i = static_cast<int>(v);
  return i < v ? i + 1 : i;
}

// The pixels of one row whose centres lie in [lo, hi], cut to the buffer;
// empty when left > right.
struct Span {
  int left, right;
};

inline Span PixelSpan(double lo, double hi, int width) {
  lo = std::max(lo, -1.0);
  hi = std::min(hi, static_cast<double>(width));
  if (!(lo <= hi)) return {1, 0};
  return {std::max(0, CeilInt(lo)), std::min(width - 1, FloorInt(hi))};
}

// Calls span(y, left, right) (inclusive) for each row of the buffer that the
// capsule around the segment a-b of radius r reaches: every pixel whose centre
// lies within r of the segment. The ends must already lie within a few radii
// of the buffer. a == b gives a round dot. Returns the rectangle it covered.
template <class SpanFn>
[[gnu::always_inline]] inline PixelRect ForEachCapsuleSpan(const Segment& s, double r, int width,
                                                           int height, SpanFn span) {
  const double r2 = r * r;
  const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  const double len2 = dx * dx + dy * dy;
  const double len = std::sqrt(len2);
  // Which band shape applies; a segment within a hair of an axis counts as on it.
  const bool dot = len2 == 0;
  const bool flat = !dot && std::abs(dy) <= 1e-12 * std::abs(dx);
  const bool upright = !dot && !flat && std::abs(dx) <= 1e-12 * std::abs(dy);
  // For a slanted band, x - x0 on row y is bounded by the distance to the line,
  // (y - y0) dx / dy -+ r len / |dy|, and by the ends' perpendiculars,
  // between -(y - y0) dy / dx and (len2 - (y - y0) dy) / dx.
  const double slope_x = dot || flat ? 0 : dx / dy;
  const double half_x = dot || flat ? 0 : r * len / std::abs(dy);
  const double slope_p = dot || upright ? 0 : dy / dx;
  const double end_p = dot || upright ? 0 : len2 / dx;

  // One row worked out in full: the chords of the two end disks, joined with
  // the band between the ends.
  auto general_row = [&](int y) -> Span {
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    const double ry0 = y - s.y0, ry1 = y - s.y1;
    if (ry0 * ry0 <= r2) {
      const double h = std::sqrt(r2 - ry0 * ry0);
      lo = s.x0 - h;
      hi = s.x0 + h;
    }
    if (!dot && ry1 * ry1 <= r2) {
      const double h = std::sqrt(r2 - ry1 * ry1);
      lo = std::min(lo, s.x1 - h);
      hi = std::max(hi, s.x1 + h);
    }
    if (flat) {
      // Horizontal band: the row is within r of the line, x between the ends.
      if (ry0 * ry0 <= r2) {
        lo = std::min(lo, std::min(s.x0, s.x1));
        hi = std::max(hi, std::max(s.x0, s.x1));
      }
    } else if (upright) {
      // Vertical band: the row lies between the ends, x within r of the line.
      if (ry0 * dy >= 0 && ry0 * dy <= len2) {
        lo = std::min(lo, s.x0 - r);
        hi = std::max(hi, s.x0 + r);
      }
    } else if (!dot) {
      double blo = ry0 * slope_x - half_x, bhi = ry0 * slope_x + half_x;
      double plo = -ry0 * slope_p, phi = end_p - ry0 * slope_p;
      if (plo > phi) std::swap(plo, phi);
      blo = std::max(blo, plo);
      bhi = std::min(bhi, phi);
      if (blo <= bhi) {
        lo = std::min(lo, s.x0 + blo);
        hi = std::max(hi, s.x0 + bhi);
      }
    }
    return PixelSpan(lo, hi, width);
  };

  // The covered rectangle is kept in locals of this function only, so that the
  // pixel stores cannot be taken to touch it.
  int min_left = width, max_right = -1, first_row = height, last_row = -1;
  auto emit = [&](int y, Span row) __attribute__((always_inline)) {
    if (row.left > row.right) return;
    span(y, row.left, row.right);
    min_left = std::min(min_left, row.left);
    max_right = std::max(max_right, row.right);
    first_row = std::min(first_row, y);
    last_row = y;
  };

  const int top = std::max(0, CeilInt(std::min(s.y0, s.y1) - r));
  const int bottom = std::min(height - 1, FloorInt(std::max(s.y0, s.y1) + r));
  const PixelRect none{};
  if (dot || flat) {
    for (int y = top; y <= bottom; ++y) emit(y, general_row(y));
    return min_left <= max_right ? PixelRect{min_left, first_row, max_right + 1, last_row + 1}
                                 : none;
  }
  // Rows far enough from both ends that the band's two edges cross them inside
  // the segment: there the span is just the band, centred on the line. These
  // are most rows of a long line, so they get a loop of their own.
  const double shrink = r * std::abs(dx) / len;
  const int middle_top = std::max(top, CeilInt(std::min(s.y0, s.y1) + shrink));
  const int middle_bottom = std::min(bottom, FloorInt(std::max(s.y0, s.y1) - shrink));
  if (middle_top > middle_bottom) {
    for (int y = top; y <= bottom; ++y) emit(y, general_row(y));
  } else {
    for (int y = top; y < middle_top; ++y) emit(y, general_row(y));
    // The band's edges move by slope_x a row. They are stepped in 32.32 fixed
    // point, so that a row costs two additions and two shifts; the rounding
    // this adds stays below a millionth of a pixel on any screen.
    constexpr double kUnit = 4294967296.0;
    const int64_t rows = middle_bottom - middle_top;
    const double first_centre = s.x0 + (middle_top - s.y0) * slope_x;
    const double last_centre = first_centre + rows * slope_x;
    if (std::max(std::abs(first_centre), std::abs(last_centre)) + half_x < (1 << 24)) {
      const int64_t step = std::llround(slope_x * kUnit);
      // ceil(l) = (l' + unit - 1) >> 32 for l' = ceil(l * unit); floor alike.
      int64_t left_edge =
          static_cast<int64_t>(std::ceil((first_centre - half_x) * kUnit)) + (int64_t{1} << 32) - 1;
      int64_t right_edge = static_cast<int64_t>(std::floor((first_centre + half_x) * kUnit));
      // The edges are straight, so the outermost pixels are on the end rows.
      const int reach_left =
          std::max(0, static_cast<int>(std::min(left_edge, left_edge + rows * step) >> 32));
      const int reach_right = std::min(
          width - 1, static_cast<int>(std::max(right_edge, right_edge + rows * step) >> 32));
      if (reach_left <= reach_right) {
        min_left = std::min(min_left, reach_left);
        max_right = std::max(max_right, reach_right);
        first_row = std::min(first_row, middle_top);
        last_row = middle_bottom;
      }
      for (int y = middle_top; y <= middle_bottom; ++y, left_edge += step, right_edge += step) {
        const int left = std::max(0, static_cast<int>(left_edge >> 32));
        const int right = std::min(width - 1, static_cast<int>(right_edge >> 32));
        if (left <= right) span(y, left, right);
      }
    } else {
      for (int y = middle_top; y <= middle_bottom; ++y) {
        const double centre = s.x0 + (y - s.y0) * slope_x;
        emit(y, PixelSpan(centre - half_x, centre + half_x, width));
      }
    }
    for (int y = middle_bottom + 1; y <= bottom; ++y) emit(y, general_row(y));
  }
  return min_left <= max_right ? PixelRect{min_left, first_row, max_right + 1, last_row + 1} : none;
}

template <int Mode, class Vec>
struct SpanPainter {
  uint32_t* bits;
  int width;
  uint32_t pen;
  [[gnu::always_inline]] void operator()(int y, int left, int right) const {
    ApplySpan<Mode, Vec>(bits + static_cast<size_t>(y) * width + left, right - left + 1, pen);
  }
};

// Draws the capsule in the given mode; returns the rectangle it changed.
template <class Vec>
[[gnu::always_inline]] inline PixelRect FillCapsuleWith(uint32_t* bits, int width, int height,
                                                        int mode, const Segment& s, double r,
                                                        uint32_t pen) {
  PixelRect changed;
  WithMode(
      mode, [&](auto m) __attribute__((always_inline)) {
        changed = ForEachCapsuleSpan(s, r, width, height,
                                     SpanPainter<decltype(m)::value, Vec>{bits, width, pen});
      });
  return changed;
}

PixelRect FillCapsuleBaseline(uint32_t* bits, int width, int height, int mode, const Segment& s,
                              double r, uint32_t pen) {
  return FillCapsuleWith<Pixels4>(bits, width, height, mode, s, r, pen);
}

#if defined(__x86_64__)
// The same, built for processors with 256-bit integer vectors: wide strokes
// are mostly long spans, and these halve the work per pixel.
[[gnu::target("avx2")]] PixelRect FillCapsuleAvx2(uint32_t* bits, int width, int height, int mode,
                                                  const Segment& s, double r, uint32_t pen) {
  return FillCapsuleWith<Pixels8>(bits, width, height, mode, s, r, pen);
}
#endif

bool wide_vectors_allowed = true;

}  // namespace

PixelRect FillCapsule(uint32_t* bits, int width, int height, int mode, const Segment& s, double r,
                      uint32_t pen) {
#if defined(__x86_64__)
  static const bool has_avx2 = __builtin_cpu_supports("avx2");
  if (has_avx2 && wide_vectors_allowed)
    return FillCapsuleAvx2(bits, width, height, mode, s, r, pen);
#endif
  return FillCapsuleBaseline(bits, width, height, mode, s, r, pen);
}

}  // namespace kalo::raster

namespace kalo {

void Surface::AllowWideVectors(bool allow) { raster::wide_vectors_allowed = allow; }

}  // namespace kalo
