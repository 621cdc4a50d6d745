// The persistent image of the saver window: a width x height buffer of 32-bit
// pixels (0x00RRGGBB, the memory order of QImage::Format_RGB32) that every
// stroke is drawn into, with the sixteen raster modes, round pen widths,
// clipping of any finite coordinate, and a dirty rectangle that the window
// pushes to the screen at its next yield. No Qt here.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/basic_types.h"

namespace kalo {

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  bool empty() const { return right <= left || bottom <= top; }
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// The smallest rectangle holding both; an empty one adds nothing.
inline PixelRect Unite(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

// The largest picture the saver draws, whatever the size of the window or
// screen it is drawn for: 16384 pixels a side and 256 MiB of pixels. A larger
// window gets a picture of this size, so that no window a host or a screen
// hands over can make the saver take memory without bound.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr int64_t kMaxPictureBytes = int64_t{256} << 20;

struct PictureSize {
  int width = 1, height = 1;
};

// The largest picture within the limit with the shape of a width x height
// one: both sides shrunk by one factor (`scale`, at most 1), rounded down,
// at least 1 pixel. Sizes within the limit come back as they are.
PictureSize FitPicture(int width, int height, double* scale = nullptr);

class Surface {
 public:
  // Both throw std::bad_alloc for a picture beyond the limit, as for one the
  // memory cannot hold; a surface that cannot be resized stays as it was.
  Surface(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  // Resizes (contents are cleared to the background colour, i.e. the colour of
  // the last Clear, black before any).
  void Resize(int width, int height);
  // Resizes keeping what is drawn at its place from the top left corner; the
  // part that is new takes `fill`.
  void ResizeKeeping(int width, int height, Long fill);

  // Pen state used by Line and PSet.
  void SetDrawWidth(int width);  // below 1 counts as 1
  int drawWidth() const { return draw_width_; }
  void SetDrawMode(int mode);  // 1..16; anything else counts as 13 (copy)
  int drawMode() const { return draw_mode_; }

  // Colours are Longs with red in the low byte, as everywhere in the saver.
  void Line(double x1, double y1, double x2, double y2, Long colour);
  void PSet(double x, double y, Long colour);
  void Clear(Long colour);

  // The pixels, row after row, width() pixels a row with no padding.
  uint32_t* bits() { return pixels_.data(); }
  const uint32_t* bits() const { return pixels_.data(); }
  uint32_t pixel(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

  // Everything changed since the last TakeDirty, and resets it.
  PixelRect TakeDirty();
  const PixelRect& dirty() const { return dirty_; }

  // Wide strokes use 256-bit vectors where the processor has them; tests turn
  // that off to check the baseline code as well. Applies to every surface.
  static void AllowWideVectors(bool allow);

  // A Long colour (red low) as a pixel value (red in bits 16..23), and back.
  static uint32_t ToPixel(Long colour);
  static Long ToColour(uint32_t pixel);

 private:
  int width_ = 0, height_ = 0;
  int draw_width_ = 1;
  int draw_mode_ = 13;
  std::vector<uint32_t> pixels_;
  PixelRect dirty_;
  uint32_t background_ = 0;  // the pixel of the last Clear, which Resize fills with

  void GrowDirty(const PixelRect& changed);
  // The new size filled with `fill`, the old pixels kept from the top left
  // when `keep` is set; throws std::bad_alloc, leaving all as it was.
  void Reshape(int width, int height, uint32_t fill, bool keep);
};

}  // namespace kalo
