#include "colour/source_prep.hpp"

#include <algorithm>

#include "colour/luma.hpp"
#include "colour/rgb.hpp"
#include "colour/tables.hpp"

namespace peltrix {

namespace {
// Right shift applied to the matrix entry at each level; 8 leaves nothing of 0..63.
constexpr int kDitherShift[4] = {8, 2, 1, 0};
}  // namespace

void prepareSource(const SourcePicture& picture, int ditherLevel, uint32_t* rgb, uint16_t* luma,
                   const Tone& tone, OrderedDither kind) {
  const int shift = kDitherShift[std::clamp(ditherLevel, 0, 3)];
  // The centred dither takes off the entry less half the range: 64 >> shift of it at most.
  const int centre = kind == OrderedDither::Centred ? (64 >> shift) / 2 : 0;
  const ToneMap map(tone);  // neutral: every value as it is
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int i = y * kWidth + x;
      const uint32_t c = map(picture.rgb[i]);
      // One value off all three channels, clamped to 0..255.
      const int d = static_cast<int>(kDitherMatrix[(y & 7) * 8 + (x & 7)] >> shift) - centre;
      const int r = std::clamp(static_cast<int>(red(c)) - d, 0, 255);
      const int g = std::clamp(static_cast<int>(green(c)) - d, 0, 255);
      const int b = std::clamp(static_cast<int>(blue(c)) - d, 0, 255);
      luma[i] = peltrix::luma(r, g, b);
      rgb[i] = packRgb(r, g, b);
    }
  }
}

}  // namespace peltrix
