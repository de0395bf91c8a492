// CIELAB in fixed point. Linear light (0..65535) goes through an integer matrix to
// t = X / Xn, Y / Yn, Z / Zn, then f(t) = cbrt(t) (or its linear segment below (6/29)^3) in
// units of 1/65536, floored exactly; L*, a*, b* are then rounded to 1/64, halves up.
#include "colour/cielab.hpp"

#include <array>
#include <cmath>

#include "colour/linear_light.hpp"
#include "colour/rgb.hpp"

namespace peltrix {
namespace {

// Rows X / Xn, Y / Yn, Z / Zn of linear R, G, B in units of 1/65536, derived from the sRGB
// primaries and the D65 white point by scripts/make_srgb_tables.py. Each row sums to exactly
// 65536, so that white is t = 1 and every grey has a* = b* = 0.
// clang-format off
constexpr uint64_t kToXyz[3][3] = {
    {28435, 24656, 12445},  // 0.4338873 0.3762240 0.1898886
    {13936, 46869, 4731},  // 0.2126390 0.7151687 0.0721923
    {1163, 7173, 57200},  // 0.0177500 0.1094476 0.8728023
};
// clang-format on

// floor(cbrt(x)) for x < 2^51, a bit at a time from the top: y grows to 2y or 2y + 1 as
// three more bits of x come in, the remainder x - y^3 kept in x. Exact but slow: it makes
// the seeds below while compiling.
constexpr uint64_t cubeRootByBits(uint64_t x) {
  uint64_t y = 0;
  for (int s = 48; s >= 0; s -= 3) {
    y *= 2;
    const uint64_t step = 3 * y * (y + 1) + 1;  // (y + 1)^3 - y^3
    if ((x >> s) >= step) {
      x -= step << s;
      ++y;
    }
  }
  return y;
}

// floor(cbrt(i * 2^40)) for i = 0..256.
constexpr auto kSeeds = [] {
  std::array<uint32_t, 257> seeds{};
  for (uint64_t i = 0; i < seeds.size(); ++i) {
    seeds[i] = static_cast<uint32_t>(cubeRootByBits(i << 40));
  }
  return seeds;
}();

// floor(cbrt(x)) for 2^41 <= x <= 2^48: the seed below x (within 16%) taken through two
// steps of Halley's method, each of which cubes the relative error (to below 1e-6), then
// made exact with integer cubes, so that how the doubles round never shows in the result.
uint64_t cubeRoot(uint64_t x) {
  const double n = static_cast<double>(x);
  double y = kSeeds[x >> 40];
  for (int step = 0; step < 2; ++step) {
    const double y3 = y * y * y;
    y *= (y3 + 2 * n) / (2 * y3 + n);
  }
  uint64_t r = static_cast<uint64_t>(y);
  while (r * r * r > x) --r;
  while ((r + 1) * (r + 1) * (r + 1) <= x) ++r;
  return r;
}

// floor(65536 * f(t)) for t = tScaled / (65535 * 65536), tScaled <= 65535 * 65536.
int64_t fOf(uint64_t tScaled) {
  constexpr uint64_t kOne = uint64_t{65535} * 65536;
  if (tScaled * 24389 <= 216 * kOne) {  // t <= (6/29)^3: f = t * 841 / 108 + 4 / 29
    return static_cast<int64_t>((tScaled * (841 * 29) + 4 * 108 * kOne) / (108 * 29 * 65535));
  }
  // 65536 * cbrt(t) = cbrt(t * 2^48), with t > 2^-6.8 here; the product stays below 2^64.
  return static_cast<int64_t>(cubeRoot((tScaled << 32) / 65535));
}

// x / 1024 rounded to the nearest integer, halves up (>> floors negative values too).
int32_t rounded1024(int64_t x) {
  return static_cast<int32_t>((x + 512) >> 10);
}

}  // namespace

Lab labOfLinear(uint16_t r, uint16_t g, uint16_t b) {
  int64_t f[3];
  for (int i = 0; i < 3; ++i) {
    f[i] = fOf(kToXyz[i][0] * r + kToXyz[i][1] * g + kToXyz[i][2] * b);
  }
  // In units of 1/64: L* = 116 f(y) - 16, a* = 500 (f(x) - f(y)), b* = 200 (f(y) - f(z)),
  // each f in units of 1/65536, hence the division by 1024.
  return {rounded1024(116 * f[1] - 16 * 65536), rounded1024(500 * (f[0] - f[1])),
          rounded1024(200 * (f[1] - f[2]))};
}

Lab labOf(uint32_t rgb) {
  return labOfLinear(linearOf(static_cast<uint8_t>(red(rgb))),
                     linearOf(static_cast<uint8_t>(green(rgb))),
                     linearOf(static_cast<uint8_t>(blue(rgb))));
}

int labDistance(const Lab& p, const Lab& q) {
  const int64_t dL = p.L - q.L, da = p.a - q.a, db = p.b - q.b;
  const uint64_t sum = static_cast<uint64_t>(dL * dL + da * da + db * db);
  // In units of 1/64, floor(4 dE) = floor(sqrt(sum) / 16) = floor(sqrt(sum)) / 16.
  constexpr uint64_t kClampFrom = uint64_t{16 * kMaxLabDistance} * (16 * kMaxLabDistance);
  if (sum >= kClampFrom) {
    return kMaxLabDistance;
  }
  // Below 2^28 the sum is exact as a double and IEEE sqrt rounds correctly, so the floor is
  // exact: for k^2 <= sum < (k + 1)^2, sqrt(sum) <= k + 1 - 1 / (2k + 2), far more than half
  // a unit in the last place (2^-39 here) below k + 1.
  return static_cast<int>(static_cast<uint32_t>(std::sqrt(static_cast<double>(sum))) >> 4);
}

}  // namespace peltrix
