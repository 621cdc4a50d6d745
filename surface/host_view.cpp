#include "surface/host_view.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace kalo {

HostView ChooseHostView(int window_width, int window_height, int screen_width, int screen_height) {
  HostView v;
  const int w = std::max(1, window_width), h = std::max(1, window_height);
  const bool small = w < kPreviewWidth || h < kPreviewHeight;
  // A screen no larger than the window has nothing to shrink.
  if (!small || screen_width <= w || screen_height <= h) {
    // A window beyond the picture limit shows the largest picture of its
    // shape at its centre, with sharp strokes; the rest of the window shows
    // the background, which the picture's own background runs into unseen.
    const PictureSize picture = FitPicture(w, h);
    v.surface_width = v.width = picture.width;
    v.surface_height = v.height = picture.height;
  } else {
    // A screen beyond the limit is drawn at the limit: shrunk to the window
    // anyway, it looks the same.
    const PictureSize screen = FitPicture(screen_width, screen_height);
    const double scale =
        std::min(static_cast<double>(w) / screen.width, static_cast<double>(h) / screen.height);
    v.scaled = true;
    v.surface_width = screen.width;
    v.surface_height = screen.height;
    v.width = std::clamp(static_cast<int>(std::lround(screen.width * scale)), 1, w);
    v.height = std::clamp(static_cast<int>(std::lround(screen.height * scale)), 1, h);
  }
  v.left = (w - v.width) / 2;
  v.top = (h - v.height) / 2;
  return v;
}

namespace {

// Block starts for `to` blocks over `from` pixels: every source pixel falls
// in exactly one block, and no block is empty while to <= from.
std::vector<int> Blocks(int from, int to) {
  std::vector<int> starts(static_cast<size_t>(to) + 1);
  for (int d = 0; d <= to; ++d) starts[d] = static_cast<int>(static_cast<int64_t>(d) * from / to);
  return starts;
}

// The blocks [first, last) that hold any of the source pixels [lo, hi).
void BlockRange(const std::vector<int>& starts, int lo, int hi, int& first, int& last) {
  const int blocks = static_cast<int>(starts.size()) - 1;
  first = static_cast<int>(std::upper_bound(starts.begin(), starts.end(), lo) - starts.begin()) - 1;
  last = static_cast<int>(std::lower_bound(starts.begin(), starts.end(), hi) - starts.begin());
  first = std::clamp(first, 0, blocks);
  last = std::clamp(last, first, blocks);
}

}  // namespace

void Downscaler::SetSizes(int source_width, int source_height, int width, int height) {
  columns_ = Blocks(source_width, std::max(1, width));
  rows_ = Blocks(source_height, std::max(1, height));
}

PixelRect Downscaler::Covering(const PixelRect& source) const {
  PixelRect r;
  if (source.empty() || columns_.empty()) return r;
  BlockRange(columns_, source.left, source.right, r.left, r.right);
  BlockRange(rows_, source.top, source.bottom, r.top, r.bottom);
  return r;
}

void Downscaler::Scale(const uint32_t* source, int source_stride, const PixelRect& target,
                       uint32_t* out) const {
  for (int y = target.top; y < target.bottom; ++y) {
    const int y0 = rows_[y], y1 = std::max(rows_[y + 1], y0 + 1);
    for (int x = target.left; x < target.right; ++x) {
      const int x0 = columns_[x], x1 = std::max(columns_[x + 1], x0 + 1);
      uint32_t r = 0, g = 0, b = 0;
      for (int sy = y0; sy < y1; ++sy) {
        const uint32_t* p = source + static_cast<size_t>(sy) * source_stride;
        for (int sx = x0; sx < x1; ++sx) {
          const uint32_t c = p[sx];
          r += (c >> 16) & 0xFF;
          g += (c >> 8) & 0xFF;
          b += c & 0xFF;
        }
      }
      const uint32_t n = static_cast<uint32_t>((y1 - y0) * (x1 - x0));
      *out++ = (((r + n / 2) / n) << 16) | (((g + n / 2) / n) << 8) | ((b + n / 2) / n);
    }
  }
}

namespace {

bool Contiguous(uint32_t mask) {
  if (mask == 0) return false;
  const uint32_t low = mask >> std::countr_zero(mask);
  return (low & (low + 1)) == 0;
}

}  // namespace

bool PixelPacker::Supports(const PixelLayout& l) {
  if (l.bits_per_pixel != 16 && l.bits_per_pixel != 24 && l.bits_per_pixel != 32) return false;
  if (l.depth < 1 || l.depth > l.bits_per_pixel) return false;
  const uint32_t depth_bits = l.depth >= 32 ? 0xFFFFFFFFu : (1u << l.depth) - 1;
  for (uint32_t m : {l.red_mask, l.green_mask, l.blue_mask}) {
    if (!Contiguous(m) || (m & ~depth_bits) != 0) return false;
  }
  return (l.red_mask & l.green_mask) == 0 && (l.red_mask & l.blue_mask) == 0 &&
         (l.green_mask & l.blue_mask) == 0 &&
         (l.scanline_pad == 8 || l.scanline_pad == 16 || l.scanline_pad == 32);
}

PixelPacker::PixelPacker(const PixelLayout& layout) : layout_(layout) {
  auto channel = [](uint32_t mask) {
    return Channel{std::countr_zero(mask), mask >> std::countr_zero(mask)};
  };
  red_ = channel(layout.red_mask);
  green_ = channel(layout.green_mask);
  blue_ = channel(layout.blue_mask);
  const uint32_t depth_bits = layout.depth >= 32 ? 0xFFFFFFFFu : (1u << layout.depth) - 1;
  extra_ = depth_bits & ~(layout.red_mask | layout.green_mask | layout.blue_mask);
  plain_ = layout.bits_per_pixel == 32 && !layout.msb_first && layout.red_mask == 0xFF0000 &&
           layout.green_mask == 0xFF00 && layout.blue_mask == 0xFF;
}

int PixelPacker::RowBytes(int pixels) const {
  const int64_t bits = static_cast<int64_t>(pixels) * layout_.bits_per_pixel;
  const int pad = layout_.scanline_pad;
  return static_cast<int>((bits + pad - 1) / pad * pad / 8);
}

uint32_t PixelPacker::Value(uint32_t rgb) const {
  if (plain_) return (rgb & 0xFFFFFF) | extra_;
  // Channels narrower or wider than eight bits are scaled, so full
  // brightness stays full brightness.
  auto put = [](uint32_t c, const Channel& ch) { return ((c * ch.max + 127) / 255) << ch.shift; };
  return put((rgb >> 16) & 0xFF, red_) | put((rgb >> 8) & 0xFF, green_) | put(rgb & 0xFF, blue_) |
         extra_;
}

void PixelPacker::Pack(const uint32_t* rgb, int count, uint8_t* out) const {
  if (plain_) {
    if (extra_ == 0) {
      std::memcpy(out, rgb, static_cast<size_t>(count) * 4);
      return;
    }
    for (int i = 0; i < count; ++i) {
      const uint32_t v = (rgb[i] & 0xFFFFFF) | extra_;
      std::memcpy(out + 4 * i, &v, 4);
    }
    return;
  }
  const int bytes = layout_.bits_per_pixel / 8;
  for (int i = 0; i < count; ++i) {
    const uint32_t v = Value(rgb[i]);
    for (int k = 0; k < bytes; ++k) {
      const int shift = layout_.msb_first ? 8 * (bytes - 1 - k) : 8 * k;
      *out++ = static_cast<uint8_t>(v >> shift);
    }
  }
}

}  // namespace kalo
