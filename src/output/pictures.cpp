#include "output/pictures.hpp"

#include "colour/geometry.hpp"
#include "colour/tables.hpp"
#include "engine/blend_table.hpp"

namespace peltrix {

BlendColours::BlendColours(const Palette& palette, std::span<const uint8_t> exclusions,
                           engine::Match match)
    : blends_(palette) {
  if (match == engine::Match::Eye) eye_.emplace(palette);
  for (const uint8_t code : exclusions) clash_[code] = true;
}

uint32_t BlendColours::of(int a, int b, int c) const {
  a &= 0x0F, b &= 0x0F, c &= 0x0F;
  if (clash_[pairCode(a, b)] || clash_[pairCode(a, c)] || clash_[pairCode(b, c)]) {
    return kExcludedBlendColour;
  }
  const int n = blends_.of(a, b, c);
  return eye_ ? eye_->rgb[n] : blends_.rgb[n];
}

RgbPicture blendPicture(const engine::FramePlanes& planes, const Palette& palette,
                        std::span<const uint8_t> exclusions, engine::Match match) {
  const BlendColours colours(palette, exclusions, match);
  RgbPicture out(kPixels);
  for (int i = 0; i < kPixels; ++i) {
    out[i] =
        colours.of(planes.frames[0].load(i), planes.frames[1].load(i), planes.frames[2].load(i));
  }
  return out;
}

RgbPicture framePicture(const engine::FramePlanes& planes, int frame, const Palette& palette) {
  RgbPicture out(kPixels);
  for (int i = 0; i < kPixels; ++i) out[i] = palette[planes.frames[frame].load(i) & 0x0F];
  return out;
}

RgbPicture palettePicture(std::span<const uint8_t> indices, const Palette& palette) {
  RgbPicture out(kPixels);
  for (int i = 0; i < kPixels; ++i) out[i] = palette[indices[i] & 0x0F];
  return out;
}

}  // namespace peltrix
