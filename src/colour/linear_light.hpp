// sRGB codes and linear light in integers: the same bytes on every platform, since no libm
// function decides one. Linear light is 0..65535 for 0..1; means of frames are taken there,
// as the eye adds the light of the frames a C64 shows in turn.
#pragma once

#include <cstdint>

namespace peltrix {

// round(65535 * EOTF(c / 255)) with the sRGB EOTF (IEC 61966-2-1), read from a table.
uint16_t linearOf(uint8_t srgb);

// The sRGB code nearest in the encoded domain: c with EOTF((c - 0.5) / 255) <= v / 65535 <
// EOTF((c + 0.5) / 255), a boundary itself going to the upper code. srgbOf(linearOf(c)) == c.
uint8_t srgbOf(uint16_t linear);

// The linear-light mean of three codes, per channel: srgbOf((la + lb + lc + 1) / 3), which
// rounds the mean to the nearest linear value (a third is never a half, so no tie arises).
uint8_t srgbMean3(uint8_t a, uint8_t b, uint8_t c);

// The same for each channel of three RGB values (colour/rgb.hpp).
uint32_t linearMeanRgb(uint32_t a, uint32_t b, uint32_t c);

}  // namespace peltrix
