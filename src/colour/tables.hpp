// The converter's fixed colour knowledge: the C64 palette, the two pair lists, the two
// exclusion lists and the ordered-dither matrix. Stored literally, never computed.
#pragma once

#include <array>
#include <cstdint>

namespace peltrix {

constexpr int kPaletteSize = 16;
constexpr int kFullPairCount = 121;
constexpr int kReducedPairCount = 75;
constexpr int kExclusionCount = 48;

// C64 colour index -> RGB value.
extern const std::array<uint32_t, kPaletteSize> kPalette;

// Colour pair byte: high colour in bits 4-7, low colour in bits 0-3.
constexpr int pairHigh(uint8_t pair) { return pair >> 4; }
constexpr int pairLow(uint8_t pair) { return pair & 0x0F; }
// Pair code of two colours that meet at one pixel in different frames.
constexpr uint8_t pairCode(int a, int b) {
  return static_cast<uint8_t>(a < b ? a * 16 + b : b * 16 + a);
}

// Black with black, then every pair a < b in increasing order ("Brute Force").
extern const std::array<uint8_t, kFullPairCount> kFullPairs;
// The darker colours plus a few light pairs; four green pairs occur twice, on purpose.
extern const std::array<uint8_t, kReducedPairCount> kReducedPairs;
// Pair codes whose colours may not meet at one pixel in different frames.
extern const std::array<uint8_t, kExclusionCount> kBasicExclusions;
extern const std::array<uint8_t, kExclusionCount> kOverloadExclusions;

// 8x8 Bayer matrix, row-major, values 0..63.
extern const std::array<uint32_t, 64> kDitherMatrix;

}  // namespace peltrix
