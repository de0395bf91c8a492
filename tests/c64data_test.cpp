// C64 frame data assembly, byte by byte: screen bytes from the first and last differing
// colour, bitmap bits, the FLI band order of the screen memories and the block offsets.
#include "output/c64data.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "colour/geometry.hpp"

namespace peltrix {
namespace {

// Planes with every pixel of every frame set to one colour, and helpers to paint them.
struct Frames {
  std::unique_ptr<engine::FramePlanes> p = std::make_unique<engine::FramePlanes>();
  explicit Frames(int colour = 0) {
    for (int f = 0; f < 3; ++f) {
      for (int i = 0; i < kPixels; ++i) p->frames[f].store(i, static_cast<uint8_t>(colour));
    }
  }
  void set(int f, int x, int y, int colour) {
    p->frames[f].store(y * kWidth + x, static_cast<uint8_t>(colour));
  }
  void fillCell(int f, int cx, int cy, int colour) {
    for (int r = 0; r < 8; ++r) {
      for (int c = 0; c < 8; ++c) set(f, cx * 8 + c, cy * 8 + r, colour);
    }
  }
  std::vector<uint8_t> assemble(DataForm form) const { return assembleC64Data(*p, form); }
};

TEST(C64Data, SingleColourCellGivesColourAndBlackWithAllBitsSet) {
  Frames frames(0);
  frames.fillCell(1, 3, 2, 7);  // frame 2, cell (3, 2), yellow
  const auto out = frames.assemble(DataForm::NonFli);
  const int cell = 2 * 40 + 3;
  EXPECT_EQ(out[0x2400 + cell], 0x70);
  for (int r = 0; r < 8; ++r) EXPECT_EQ(out[0x2400 + 0x400 + 2 * 320 + 3 * 8 + r], 0xFF);
  // An all-black cell is "black, black" with every bit on, in every frame.
  EXPECT_EQ(out[0], 0x00);
  EXPECT_EQ(out[0x400], 0xFF);
}

TEST(C64Data, BlackTopLeftWithWhiteRest) {
  Frames frames(1);
  frames.set(0, 0, 0, 0);  // frame 1, cell (0, 0): only the top-left pixel black
  const auto out = frames.assemble(DataForm::NonFli);
  EXPECT_EQ(out[0], 0x01);
  EXPECT_EQ(out[0x400], 0x80);
  for (int r = 1; r < 8; ++r) EXPECT_EQ(out[0x400 + r], 0x00);
}

TEST(C64Data, SecondColourIsTheLastDifferingPixelInScanOrder) {
  Frames frames(5);
  frames.set(2, 8 + 1, 0, 2);  // cell (1, 0) of frame 3: red early ...
  frames.set(2, 8 + 6, 7, 6);  // ... blue in the last row
  frames.set(2, 8 + 3, 4, 2);  // red again, earlier in scan order than the blue
  const auto out = frames.assemble(DataForm::NonFli);
  EXPECT_EQ(out[0x4800 + 1], 0x56);
  EXPECT_EQ(out[0x4C00 + 8 + 0], 0xBF);  // bit 6 (column 1) clear
  EXPECT_EQ(out[0x4C00 + 8 + 7], 0xFD);  // bit 1 (column 6) clear
  EXPECT_EQ(out[0x4C00 + 8 + 4], 0xEF);  // column 3 clear
}

TEST(C64Data, LastCellOfFrame3LandsAtTheEndOfItsBlock) {
  Frames frames(0);
  frames.fillCell(2, 39, 24, 14);
  frames.set(2, 39 * 8 + 7, 24 * 8 + 7, 3);  // bottom-right pixel cyan
  const auto out = frames.assemble(DataForm::NonFli);
  EXPECT_EQ(out[0x4BE7], 0xE3);
  for (int r = 0; r < 7; ++r) EXPECT_EQ(out[0x4C00 + 7992 + r], 0xFF);
  EXPECT_EQ(out[0x4C00 + 7999], 0xFE);
  // The rest of the block (unused screen and bitmap tails) is zero, and it ends the data.
  for (int i = 0x4BE8; i < 0x4C00; ++i) ASSERT_EQ(out[i], 0) << i;
  for (int i = 0x4C00 + 8000; i < 0x6C00; ++i) ASSERT_EQ(out[i], 0) << i;
  EXPECT_EQ(out.size(), 0x6C00u);
}

TEST(C64Data, FliBandsUseTheirOwnScreenMemories) {
  Frames frames(0);
  // Cell (2, 1) of frame 1: band b a single colour b + 1 (rows 2b, 2b + 1).
  for (int b = 0; b < 4; ++b) {
    for (int r = 0; r < 2; ++r) {
      for (int c = 0; c < 8; ++c) frames.set(0, 16 + c, 8 + 2 * b + r, b + 1);
    }
  }
  frames.set(0, 16 + 7, 8 + 1, 9);  // band 0's second colour, last pixel of row 1
  const auto out = frames.assemble(DataForm::Fli);
  const int cell = 40 + 2;
  EXPECT_EQ(out[0x400 + cell], 0x19);  // band 0 (rows 0-1)
  EXPECT_EQ(out[0x800 + cell], 0x20);  // band 1 (rows 2-3)
  EXPECT_EQ(out[0xC00 + cell], 0x30);  // band 2 (rows 4-5)
  EXPECT_EQ(out[0x000 + cell], 0x40);  // band 3 (rows 6-7)
  const int bitmap = 0x1000 + 320 + 2 * 8;
  EXPECT_EQ(out[bitmap + 0], 0xFF);
  EXPECT_EQ(out[bitmap + 1], 0xFE);
  for (int r = 2; r < 8; ++r) EXPECT_EQ(out[bitmap + r], 0xFF);
  // Frame blocks are 0x3000 apart: frame 3's band 3 of the same cell.
  EXPECT_EQ(out[0x6000 + cell], 0x00);
  EXPECT_EQ(out[0x6000 + 0x1000 + 320 + 16], 0xFF);
}

TEST(C64Data, FliFillsExactly36864BytesAndNonFli27648) {
  Frames frames(0);
  const auto fli = frames.assemble(DataForm::Fli);
  EXPECT_EQ(fli.size(), 0x9000u);
  EXPECT_EQ(fli[0x8FFF], 0);
  EXPECT_EQ(fli[0x1000 + 7999], 0xFF);
  EXPECT_EQ(fli[0x1000 + 8000], 0);
  // Padding between screen memories stays zero.
  for (int i = 1000; i < 1024; ++i) EXPECT_EQ(fli[0x3000 + 0x400 + i], 0);
  EXPECT_EQ(dataSize(DataForm::Fli), 36864);
  EXPECT_EQ(dataSize(DataForm::NonFli), 27648);
}

TEST(C64Data, IndicesAreWrittenAsTheyAreWhateverTheirColours) {
  Frames frames(9);
  frames.set(0, 0, 0, 15);  // two indices that a palette may give one colour stay apart
  const auto out = frames.assemble(DataForm::NonFli);
  EXPECT_EQ(out[0], 0xF9);
  EXPECT_EQ(out[0x400], 0x80);
}

}  // namespace
}  // namespace peltrix
