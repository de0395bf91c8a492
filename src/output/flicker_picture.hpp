// The flicker map as a picture: each pixel's flicker amplitude (output/quality.hpp) on a
// colour scale from black (steady) through purple and red to pale yellow, the scale's top at
// an amplitude of 0.1; kVisibleFlicker (0.02) lies at the first step, deep purple, so that
// what the eye can see flicker stands out from the steady black.
#pragma once

#include <span>

#include "output/pictures.hpp"

namespace peltrix {

// The scale's colour for an amplitude (0 and below: black; 0.1 and above: the top).
uint32_t flickerColour(double amplitude);

// 320 x 200: the map's pixels in the scale's colours.
RgbPicture flickerPicture(std::span<const double> amplitudes);

// The scale as a legend strip, width x height pixels (row by row): amplitude 0 at the left,
// 0.1 at the right, a white tick at every multiple of 0.02 inside it.
RgbPicture flickerScale(int width, int height);

}  // namespace peltrix
