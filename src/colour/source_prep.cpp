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
                   const Tone& tone) {
  const int shift = kDitherShift[std::clamp(ditherLevel, 0, 3)];
  const ToneMap map(tone);  // neutral: every value as it is
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int i = y * kWidth + x;
      const uint32_t c = map(picture.rgb[i]);
      // The dither only darkens: one value off all three channels, clamped at 0.
      const int d = static_cast<int>(kDitherMatrix[(y & 7) * 8 + (x & 7)] >> shift);
      const int r = std::max(static_cast<int>(red(c)) - d, 0);
      const int g = std::max(static_cast<int>(green(c)) - d, 0);
      const int b = std::max(static_cast<int>(blue(c)) - d, 0);
      luma[i] = peltrix::luma(r, g, b);
      rgb[i] = packRgb(r, g, b);
    }
  }
}

}  // namespace peltrix
