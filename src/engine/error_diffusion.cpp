#include "engine/error_diffusion.hpp"

#include <algorithm>
#include <cstdlib>

#include "colour/cielab.hpp"
#include "colour/linear_light.hpp"
#include "colour/rgb.hpp"
#include "colour/tables.hpp"
#include "engine/blend_table.hpp"
#include "engine/eye_blends.hpp"

namespace peltrix::engine {

namespace {

using Channels = std::array<int32_t, 3>;

// One row of diffused error, with a pixel of margin on either side.
using ErrorRow = std::vector<Channels>;

Channels linearChannels(uint32_t rgb) {
  return {linearOf(static_cast<uint8_t>(red(rgb))), linearOf(static_cast<uint8_t>(green(rgb))),
          linearOf(static_cast<uint8_t>(blue(rgb)))};
}

int32_t clampLinear(int32_t v) {
  return std::clamp<int32_t>(v, 0, 65535);
}

// labDistance, inlined for the 8 slots of every pixel: the target is a colour of the gamut,
// so the squared distance in 1/64 units fits 32 bits, and floor(sqrt(s / 256)) as a float
// square root is exact below the clamp (the search's kernels take it the same way).
int32_t slotDistance(const Lab& p, int32_t l, int32_t a, int32_t b) {
  const int32_t dl = p.L - l, da = p.a - a, db = p.b - b;
  const int32_t s = (dl * dl + da * da + db * db) >> 8;
  const int32_t q = static_cast<int32_t>(__builtin_sqrtf(static_cast<float>(s)));
  return q < kMaxEyeDistance ? q : kMaxEyeDistance;
}

}  // namespace

void diffuseErrors(const DiffusionInputs& in, const RegionChoices& regions, FramePlanes& planes) {
  const BlendTable ids(in.palette);
  const EyeBlends eye(in.palette);
  std::array<bool, 256> clash{};
  for (const uint8_t code : in.exclusions) clash[code] = true;

  ErrorRow current(kWidth + 2, Channels{}), next(kWidth + 2, Channels{});
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int i = y * kWidth + x;
      const std::array<uint8_t, 3>& pairs = regions.at(x / 8, y / 8, in.bands ? (y & 7) / 2 : 0);
      const Channels source = linearChannels(in.sourceRgb[i]);
      Channels target;
      for (int ch = 0; ch < 3; ++ch) target[ch] = source[ch] + current[x + 1][ch];
      const Lab wanted = labOfLinear(static_cast<uint16_t>(clampLinear(target[0])),
                                     static_cast<uint16_t>(clampLinear(target[1])),
                                     static_cast<uint16_t>(clampLinear(target[2])));
      // The slot of the region's three pairs closest to the target; ties go to the lower slot.
      int bestSlot = -1, bestBlend = 0;
      int32_t least = 0;
      std::array<int, 3> colours{};
      for (int s = 0; s < 8; ++s) {
        const int c1 = (s & 4) ? pairs[0] & 15 : pairs[0] >> 4;
        const int c2 = (s & 2) ? pairs[1] & 15 : pairs[1] >> 4;
        const int c3 = (s & 1) ? pairs[2] & 15 : pairs[2] >> 4;
        if (clash[pairCode(c1, c2)] || clash[pairCode(c1, c3)] || clash[pairCode(c2, c3)]) continue;
        const int n = ids.of(c1, c2, c3);
        const int32_t d =
            (in.lightnessOnly ? std::abs(wanted.L - eye.labL[n]) / 16
                              : slotDistance(wanted, eye.labL[n], eye.labA[n], eye.labB[n])) +
            eye.flicker[n];
        if (bestSlot < 0 || d < least)
          bestSlot = s, least = d, bestBlend = n, colours = {c1, c2, c3};
      }
      Channels shown;
      if (bestSlot < 0) {
        const int n =
            ids.of(planes.frames[0].load(i), planes.frames[1].load(i), planes.frames[2].load(i));
        for (int ch = 0; ch < 3; ++ch) shown[ch] = eye.linear[n][ch];
      } else {
        for (int f = 0; f < 3; ++f) planes.frames[f].store(i, static_cast<uint8_t>(colours[f]));
        for (int ch = 0; ch < 3; ++ch) shown[ch] = eye.linear[bestBlend][ch];
      }
      for (int ch = 0; ch < 3; ++ch) {
        const int32_t e = (target[ch] - shown[ch]) * 4 / 5;
        current[x + 2][ch] += e * 7 / 16;
        next[x][ch] += e * 3 / 16;
        next[x + 1][ch] += e * 5 / 16;
        next[x + 2][ch] += e / 16;
      }
    }
    std::swap(current, next);
    std::fill(next.begin(), next.end(), Channels{});
  }
}

}  // namespace peltrix::engine
