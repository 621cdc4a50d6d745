// The saver's persistent image and its three drawing operations.
//
// Pixel geometry: pixel (i, j) has its centre at the point (i, j), so a point
// maps to the pixel whose centre is nearest, (floor(x + 0.5), floor(y + 0.5)),
// and a pen of width w covers the pixels whose centres lie within w / 2 of the
// point or segment. With centres on whole numbers, a wide dot or line drawn at
// whole coordinates is centred on the very pixel a width-1 stroke would set,
// and odd widths come out symmetric (a width-3 dot is 3 x 3 pixels).
//
// Every stroke is first cut down to the part that can reach the buffer, then
// turned into horizontal spans (or, for width 1, a Bresenham walk), and each
// pixel of a span goes once through Combine, the one place that knows the
// raster modes. Shapes are convex, so no pixel is visited twice per call.
#include "surface/surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace kalo {
namespace {

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

// Floor and ceiling of values already known to lie well inside the int range.
inline int FloorInt(double v) {
  int i = static_cast<int>(v);
  return i > v ? i - 1 : i;
}
inline int CeilInt(double v) {
  int i = static_cast<int>(v);
  return i < v ? i + 1 : i;
}

struct Segment {
  double x0, y0, x1, y1;
};

// Cuts the segment down to its part inside [lo, hi] on both axes (Liang and
// Barsky). False when nothing is left. The ends must be of moderate size (see
// CutFarSegment); the results are held inside the box whatever rounding did.
bool ClipToBox(Segment& s, double xlo, double ylo, double xhi, double yhi) {
  const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  double t0 = 0, t1 = 1;
  // One edge: the part where p * t <= q stays.
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    const double t = q / p;
    if (p < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
    return true;
  };
  if (!edge(-dx, s.x0 - xlo) || !edge(dx, xhi - s.x0) || !edge(-dy, s.y0 - ylo) ||
      !edge(dy, yhi - s.y0))
    return false;
  Segment c = s;
  if (t0 > 0) {
    c.x0 = s.x0 + t0 * dx;
    c.y0 = s.y0 + t0 * dy;
  }
  if (t1 < 1) {
    c.x1 = s.x0 + t1 * dx;
    c.y1 = s.y0 + t1 * dy;
  }
  c.x0 = std::clamp(c.x0, xlo, xhi);
  c.x1 = std::clamp(c.x1, xlo, xhi);
  c.y0 = std::clamp(c.y0, ylo, yhi);
  c.y1 = std::clamp(c.y1, ylo, yhi);
  s = c;
  return true;
}

// Coordinates beyond this are far: such segments are first cut down to the
// square of this half-size around the origin, which holds any screen.
constexpr double kFar = 1 << 24;

// a * b - c * d without the cancellation of the plain formula (Kahan).
double DifferenceOfProducts(double a, double b, double c, double d) {
  const double cd = c * d;
  const double error = std::fma(-c, d, cd);
  return std::fma(a, b, -cd) + error;
}

// Cuts a segment with an end beyond kFar down to its part within kFar of the
// origin; false when nothing is left. The plain parametric cut loses the line
// when both ends are huge (a point at 1e300 plus a step of -1e300 keeps none
// of the digits that say where the line passes the screen), so this works in
// the line's normal form: its distance from the origin comes from the cross
// product of the two ends, formed exactly enough whatever their size, and
// positions along it from the unit direction. Coordinates are first scaled by
// a power of two, which is exact, so that no product overflows.
bool CutFarSegment(Segment& s) {
  const int e =
      std::ilogb(std::max({std::abs(s.x0), std::abs(s.y0), std::abs(s.x1), std::abs(s.y1)}));
  const double x0 = std::scalbn(s.x0, -e), y0 = std::scalbn(s.y0, -e);
  const double x1 = std::scalbn(s.x1, -e), y1 = std::scalbn(s.y1, -e);
  const double len = std::hypot(x1 - x0, y1 - y0);
  if (len == 0) return false;  // a single point, and that is far
  const double ux = (x1 - x0) / len, uy = (y1 - y0) / len;
  // The point of the line nearest the origin, and where along the line
  // (measured from it) the two ends lie.
  const double offset = std::scalbn(DifferenceOfProducts(x0, y1, y0, x1) / len, e);
  if (!(std::abs(offset) <= 2 * kFar)) return false;
  const double fx = offset * uy, fy = -offset * ux;
  double t0 = std::scalbn(x0 * ux + y0 * uy, e), t1 = std::scalbn(x1 * ux + y1 * uy, e);
  // Only the stretch within 2 kFar of that point can lie in the square.
  t0 = std::max(t0, -2 * kFar);
  t1 = std::min(t1, 2 * kFar);
  if (t0 > t1) return false;
  const bool start_near = std::max(std::abs(s.x0), std::abs(s.y0)) <= kFar;
  const bool end_near = std::max(std::abs(s.x1), std::abs(s.y1)) <= kFar;
  Segment c{fx + t0 * ux, fy + t0 * uy, fx + t1 * ux, fy + t1 * uy};
  // An end that was near stays exactly where it was.
  if (start_near) c.x0 = s.x0, c.y0 = s.y0;
  if (end_near) c.x1 = s.x1, c.y1 = s.y1;
  if (!ClipToBox(c, -kFar, -kFar, kFar, kFar)) return false;
  s = c;
  return true;
}

inline bool IsFar(const Segment& s) {
  return std::max({std::abs(s.x0), std::abs(s.y0), std::abs(s.x1), std::abs(s.y1)}) > kFar;
}

// The pixels of a width-1 line: Bresenham from the start pixel to the end
// pixel, the end pixel left out. Along the major axis pixel k (0 <= k < n)
// is offset floor((2 k m + n) / (2 n)) on the minor axis, m being the minor
// extent. Closed form lets a line from far outside start its walk at the
// first pixel inside the buffer instead of stepping up to it.
struct ThinWalk {
  int64_t n = 0, m = 0;            // major and minor extent, in pixels
  int64_t a0 = 0, b0 = 0;          // start pixel on the major and minor axis
  int64_t sa = 1, sb = 1;          // step directions
  int64_t a_size = 0, b_size = 0;  // buffer size along each axis
  bool x_major = true;
  int64_t first = 0, last = -1;  // the visible range of k

  ThinWalk(int64_t px0, int64_t py0, int64_t px1, int64_t py1, int width, int height) {
    const int64_t dx = px1 - px0, dy = py1 - py0;
    x_major = std::abs(dx) >= std::abs(dy);
    const int64_t da = x_major ? dx : dy, db = x_major ? dy : dx;
    n = std::abs(da);
    m = std::abs(db);
    a0 = x_major ? px0 : py0;
    b0 = x_major ? py0 : px0;
    sa = da < 0 ? -1 : 1;
    sb = db < 0 ? -1 : 1;
    a_size = x_major ? width : height;
    b_size = x_major ? height : width;
    if (n == 0) return;

    // Major axis: a0 + sa k within [0, a_size).
    first = 0;
    last = n - 1;
    if (sa > 0) {
      first = std::max(first, -a0);
      last = std::min(last, a_size - 1 - a0);
    } else {
      first = std::max(first, a0 - (a_size - 1));
      last = std::min(last, a0);
    }
    // Minor axis: the offset q_k must lie in [qlo, qhi].
    const int64_t qlo = sb > 0 ? -b0 : b0 - (b_size - 1);
    const int64_t qhi = sb > 0 ? b_size - 1 - b0 : b0;
    if (qhi < 0) {
      last = -1;
      return;
    }
    if (qlo > 0) {
      if (m == 0) {
        last = -1;
        return;
      }
      // q_k >= qlo  <=>  2 k m >= (2 qlo - 1) n
      first = std::max(first, CeilDiv((2 * qlo - 1) * n, 2 * m));
    }
    // q_k <= qhi  <=>  2 k m < (2 qhi + 1) n
    if (m > 0) last = std::min(last, CeilDiv((2 * qhi + 1) * n, 2 * m) - 1);
  }

  static int64_t CeilDiv(int64_t a, int64_t b) { return (a + b - 1) / b; }  // a, b > 0

  bool empty() const { return first > last; }
  int64_t Minor(int64_t k) const { return (2 * k * m + n) / (2 * n); }
  int64_t X(int64_t k) const { return x_major ? a0 + sa * k : b0 + sb * Minor(k); }
  int64_t Y(int64_t k) const { return x_major ? b0 + sb * Minor(k) : a0 + sa * k; }
};

template <int Mode>
void WalkThin(const ThinWalk& w, uint32_t* bits, int64_t width, uint32_t pen) {
  const int64_t major_step = w.x_major ? w.sa : w.sa * width;
  const int64_t minor_step = w.x_major ? w.sb * width : w.sb;
  const int64_t two_n = 2 * w.n, two_m = 2 * w.m;
  int64_t rem = (2 * w.first * w.m + w.n) % two_n;
  uint32_t* p = bits + w.Y(w.first) * width + w.X(w.first);
  for (int64_t k = w.first; k <= w.last; ++k) {
    ApplyPixel<Mode>(p, pen);
    p += major_step;
    rem += two_m;
    // Branch-free: whether the minor axis steps follows no pattern a
    // predictor could learn.
    const bool step = rem >= two_n;
    rem -= step ? two_n : 0;
    p += step ? minor_step : 0;
  }
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

PixelRect FillCapsule(uint32_t* bits, int width, int height, int mode, const Segment& s, double r,
                      uint32_t pen) {
#if defined(__x86_64__)
  static const bool has_avx2 = __builtin_cpu_supports("avx2");
  if (has_avx2 && wide_vectors_allowed)
    return FillCapsuleAvx2(bits, width, height, mode, s, r, pen);
#endif
  return FillCapsuleBaseline(bits, width, height, mode, s, r, pen);
}

inline int64_t ToPixelIndex(double v) { return static_cast<int64_t>(std::floor(v + 0.5)); }

}  // namespace

PictureSize FitPicture(int width, int height, double* scale) {
  const int w = std::max(1, width), h = std::max(1, height);
  const double bytes = 4.0 * w * h;
  double s = std::min({1.0, static_cast<double>(kMaxPictureSide) / w,
                       static_cast<double>(kMaxPictureSide) / h,
                       std::sqrt(static_cast<double>(kMaxPictureBytes) / bytes)});
  if (scale) *scale = s;
  if (s >= 1.0) return {w, h};
  return {std::max(1, static_cast<int>(w * s)), std::max(1, static_cast<int>(h * s))};
}

namespace {

bool WithinLimit(int width, int height) {
  return width <= kMaxPictureSide && height <= kMaxPictureSide &&
         int64_t{4} * width * height <= kMaxPictureBytes;
}

}  // namespace

Surface::Surface(int width, int height) { Resize(width, height); }

void Surface::Resize(int width, int height) { Reshape(width, height, background_, false); }

void Surface::ResizeKeeping(int width, int height, Long fill) {
  Reshape(width, height, ToPixel(fill), true);
}

void Surface::Reshape(int width, int height, uint32_t fill, bool keep) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (!WithinLimit(width, height)) throw std::bad_alloc();
  // The new pixels are had before anything changes, so that a failure
  // leaves the surface whole.
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height + kSparePixels, fill);
  const int keep_h = keep ? std::min(height, height_) : 0, keep_w = std::min(width, width_);
  for (int y = 0; y < keep_h; ++y)
    std::copy_n(pixels_.data() + static_cast<size_t>(y) * width_, keep_w,
                pixels.data() + static_cast<size_t>(y) * width);
  pixels_.swap(pixels);
  width_ = width;
  height_ = height;
  dirty_ = PixelRect{0, 0, width_, height_};
}

void Surface::SetDrawWidth(int width) { draw_width_ = std::max(1, width); }

void Surface::SetDrawMode(int mode) { draw_mode_ = mode >= 1 && mode <= 16 ? mode : 13; }

uint32_t Surface::ToPixel(Long colour) {
  const uint32_t c = static_cast<uint32_t>(colour);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

Long Surface::ToColour(uint32_t pixel) {
  return static_cast<Long>(((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16));
}

void Surface::Clear(Long colour) {
  background_ = ToPixel(colour);
  std::fill(pixels_.begin(), pixels_.end(), background_);
  dirty_ = PixelRect{0, 0, width_, height_};
}

void Surface::AllowWideVectors(bool allow) { wide_vectors_allowed = allow; }

PixelRect Surface::TakeDirty() {
  const PixelRect taken = dirty_;
  dirty_ = PixelRect{};
  return taken;
}

void Surface::GrowDirty(const PixelRect& changed) {
  if (changed.empty()) return;
  if (dirty_.empty()) {
    dirty_ = changed;
    return;
  }
  dirty_.left = std::min(dirty_.left, changed.left);
  dirty_.top = std::min(dirty_.top, changed.top);
  dirty_.right = std::max(dirty_.right, changed.right);
  dirty_.bottom = std::max(dirty_.bottom, changed.bottom);
}

void Surface::Line(double x1, double y1, double x2, double y2, Long colour) {
  if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
  if (width_ == 0 || height_ == 0 || draw_mode_ == 11) return;
  const uint32_t pen = ToPixel(colour);
  Segment s{x1, y1, x2, y2};
  if (IsFar(s) && !CutFarSegment(s)) return;

  if (draw_width_ >= 2) {
    // Only the part of the segment within the pen's radius of the buffer can
    // colour a pixel; the rest is cut away before any row is looked at.
    const double r = draw_width_ / 2.0;
    if (!ClipToBox(s, -r - 1, -r - 1, width_ + r, height_ + r)) return;
    GrowDirty(FillCapsule(pixels_.data(), width_, height_, draw_mode_, s, r, pen));
    return;
  }

  const int64_t px0 = ToPixelIndex(s.x0), py0 = ToPixelIndex(s.y0);
  const int64_t px1 = ToPixelIndex(s.x1), py1 = ToPixelIndex(s.y1);
  // Both ends on one pixel: the start pixel is the end pixel, so nothing.
  if (px0 == px1 && py0 == py1) return;

  // Horizontal: one span from the start pixel up to, not including, the end.
  if (py0 == py1) {
    if (py0 < 0 || py0 >= height_) return;
    const int64_t left = std::max<int64_t>(0, px0 < px1 ? px0 : px1 + 1);
    const int64_t right = std::min<int64_t>(width_ - 1, px0 < px1 ? px1 - 1 : px0);
    if (left > right) return;
    uint32_t* row = pixels_.data() + py0 * width_;
    WithMode(draw_mode_, [&](auto mode) {
      ApplySpan<decltype(mode)::value, Pixels4>(row + left, static_cast<int>(right - left + 1),
                                                pen);
    });
    GrowDirty(PixelRect{static_cast<int>(left), static_cast<int>(py0), static_cast<int>(right + 1),
                        static_cast<int>(py0 + 1)});
    return;
  }

  const ThinWalk walk(px0, py0, px1, py1, width_, height_);
  if (walk.empty()) return;
  WithMode(draw_mode_,
           [&](auto mode) { WalkThin<decltype(mode)::value>(walk, pixels_.data(), width_, pen); });
  const int64_t xa = walk.X(walk.first), xb = walk.X(walk.last);
  const int64_t ya = walk.Y(walk.first), yb = walk.Y(walk.last);
  GrowDirty(PixelRect{static_cast<int>(std::min(xa, xb)), static_cast<int>(std::min(ya, yb)),
                      static_cast<int>(std::max(xa, xb) + 1),
                      static_cast<int>(std::max(ya, yb) + 1)});
}

void Surface::PSet(double x, double y, Long colour) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (width_ == 0 || height_ == 0 || draw_mode_ == 11) return;
  const uint32_t pen = ToPixel(colour);

  // Width 1: the one pixel nearest the point.
  if (draw_width_ <= 1) {
    if (x < -0.5 || y < -0.5 || x >= width_ - 0.5 || y >= height_ - 0.5) return;
    const int px = static_cast<int>(std::floor(x + 0.5)),
              py = static_cast<int>(std::floor(y + 0.5));
    uint32_t* p = pixels_.data() + static_cast<size_t>(py) * width_ + px;
    WithMode(draw_mode_, [&](auto mode) { ApplyPixel<decltype(mode)::value>(p, pen); });
    GrowDirty(PixelRect{px, py, px + 1, py + 1});
    return;
  }

  const double r = draw_width_ / 2.0;
  if (x < -r - 1 || y < -r - 1 || x > width_ + r || y > height_ + r) return;
  GrowDirty(FillCapsule(pixels_.data(), width_, height_, draw_mode_, Segment{x, y, x, y}, r, pen));
}

}  // namespace kalo
