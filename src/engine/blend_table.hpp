// The 816 distinct blends of three palette colours. The blend operation is symmetric in its
// three colours, so a triple's 8 slots only ever show colours from this table; the engine
// measures each pixel against each of them once per cell instead of once per triple.
#pragma once

#include <array>
#include <cstdint>

#include "colour/palettes.hpp"
#include "colour/rgb.hpp"

namespace peltrix::engine {

constexpr int kBlendCount = 816;   // multisets of 3 out of 16 colours
constexpr int kColourPairs = 136;  // multisets of 2 out of 16 colours

// Per-channel truncated average of three RGB values.
constexpr uint32_t blendRgb(uint32_t a, uint32_t b, uint32_t c) {
  return packRgb((red(a) + red(b) + red(c)) / 3, (green(a) + green(b) + green(c)) / 3,
                 (blue(a) + blue(b) + blue(c)) / 3);
}

struct BlendTable {
  std::array<uint16_t, 16 * 16 * 16> id{};  // [c1 * 256 + c2 * 16 + c3], any order
  std::array<uint8_t, 16 * 16> pairId{};    // [c1 * 16 + c2], any order
  std::array<uint32_t, kBlendCount> rgb{};  // blend colour
  std::array<uint8_t, kBlendCount> luma{};  // its luma, 16..235
  std::array<uint8_t, kBlendCount> red{}, green{}, blue{};

  explicit BlendTable(const Palette& palette = kPalette);
  int of(int c1, int c2, int c3) const { return id[c1 * 256 + c2 * 16 + c3]; }
};

}  // namespace peltrix::engine
