// The pictures of a conversion, each a view of its three planes of colour indices and the
// palette it aimed at: the blend the eye is meant to see, and each frame's palette colours.
// Made where they are shown or written; nothing keeps them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "colour/palettes.hpp"
#include "engine/blend_table.hpp"
#include "engine/eye_blends.hpp"
#include "engine/frame_planes.hpp"
#include "engine/search.hpp"

namespace peltrix {

// 320 x 200 RGB values (colour/rgb.hpp), pixel (x, y) at element y * 320 + x.
using RgbPicture = std::vector<uint32_t>;

// What the blend picture shows where two of a pixel's three colours may not meet: the colour
// bits of the search's exclusion marker (only a cell whose every slot is excluded shows it).
constexpr uint32_t kExcludedBlendColour = 0x234567;

// The colour the blend picture shows for a pixel's three frame colours a, b, c: the blend
// the match judged (the truncated sRGB mean, or the eye's linear-light mean).
class BlendColours {
 public:
  BlendColours(const Palette& palette, std::span<const uint8_t> exclusions,
               engine::Match match = engine::Match::Classic);
  uint32_t of(int a, int b, int c) const;

 private:
  engine::BlendTable blends_;
  std::optional<engine::EyeBlends> eye_;
  std::array<bool, 256> clash_{};  // by pair code
};

// The blend picture: at every pixel the per-channel truncated average of its three frame
// colours, or kExcludedBlendColour where a pair of them is in `exclusions` (48 pair codes).
RgbPicture blendPicture(const engine::FramePlanes& planes, const Palette& palette,
                        std::span<const uint8_t> exclusions,
                        engine::Match match = engine::Match::Classic);

// Frame `frame` (0..2) in its palette colours.
RgbPicture framePicture(const engine::FramePlanes& planes, int frame, const Palette& palette);

// Any 320 x 200 picture of colour indices (e.g. what a viewer shows) in its palette colours.
RgbPicture palettePicture(std::span<const uint8_t> indices, const Palette& palette);

}  // namespace peltrix
