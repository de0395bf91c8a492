// The eye match's blends. Three frames shown in turn mix as light: the eye sees the mean of
// their linear-light values, not of their sRGB codes. Each of the 816 colour triples gets
// that mean, its CIELAB colour (what the search measures against) and its sRGB value (what
// the pictures show). Integers throughout, so every platform chooses the same.
#pragma once

#include <array>
#include <cstdint>

#include "colour/palettes.hpp"
#include "engine/blend_table.hpp"

namespace peltrix::engine {

// The largest eye distance (quarters of a CIELAB unit); the kernels keep 1023 for a slot that
// may not be chosen.
constexpr int32_t kMaxEyeDistance = 1022;

struct EyeBlends {
  // Indexed like BlendTable: blend n of BlendTable::of(a, b, c).
  alignas(32) std::array<int32_t, kBlendCount> labL{}, labA{}, labB{};
  std::array<std::array<uint16_t, 3>, kBlendCount> linear{};  // red, green, blue 0..65535
  std::array<uint32_t, kBlendCount> rgb{};                    // the nearest sRGB value
  // What showing the three colours in turn costs beside its distance: their flicker, the
  // amplitude of their luminance's rotation, in quarters of a CIELAB unit (see the .cpp).
  std::array<int16_t, kBlendCount> flicker{};

  explicit EyeBlends(const Palette& palette);
};

// The linear-light mean of three linear values, rounded to the nearest (a third is never a
// half, so there are no ties).
constexpr uint16_t linearMean3(uint32_t a, uint32_t b, uint32_t c) {
  return static_cast<uint16_t>((a + b + c + 1) / 3);
}

}  // namespace peltrix::engine
