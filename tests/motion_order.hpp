// Reading the picture in motion back: which frame a shown picture starts with, when its lines
// step through the C64 pictures of the three frames as the line viewers show them.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "colour/geometry.hpp"

namespace peltrix::testing {

// The frame (0..2) on picture line 0 of `shown` when every line y shows the C64 picture of
// frame (f0 - y) mod 3; -1 for no such frame (a torn or foreign picture).
inline int frameOnFirstLine(const std::vector<uint32_t>& shown,
                            const std::array<std::vector<uint32_t>, 3>& c64) {
  for (int f0 = 0; f0 < 3; ++f0) {
    bool all = shown.size() == c64[0].size();
    for (int y = 0; y < kHeight && all; ++y) {
      const std::vector<uint32_t>& frame = c64[((f0 - y) % 3 + 3) % 3];
      all = std::equal(shown.begin() + y * kWidth, shown.begin() + (y + 1) * kWidth,
                       frame.begin() + y * kWidth);
    }
    if (all) return f0;
  }
  return -1;
}

}  // namespace peltrix::testing
