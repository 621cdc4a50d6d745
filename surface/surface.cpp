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
#include <new>
#include <utility>

#include "surface/raster.h"

namespace kalo {

// The surface's own files share what the strokes are built from.
using namespace raster;

namespace {

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

inline int64_t ToPixelIndex(double v) { return static_cast<int64_t>(std::floor(v + 0.5)); }

bool WithinLimit(int width, int height) {
  return width <= kMaxPictureSide && height <= kMaxPictureSide &&
         int64_t{4} * width * height <= kMaxPictureBytes;
}

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

PixelRect Surface::TakeDirty() {
  const PixelRect taken = dirty_;
  dirty_ = PixelRect{};
  return taken;
}

void Surface::GrowDirty(const PixelRect& changed) { dirty_ = Unite(dirty_, changed); }

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
