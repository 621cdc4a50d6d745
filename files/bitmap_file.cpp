#include "files/bitmap_file.h"

#include <cerrno>
#include <limits>
#include <new>
#include <string_view>

#include "files/file_error.h"
#include "files/whole_file.h"

namespace kalo {
namespace {

// The file header and the 40-byte information header that follows it.
constexpr std::uint64_t kHeadersSize = 14 + 40;
// 96 dots an inch, what the saver's bitmaps have always been stamped with.
constexpr std::uint32_t kDotsPerMeter = 3780;

void PutLittleEndian(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Headers(int width, int height, std::uint64_t image_size) {
  std::string h = "BM";
  PutLittleEndian(h, kHeadersSize + image_size, 4);
  PutLittleEndian(h, 0, 4);  // reserved
  PutLittleEndian(h, kHeadersSize, 4);
  PutLittleEndian(h, 40, 4);
  PutLittleEndian(h, static_cast<std::uint64_t>(width), 4);
  PutLittleEndian(h, static_cast<std::uint64_t>(height), 4);  // positive: bottom row first
  PutLittleEndian(h, 1, 2);                                   // planes
  PutLittleEndian(h, 24, 2);                                  // bits a pixel
  PutLittleEndian(h, 0, 4);                                   // no compression
  PutLittleEndian(h, image_size, 4);
  PutLittleEndian(h, kDotsPerMeter, 4);
  PutLittleEndian(h, kDotsPerMeter, 4);
  PutLittleEndian(h, 0, 4);  // colours used: none, there is no palette
  PutLittleEndian(h, 0, 4);  // colours important
  return h;
}

}  // namespace

std::string SaveBitmapFile(const uint32_t* pixels, int width, int height, const std::string& path) {
  if (pixels == nullptr || width <= 0 || height <= 0) return FileErrorMessage(EINVAL);
  // Three bytes a pixel, blue first; each row padded to a multiple of four.
  const std::uint64_t row_size = (static_cast<std::uint64_t>(width) * 3 + 3) / 4 * 4;
  const std::uint64_t image_size = row_size * static_cast<std::uint64_t>(height);
  // The headers hold sizes in 32 bits; a bigger image has no bitmap file.
  if (kHeadersSize + image_size > std::numeric_limits<std::uint32_t>::max())
    return FileErrorMessage(EFBIG);

  // Written a row at a time straight from the surface, so that saving needs
  // no copy of the picture, however little memory is left.
  const auto produce = [&](const FilePieceSink& sink) {
    if (const int error = sink(Headers(width, height, image_size))) return error;
    std::string row(row_size, '\0');
    for (int y = height - 1; y >= 0; --y) {
      const uint32_t* from = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<char>(from[x] & 0xFF);
        row[3 * x + 1] = static_cast<char>((from[x] >> 8) & 0xFF);
        row[3 * x + 2] = static_cast<char>((from[x] >> 16) & 0xFF);
      }
      if (const int error = sink(row)) return error;
    }
    return 0;
  };
  const int error = WriteWholeFile(path, kHeadersSize + image_size, produce);
  return error ? FileErrorMessage(error, path) : "";
}

}  // namespace kalo
