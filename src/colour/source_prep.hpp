// Source preparation: the ordered dither and the two arrays the searches read.
#pragma once

#include <cstdint>

#include "colour/picture.hpp"
#include "colour/tone.hpp"

namespace peltrix {

constexpr int kDefaultDitherLevel = 2;

// Fills all 64,000 elements of `rgb` and `luma` from the picture's top-left 320 x 200
// pixels, toned, then darkened by the Bayer matrix entry shifted by the level's dither
// shift (level 0: no dither, 1: 0..15, 2: 0..31, 3: 0..63).
void prepareSource(const SourcePicture& picture, int ditherLevel, uint32_t* rgb, uint16_t* luma,
                   const Tone& tone = {});

}  // namespace peltrix
