// How the picture reaches a window that a screen-saver host gives us: which
// size the designs are drawn at, how a settings preview shrinks the screen's
// picture into a small window, and how pixels are laid out for the window's
// visual. No Qt and no X here, so each rule can be checked on its own.
#pragma once

#include <cstdint>
#include <vector>

#include "surface/surface.h"

namespace kalo {

// Windows smaller than this (either side) are the hosts' settings previews.
inline constexpr int kPreviewWidth = 640;
inline constexpr int kPreviewHeight = 480;

// Where the designs are drawn and where their picture stands in the window.
struct HostView {
  int surface_width = 1, surface_height = 1;  // what the designs are drawn on
  bool scaled = false;                        // shown shrunk, as a preview
  // The picture's place in the window; the rest shows the background.
  int left = 0, top = 0, width = 1, height = 1;
};

// A full-size window is drawn in at its own size, or at the largest picture
// of its shape within the picture limit, centred. A preview is drawn at the
// screen's size (within the same limit) and shown shrunk, so that a design
// looks as it would on the screen: one scale for both axes (circles stay
// round), centred.
HostView ChooseHostView(int window_width, int window_height, int screen_width, int screen_height);

// Shrinks a picture by averaging each destination pixel's block of source
// pixels, so that thin lines fade instead of flickering in and out.
class Downscaler {
 public:
  void SetSizes(int source_width, int source_height, int width, int height);
  // The destination pixels that take a part of `source`.
  PixelRect Covering(const PixelRect& source) const;
  // Computes the pixels of `target` (destination coordinates) from `source`
  // (0x00RRGGBB, `source_stride` pixels a row) into `out`, row after row.
  void Scale(const uint32_t* source, int source_stride, const PixelRect& target,
             uint32_t* out) const;

 private:
  // Where each destination column's and row's block starts, and one past the
  // last block's end.
  std::vector<int> columns_, rows_;
};

// A window's pixel layout as the X server reports it: the bits a pixel takes
// in an image, the colour masks of the window's visual, its depth, and
// whether image bytes come most significant first.
struct PixelLayout {
  int bits_per_pixel = 32;
  int depth = 24;
  uint32_t red_mask = 0xFF0000, green_mask = 0xFF00, blue_mask = 0xFF;
  bool msb_first = false;
  int scanline_pad = 32;  // bits a row is padded to
};

// Packs 0x00RRGGBB pixels into a window's layout. Depth bits outside the
// colour masks (the alpha of a 32-bit visual) are set, so the picture shows
// opaque.
class PixelPacker {
 public:
  // Whether pictures can be packed for `layout`: 16, 24 or 32 bits a pixel,
  // and three masks of contiguous bits that fit the depth.
  static bool Supports(const PixelLayout& layout);

  explicit PixelPacker(const PixelLayout& layout);
  // Bytes one row of `pixels` takes, padded.
  int RowBytes(int pixels) const;
  // One pixel as the window's value.
  uint32_t Value(uint32_t rgb) const;
  // Packs `count` pixels at `out`.
  void Pack(const uint32_t* rgb, int count, uint8_t* out) const;

 private:
  struct Channel {
    int shift = 0;
    uint32_t max = 0;
  };
  PixelLayout layout_;
  Channel red_, green_, blue_;
  uint32_t extra_ = 0;  // depth bits set in every pixel
  bool plain_ = false;  // already the window's layout, save the extra bits
};

}  // namespace kalo
