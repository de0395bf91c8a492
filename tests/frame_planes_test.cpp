// The frame planes a search writes and the pictures made of them: each element at its
// pixel, a band's rows only, and the blend and frame pictures in a palette's colours.
#include "engine/frame_planes.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "colour/tables.hpp"
#include "engine/search.hpp"
#include "output/flicker_picture.hpp"
#include "output/pictures.hpp"

namespace peltrix {
namespace {

engine::CellBuffers uniformCell(uint8_t f1, uint8_t f2, uint8_t f3) {
  engine::CellBuffers b;
  b.frames[0].fill(f1);
  b.frames[1].fill(f2);
  b.frames[2].fill(f3);
  return b;
}

TEST(FramePlanes, ACellPlacesEachElementAtItsPixel) {
  auto planes = std::make_unique<engine::FramePlanes>();
  engine::CellBuffers cell;
  for (int i = 0; i < 64; ++i) {
    for (int f = 0; f < 3; ++f) cell.frames[f][i] = static_cast<uint8_t>((i + f) % 16);
  }
  planes->storeRows(39, 24, 0, 8, cell);
  for (int i = 0; i < 64; ++i) {
    for (int f = 0; f < 3; ++f) {
      ASSERT_EQ(planes->frames[f].at(312 + i % 8, 192 + i / 8), (i + f) % 16);
    }
  }
  EXPECT_EQ(planes->frames[0].at(311, 192), 0);
}

TEST(FramePlanes, ABandChangesOnlyItsTwoRows) {
  auto planes = std::make_unique<engine::FramePlanes>();
  planes->storeRows(0, 0, 0, 8, uniformCell(1, 2, 3));
  planes->storeRows(0, 0, 2, 2, uniformCell(4, 5, 6));
  for (int row = 0; row < 8; ++row) {
    const bool band = row == 2 || row == 3;
    for (int f = 0; f < 3; ++f) EXPECT_EQ(planes->frames[f].at(5, row), band ? 4 + f : 1 + f);
  }
}

TEST(Pictures, BlendAndFramesInThePalettesColours) {
  auto planes = std::make_unique<engine::FramePlanes>();
  planes->storeRows(0, 0, 0, 8, uniformCell(0, 0, 1));  // black, black, white
  planes->storeRows(1, 0, 0, 8, uniformCell(11, 11, 12));
  const RgbPicture blend = blendPicture(*planes, kPalette, kBasicExclusions);
  EXPECT_EQ(blend[0], kExcludedBlendColour);  // black may not meet white
  EXPECT_EQ(blend[8], 0x515151u);
  EXPECT_EQ(blend[16], 0u);  // black everywhere else
  EXPECT_EQ(blendPicture(*planes, kPalette, {})[0], 0x555555u);
  EXPECT_EQ(framePicture(*planes, 2, kPalette)[0], 0xFFFFFFu);
  Palette grey = kPalette;
  grey[1] = 0x808080;
  EXPECT_EQ(framePicture(*planes, 2, grey)[7], 0x808080u);
}

TEST(Pictures, TheFlickerScaleRunsFromBlackThroughPurpleToPaleYellow) {
  EXPECT_EQ(flickerColour(-1), 0x000004u);
  EXPECT_EQ(flickerColour(0), 0x000004u);
  EXPECT_EQ(flickerColour(0.02), 0x3B0F70u);  // where the eye starts to see flicker
  EXPECT_EQ(flickerColour(0.01), 0x1E083Au);  // halfway to it
  EXPECT_EQ(flickerColour(0.1), 0xFCFDBFu);
  EXPECT_EQ(flickerColour(1.0 / 3), 0xFCFDBFu);
}

}  // namespace
}  // namespace peltrix
