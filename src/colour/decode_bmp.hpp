// What the BMP reader learns from the headers, shared by its uncompressed and RLE parts.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace peltrix {

class Canvas;
class PictureBytes;

struct BmpLayout {
  uint32_t width = 0;    // 1 .. 2^31 - 1
  uint32_t height = 0;   // 1 .. 2^31 - 1, without the sign
  bool topDown = false;  // a negative height in the header
  unsigned bitsPerPixel = 0;
  uint64_t pixelOffset = 0;       // where the pixel data starts in the file
  std::vector<uint32_t> palette;  // RGB values; an index past its end is black
};

// Decodes RLE8 (bitsPerPixel 8) or RLE4 (4) data into the opened `canvas`. Pixels the
// stream skips stay as they are (black). Throws PictureLoadError.
void decodeBmpRle(PictureBytes& bytes, const BmpLayout& layout, Canvas& canvas,
                  const std::string& name);

}  // namespace peltrix
