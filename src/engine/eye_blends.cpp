#include "engine/eye_blends.hpp"

#include "colour/cielab.hpp"
#include "colour/linear_light.hpp"
#include "colour/rgb.hpp"

namespace peltrix::engine {

namespace {

// The cost of flicker: kFlickerWeight quarters of a CIELAB unit for an amplitude of full light,
// so 3 units (dE 0.75) at the amplitude 0.01 the eye starts to see. Measured on the shared
// photos (scripts/eye_quality_table.py): without it the eye match flickers up to 66 % more than
// the classic match's on a photo; with 300 it flickers less on every photo, and its error stays
// about 29 % lower on average.
constexpr int64_t kFlickerWeight = 300;

// Linear luminance 0..655350000 of linear channels (BT.709 weights in ten-thousandths).
int64_t luminance(const std::array<uint16_t, 3>& c) {
  return int64_t{2126} * c[0] + int64_t{7152} * c[1] + int64_t{722} * c[2];
}

// floor(sqrt(v)) of a non-negative integer, exactly.
int64_t integerRoot(int64_t v) {
  int64_t r = 0;
  for (int64_t bit = int64_t{1} << 31; bit > 0; bit >>= 1) {
    if ((r + bit) * (r + bit) <= v) r += bit;
  }
  return r;
}

int16_t flickerCost(const std::array<uint16_t, 3>& a, const std::array<uint16_t, 3>& b,
                    const std::array<uint16_t, 3>& c) {
  // |Ya + w Yb + w^2 Yc| / 3 with w = e^(2 pi i / 3) is sqrt(((Ya - Yb)^2 + (Yb - Yc)^2 +
  // (Yc - Ya)^2) / 2) / 3: the same for every order of the three, like the blend.
  const int64_t ya = luminance(a) / 10000, yb = luminance(b) / 10000, yc = luminance(c) / 10000;
  const int64_t spread =
      ((ya - yb) * (ya - yb) + (yb - yc) * (yb - yc) + (yc - ya) * (yc - ya)) / 2;
  const int64_t amplitude = integerRoot(spread) / 3;  // 0..21845 for 0..1/3 of full light
  return static_cast<int16_t>(amplitude * kFlickerWeight / 65535);
}

}  // namespace

EyeBlends::EyeBlends(const Palette& palette) {
  std::array<std::array<uint16_t, 3>, 16> lin{};
  for (int i = 0; i < 16; ++i) {
    lin[i] = {linearOf(static_cast<uint8_t>(red(palette[i]))),
              linearOf(static_cast<uint8_t>(green(palette[i]))),
              linearOf(static_cast<uint8_t>(blue(palette[i])))};
  }
  // The same order as BlendTable's: a <= b <= c.
  int n = 0;
  for (int a = 0; a < 16; ++a) {
    for (int b = a; b < 16; ++b) {
      for (int c = b; c < 16; ++c, ++n) {
        std::array<uint16_t, 3>& mean = linear[n];
        for (int ch = 0; ch < 3; ++ch) mean[ch] = linearMean3(lin[a][ch], lin[b][ch], lin[c][ch]);
        const Lab lab = labOfLinear(mean[0], mean[1], mean[2]);
        labL[n] = lab.L, labA[n] = lab.a, labB[n] = lab.b;
        rgb[n] = packRgb(srgbOf(mean[0]), srgbOf(mean[1]), srgbOf(mean[2]));
        flicker[n] = flickerCost(lin[a], lin[b], lin[c]);
      }
    }
  }
}

}  // namespace peltrix::engine
