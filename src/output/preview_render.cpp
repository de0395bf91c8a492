#include "output/preview_render.hpp"

#include "colour/rgb.hpp"

namespace peltrix {

namespace {

constexpr uint32_t kRgbBits = 0xFFFFFF;  // bits 24-31 are not part of a colour

// Rows outer, columns inner, all four pictures of a pixel before the next pixel.
void renderRows(PreviewArrays& pictures, int cx, int cy, int firstRow, int rowCount,
                const engine::CellBuffers& cell) {
  for (int row = firstRow; row < firstRow + rowCount; ++row) {
    const int pixelRow = (cy * 8 + row) * kWidth + cx * 8;
    for (int col = 0; col < 8; ++col) {
      const int i = row * 8 + col;
      pictures.blend.store(pixelRow + col, cell.blend[i] & kRgbBits);
      for (int f = 0; f < 3; ++f) {
        pictures.frames[f].store(pixelRow + col, cell.frames[f][i] & kRgbBits);
      }
    }
  }
}

}  // namespace

void renderCell(PreviewArrays& pictures, int cx, int cy, const engine::CellBuffers& cell) {
  renderRows(pictures, cx, cy, 0, 8, cell);
}

void renderBand(PreviewArrays& pictures, int cx, int cy, int bandStart,
                const engine::CellBuffers& cell) {
  renderRows(pictures, cx, cy, bandStart, 2, cell);
}

}  // namespace peltrix
