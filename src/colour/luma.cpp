#include "colour/luma.hpp"

#include <cmath>

#include "colour/rgb.hpp"

namespace peltrix {

uint16_t luma(int r, int g, int b) {
  // Built with -ffp-contract=off: a fused multiply-add would round the sum differently.
  const double y = 0.257 * r + 0.504 * g + 0.098 * b + 16.0;
  // nearbyint honours the default rounding mode: nearest, halves to even.
  return static_cast<uint16_t>(std::nearbyint(y));
}

uint16_t lumaOfRgb(uint32_t rgb) {
  return luma(static_cast<int>(red(rgb)), static_cast<int>(green(rgb)),
              static_cast<int>(blue(rgb)));
}

}  // namespace peltrix
