#include "output/c64data.hpp"

#include <algorithm>
#include <cassert>

#include "colour/rgb.hpp"
#include "colour/tables.hpp"

namespace peltrix {

namespace {

// C64 colour index of a frame picture's RGB value. Frame pictures hold palette colours
// only; anything else (never produced by the engine) is written as black rather than as an
// index that would spill into the neighbouring nibble.
int colourIndex(uint32_t rgb, const Palette& palette) {
  const int index = paletteIndex(rgb, palette);
  return index < 0 ? 0 : index;
}

// Assembles one region of one frame: rows firstRow .. firstRow + rowCount - 1 of cell
// (cx, cy). Writes the region's screen byte and its bitmap bits (the bitmap bytes of those
// rows must be zero on entry).
void assembleRegion(const PixelPlane& frame, const Palette& palette, int cx, int cy, int firstRow,
                    int rowCount, uint8_t& screenByte, uint8_t* cellBitmap) {
  const int x0 = cx * 8;
  const int y0 = cy * 8 + firstRow;
  const uint32_t first = frame.at(x0, y0);
  uint32_t second = 0;  // black when the region has one colour only
  for (int r = 0; r < rowCount; ++r) {
    for (int c = 0; c < 8; ++c) {
      const uint32_t v = frame.at(x0 + c, y0 + r);
      if (v != first) second = v;
    }
  }
  screenByte =
      static_cast<uint8_t>(colourIndex(first, palette) * 16 + colourIndex(second, palette));
  for (int r = 0; r < rowCount; ++r) {
    uint8_t bits = 0;
    for (int c = 0; c < 8; ++c) {
      if (frame.at(x0 + c, y0 + r) == first) bits |= static_cast<uint8_t>(0x80 >> c);
    }
    cellBitmap[firstRow + r] = bits;
  }
}

}  // namespace

void assembleC64Data(const PreviewArrays& pictures, DataForm form, std::span<uint8_t> out,
                     const Palette& palette) {
  const int size = dataSize(form);
  assert(out.size() >= static_cast<size_t>(size));
  std::fill(out.begin(), out.begin() + size, uint8_t{0});
  const bool fli = form == DataForm::Fli;
  const int block = fli ? kFliFrameBlock : kNonFliFrameBlock;
  const int bitmapOffset = fli ? 0x1000 : 0x400;
  for (int f = 0; f < 3; ++f) {
    uint8_t* frameBlock = out.data() + f * block;
    for (int cy = 0; cy < kCellRows; ++cy) {
      for (int cx = 0; cx < kCellColumns; ++cx) {
        const int cell = cy * kCellColumns + cx;
        uint8_t* cellBitmap = frameBlock + bitmapOffset + cy * 320 + cx * 8;
        if (!fli) {
          assembleRegion(pictures.frames[f], palette, cx, cy, 0, 8, frameBlock[cell], cellBitmap);
          continue;
        }
        for (int b = 0; b < 4; ++b) {
          assembleRegion(pictures.frames[f], palette, cx, cy, 2 * b, 2,
                         frameBlock[kFliScreenOffset[b] + cell], cellBitmap);
        }
      }
    }
  }
}

}  // namespace peltrix
