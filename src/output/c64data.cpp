#include "output/c64data.hpp"

#include "colour/geometry.hpp"

namespace peltrix {

namespace {

// Assembles one region of one frame: rows firstRow .. firstRow + rowCount - 1 of cell
// (cx, cy). Writes the region's screen byte and its bitmap bits (the bitmap bytes of those
// rows must be zero on entry): the first pixel's colour is the high nibble with set bits,
// the other colour (black when the region has one colour only) the low nibble.
void assembleRegion(const engine::IndexPlane& frame, int cx, int cy, int firstRow, int rowCount,
                    uint8_t& screenByte, uint8_t* cellBitmap) {
  const int x0 = cx * 8;
  const int y0 = cy * 8 + firstRow;
  const uint8_t first = frame.at(x0, y0);
  uint8_t second = 0;
  for (int r = 0; r < rowCount; ++r) {
    for (int c = 0; c < 8; ++c) {
      const uint8_t v = frame.at(x0 + c, y0 + r);
      if (v != first) second = v;
    }
  }
  screenByte = static_cast<uint8_t>((first & 0x0F) * 16 + (second & 0x0F));
  for (int r = 0; r < rowCount; ++r) {
    uint8_t bits = 0;
    for (int c = 0; c < 8; ++c) {
      if (frame.at(x0 + c, y0 + r) == first) bits |= static_cast<uint8_t>(0x80 >> c);
    }
    cellBitmap[firstRow + r] = bits;
  }
}

}  // namespace

std::vector<uint8_t> assembleC64Data(const engine::FramePlanes& planes, DataForm form) {
  std::vector<uint8_t> out(static_cast<size_t>(dataSize(form)), 0);
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
          assembleRegion(planes.frames[f], cx, cy, 0, 8, frameBlock[cell], cellBitmap);
          continue;
        }
        for (int b = 0; b < 4; ++b) {
          assembleRegion(planes.frames[f], cx, cy, 2 * b, 2, frameBlock[kFliScreenOffset[b] + cell],
                         cellBitmap);
        }
      }
    }
  }
  return out;
}

}  // namespace peltrix
