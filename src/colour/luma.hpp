// Brightness of a colour: studio-range luma of 8-bit components, 16..235.
#pragma once

#include <cstdint>

namespace peltrix {

// 0.257 R + 0.504 G + 0.098 B + 16, added in that order in double precision and rounded to
// the nearest integer with halves to even. Exact rounding matters: 15,280 colours land on .5.
uint16_t luma(int r, int g, int b);
uint16_t lumaOfRgb(uint32_t rgb);

}  // namespace peltrix
