// The eye match's error diffusion: it keeps each region's pairs, gives the same frames for the
// same input, and spreads light so that a large area comes close to the source's mean light.
#include "engine/error_diffusion.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "colour/linear_light.hpp"
#include "colour/rgb.hpp"
#include "colour/tables.hpp"

namespace peltrix {
namespace {

TEST(ErrorDiffusion, KeepsThePairsRepeatsItselfAndComesCloseToTheMeanLight) {
  // Every region may show black or white in each frame; the source is a grey between them.
  engine::RegionChoices regions;
  for (int cy = 0; cy < kCellRows; ++cy) {
    for (int cx = 0; cx < kCellColumns; ++cx) regions.set(cx, cy, 0, {0x01, 0x01, 0x01});
  }
  const uint32_t grey = packRgb(140, 140, 140);
  const std::vector<uint32_t> source(kPixels, grey);
  engine::DiffusionInputs in;
  in.sourceRgb = source.data();
  in.palette = kPalette;
  auto first = std::make_unique<engine::FramePlanes>();
  auto second = std::make_unique<engine::FramePlanes>();
  engine::diffuseErrors(in, regions, *first);
  engine::diffuseErrors(in, regions, *second);

  double light = 0;
  for (int i = 0; i < kPixels; ++i) {
    for (int f = 0; f < 3; ++f) {
      const int c = first->frames[f].load(i);
      ASSERT_TRUE(c == 0 || c == 1) << "pixel " << i << " frame " << f << " shows " << c;
      ASSERT_EQ(c, second->frames[f].load(i)) << "the same input gave other frames";
      light += c == 1 ? 1.0 / 3 : 0.0;
    }
  }
  // The diffused error is damped by a fifth, so the mean may lean a few percent towards the
  // blend nearer in CIELAB (here 1/3: 0.28 for 0.26); without diffusion it would be 1/3.
  const double wanted = linearOf(140) / 65535.0;
  EXPECT_NEAR(light / kPixels, wanted, 0.1 * wanted);
}

}  // namespace
}  // namespace peltrix
