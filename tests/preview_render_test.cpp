// Cell render and band render: each pixel in place, the high byte dropped, and only the
// rendered rows changed.
#include "output/preview_render.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "colour/tables.hpp"

namespace peltrix {
namespace {

engine::CellBuffers uniformCell(uint32_t blend, uint32_t f1, uint32_t f2, uint32_t f3) {
  engine::CellBuffers b;
  b.blend.fill(blend);
  b.frames[0].fill(f1);
  b.frames[1].fill(f2);
  b.frames[2].fill(f3);
  return b;
}

TEST(PreviewRender, CellRenderCopiesTheColoursAndDropsTheHighByte) {
  auto pictures = std::make_unique<PreviewArrays>();
  engine::CellBuffers cell = uniformCell(0xAB123456, kPalette[2], 0xFF0000FF, 0x00FF0000);
  cell.frames[0][9] = 0x00000001;  // row 1, col 1
  renderCell(*pictures, 5, 3, cell);
  const int x = 40, y = 24;
  EXPECT_EQ(pictures->blend.at(x, y), 0x123456u);
  EXPECT_EQ(pictures->frames[0].at(x, y), kPalette[2]);
  EXPECT_EQ(pictures->frames[1].at(x + 7, y + 7), 0x0000FFu);
  EXPECT_EQ(pictures->frames[2].at(x + 3, y + 5), 0xFF0000u);
  EXPECT_EQ(pictures->frames[0].at(x + 1, y + 1), 0x000001u);
  // Nothing outside the cell.
  EXPECT_EQ(pictures->blend.at(x - 1, y), 0u);
  EXPECT_EQ(pictures->blend.at(x + 8, y), 0u);
  EXPECT_EQ(pictures->blend.at(x, y + 8), 0u);
  EXPECT_EQ(pictures->frames[0].at(x, y - 1), 0u);
}

TEST(PreviewRender, CellRenderPlacesEachElementAtItsPixel) {
  auto pictures = std::make_unique<PreviewArrays>();
  engine::CellBuffers cell;
  for (int i = 0; i < 64; ++i) {
    cell.blend[i] = static_cast<uint32_t>(i);  // blue = element index
    for (int f = 0; f < 3; ++f) cell.frames[f][i] = static_cast<uint32_t>(i * 3 + f) << 8;
  }
  renderCell(*pictures, 39, 24, cell);
  for (int row = 0; row < 8; ++row) {
    for (int col = 0; col < 8; ++col) {
      const int i = row * 8 + col;
      ASSERT_EQ(pictures->blend.at(312 + col, 192 + row), static_cast<uint32_t>(i));
      for (int f = 0; f < 3; ++f) {
        ASSERT_EQ(pictures->frames[f].at(312 + col, 192 + row), static_cast<uint32_t>(i * 3 + f)
                                                                    << 8);
      }
    }
  }
}

TEST(PreviewRender, BandRenderChangesOnlyItsTwoRows) {
  auto pictures = std::make_unique<PreviewArrays>();
  renderCell(*pictures, 0, 0, uniformCell(0x111111, 0x222222, 0x333333, 0x444444));
  renderBand(*pictures, 0, 0, 2, uniformCell(0x0000AA, 0x0000BB, 0x0000CC, 0x0000DD));
  for (int row = 0; row < 8; ++row) {
    const bool band = row == 2 || row == 3;
    for (int col = 0; col < 8; ++col) {
      EXPECT_EQ(pictures->blend.at(col, row), band ? 0x0000AAu : 0x111111u);
      EXPECT_EQ(pictures->frames[0].at(col, row), band ? 0x0000BBu : 0x222222u);
      EXPECT_EQ(pictures->frames[1].at(col, row), band ? 0x0000CCu : 0x333333u);
      EXPECT_EQ(pictures->frames[2].at(col, row), band ? 0x0000DDu : 0x444444u);
    }
  }
}

TEST(PreviewRender, LastBandOfTheLastCell) {
  auto pictures = std::make_unique<PreviewArrays>();
  renderBand(*pictures, 39, 24, 6, uniformCell(0x010203, 0, 0, 0));
  EXPECT_EQ(pictures->blend.at(319, 199), 0x010203u);
  EXPECT_EQ(pictures->blend.at(312, 198), 0x010203u);
  EXPECT_EQ(pictures->blend.at(312, 197), 0u);
}

}  // namespace
}  // namespace peltrix
