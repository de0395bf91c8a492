// Source preparation: the ordered dither and the two arrays the searches read.
#pragma once

#include <cstdint>

#include "colour/picture.hpp"
#include "colour/tone.hpp"

namespace peltrix {

constexpr int kDefaultDitherLevel = 2;

// How the ordered dither moves a pixel: the classic one only darkens it (the Bayer matrix entry
// shifted by the level's dither shift is taken off every channel); the centred one moves it
// up or down by as much (the entry less half the matrix's range), so that on average the
// picture keeps its brightness.
enum class OrderedDither { Darkening, Centred };

// Fills all 64,000 elements of `rgb` and `luma` from the picture's top-left 320 x 200
// pixels, toned, then dithered at the level (0: none; 1: 0..15, 2: 0..31, 3: 0..63 for the
// darkening dither, and the same range about zero for the centred one).
void prepareSource(const SourcePicture& picture, int ditherLevel, uint32_t* rgb, uint16_t* luma,
                   const Tone& tone = {}, OrderedDither kind = OrderedDither::Darkening);

}  // namespace peltrix
