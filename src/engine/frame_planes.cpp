#include "engine/frame_planes.hpp"

#include "engine/search.hpp"

namespace peltrix::engine {

void FramePlanes::storeRows(int cx, int cy, int firstRow, int rowCount, const CellBuffers& cell) {
  for (int row = firstRow; row < firstRow + rowCount; ++row) {
    const int pixelRow = (cy * 8 + row) * kWidth + cx * 8;
    for (int col = 0; col < 8; ++col) {
      for (int f = 0; f < 3; ++f) frames[f].store(pixelRow + col, cell.frames[f][row * 8 + col]);
    }
  }
}

}  // namespace peltrix::engine
