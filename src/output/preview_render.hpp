// Cell render and band render: copy a worker's cell buffer set (RGB values) into the four
// preview arrays. Each worker renders only the cells it converts.
#pragma once

#include "engine/search.hpp"
#include "output/preview_arrays.hpp"

namespace peltrix {

// All 8 rows of cell (cx, cy): blend buffer -> blend picture, frame f buffer -> frame f
// picture, bits 24-31 of each value dropped.
void renderCell(PreviewArrays& pictures, int cx, int cy, const engine::CellBuffers& cell);

// Rows bandStart and bandStart + 1 (bandStart 0, 2, 4 or 6) of cell (cx, cy) only; the
// cell's other rows keep what they hold.
void renderBand(PreviewArrays& pictures, int cx, int cy, int bandStart,
                const engine::CellBuffers& cell);

}  // namespace peltrix
