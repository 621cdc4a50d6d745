// The saver window's persistent image written as a 24-bit Windows bitmap.
// Only the drawn pixels go into it, never the controls over the window.
#pragma once

#include <cstdint>
#include <string>

#include "surface/surface.h"

namespace kalo {

// pixels: width x height values 0x00RRGGBB, row after row without padding.
// Written through a temporary file and a rename; returns "" on success,
// otherwise the message for the user (see FileErrorMessage).
std::string SaveBitmapFile(const uint32_t* pixels, int width, int height, const std::string& path);

inline std::string SaveBitmapFile(const Surface& surface, const std::string& path) {
  return SaveBitmapFile(surface.bits(), surface.width(), surface.height(), path);
}

}  // namespace kalo
