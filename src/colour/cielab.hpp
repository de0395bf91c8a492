// CIELAB (D65 white, sRGB primaries) in integers, for measuring colours where a distance
// decides a byte: no libm function is involved, so every platform finds the same values.
#pragma once

#include <cstdint>

namespace peltrix {

// L*, a*, b* in units of 1/64 (kLabUnit): L 0..6400, a and b within about +-8000.
constexpr int32_t kLabUnit = 64;
struct Lab {
  int32_t L, a, b;
};

// The colour of linear-light channels 0..65535 (colour/linear_light.hpp).
Lab labOfLinear(uint16_t r, uint16_t g, uint16_t b);
// The colour of an RGB value (colour/rgb.hpp) of sRGB codes.
Lab labOf(uint32_t rgb);

// The largest distance: the search's colour lanes keep 1023 for a slot that may not be
// chosen, so a real distance stays below it and never ties with one.
constexpr int kMaxLabDistance = 1022;

// Euclidean distance (CIE76 delta E*ab) in units of 1/4, floor(4 * dE), at most
// kMaxLabDistance (dE 255.5; sRGB colours lie within about dE 260 of one another).
int labDistance(const Lab& p, const Lab& q);

}  // namespace peltrix
