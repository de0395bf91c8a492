#include "engine/blend_table.hpp"

#include "colour/luma.hpp"
#include "colour/rgb.hpp"
#include "colour/tables.hpp"

namespace peltrix::engine {

BlendTable::BlendTable(const Palette& palette) {
  int next = 0;
  for (int a = 0; a < 16; ++a) {
    for (int b = a; b < 16; ++b) {
      pairId[a * 16 + b] = pairId[b * 16 + a] = static_cast<uint8_t>(b - a + (a * (33 - a)) / 2);
      for (int c = b; c < 16; ++c) {
        const int n = next++;
        for (int o : {a * 256 + b * 16 + c, a * 256 + c * 16 + b, b * 256 + a * 16 + c,
                      b * 256 + c * 16 + a, c * 256 + a * 16 + b, c * 256 + b * 16 + a}) {
          id[o] = static_cast<uint16_t>(n);
        }
        rgb[n] = blendRgb(palette[a], palette[b], palette[c]);
        red[n] = static_cast<uint8_t>(peltrix::red(rgb[n]));
        green[n] = static_cast<uint8_t>(peltrix::green(rgb[n]));
        blue[n] = static_cast<uint8_t>(peltrix::blue(rgb[n]));
        luma[n] = static_cast<uint8_t>(lumaOfRgb(rgb[n]));
      }
    }
  }
}

}  // namespace peltrix::engine
