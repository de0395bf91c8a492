// The colour tables and the luma formula: values the searches depend on bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "colour/luma.hpp"
#include "colour/palettes.hpp"
#include "colour/rgb.hpp"
#include "colour/tables.hpp"

namespace peltrix {
namespace {

TEST(Luma, PaletteExtremesAndGreys) {
  EXPECT_EQ(luma(0, 0, 0), 16);
  EXPECT_EQ(luma(255, 255, 255), 235);  // 235.045 rounds down
  EXPECT_EQ(luma(149, 149, 149), 144);  // 143.991 rounds up
}

TEST(Luma, HalvesGoToEvenInDoublePrecision) {
  EXPECT_EQ(luma(0, 0, 250), 40);  // 40.5 exactly in double: even neighbour, not 41
  EXPECT_EQ(luma(2, 66, 89), 59);  // the double sum, not exact decimal arithmetic
}

TEST(Luma, PaletteLumasMatchTheTable) {
  const int expected[kPaletteSize] = {16, 235, 75,  145, 88,  116, 62,  174,
                                      88, 62,  116, 74,  109, 174, 109, 144};
  for (int i = 0; i < kPaletteSize; ++i) EXPECT_EQ(lumaOfRgb(kPalette[i]), expected[i]) << i;
}

// Every colour, against an independent evaluation of the same double expression: a fused
// multiply-add or std::round anywhere would show up in the half-way cases.
TEST(Luma, AllColoursAndTheHalfwayCount) {
  int halfway = 0;
  for (int r = 0; r < 256; ++r) {
    for (int g = 0; g < 256; ++g) {
      for (int b = 0; b < 256; ++b) {
        const double y = 0.257 * r + 0.504 * g + 0.098 * b + 16.0;
        const double fl = std::floor(y);
        int expected = static_cast<int>(fl);
        if (y - fl > 0.5 || (y - fl == 0.5 && (expected & 1))) ++expected;
        if (y - fl == 0.5) ++halfway;
        ASSERT_EQ(luma(r, g, b), expected) << r << "," << g << "," << b;
      }
    }
  }
  EXPECT_EQ(halfway, 15280);
}

TEST(ColourForms, PackRgbPutsRedHighest) {
  EXPECT_EQ(packRgb(104, 55, 43), 0x68372Bu);
}

TEST(Palette, SixteenDistinctColoursMapBack) {
  std::set<uint32_t> distinct(kPalette.begin(), kPalette.end());
  EXPECT_EQ(distinct.size(), 16u);
  for (int i = 0; i < kPaletteSize; ++i) EXPECT_EQ(paletteIndex(kPalette[i]), i);
  EXPECT_EQ(paletteIndex(0x010101), -1);
}

TEST(PairLists, FullListIsBlackPlusEveryOrderedPair) {
  EXPECT_EQ(kFullPairs[0], 0x00);
  int entry = 1;
  for (int a = 0; a < 16; ++a) {
    for (int b = a + 1; b < 16; ++b) {
      ASSERT_EQ(kFullPairs[entry], a * 16 + b);
      EXPECT_EQ(entry, 1 + a * (31 - a) / 2 + (b - a - 1));
      ++entry;
    }
  }
  EXPECT_EQ(entry, 121);
  EXPECT_EQ(kFullPairs[120], 0xEF);
  EXPECT_EQ(kFullPairs[52], 0x3D);
}

TEST(PairLists, ReducedListKeepsItsRepeats) {
  EXPECT_EQ(kReducedPairs[0], 0x00);
  EXPECT_EQ(kReducedPairs[1], 0x02);
  EXPECT_EQ(kReducedPairs[73], 0x7F);
  EXPECT_EQ(kReducedPairs[74], 0xDF);
  EXPECT_EQ(kReducedPairs[56], 0x13);
  EXPECT_EQ(kReducedPairs[29], 0x58);
  EXPECT_EQ(kReducedPairs[67], 0x58);
  EXPECT_EQ(kReducedPairs[68], 0x5A);
  EXPECT_EQ(kReducedPairs[69], 0x5C);
  EXPECT_EQ(kReducedPairs[70], 0x5E);
  // Entries 0..55: black with black plus every pair of two different darker colours.
  const int dark[] = {0, 2, 4, 5, 6, 8, 9, 10, 11, 12, 14};
  int entry = 1;
  for (int i = 0; i < 11; ++i)
    for (int j = i + 1; j < 11; ++j) EXPECT_EQ(kReducedPairs[entry++], dark[i] * 16 + dark[j]);
  EXPECT_EQ(entry, 56);
  std::set<uint8_t> distinct(kReducedPairs.begin(), kReducedPairs.end());
  EXPECT_EQ(distinct.size(), 71u);
  for (uint8_t p : kReducedPairs) EXPECT_LE(pairHigh(p), pairLow(p));
}

TEST(ExclusionLists, SetsAndContainment) {
  const std::set<uint8_t> basic(kBasicExclusions.begin(), kBasicExclusions.end());
  const std::set<uint8_t> overload(kOverloadExclusions.begin(), kOverloadExclusions.end());
  EXPECT_EQ(basic, (std::set<uint8_t>{0x01, 0x07, 0x0D, 0x12, 0x14, 0x16, 0x19, 0x1B, 0x27, 0x67,
                                      0x6D, 0xBD}));
  EXPECT_EQ(std::count(kBasicExclusions.begin(), kBasicExclusions.end(), 0x27), 15);
  EXPECT_EQ(std::count(kBasicExclusions.begin(), kBasicExclusions.end(), 0x6D), 13);
  EXPECT_EQ(overload.size(), 47u);
  EXPECT_EQ(std::count(kOverloadExclusions.begin(), kOverloadExclusions.end(), 0x7B), 2);
  for (uint8_t code : basic) EXPECT_TRUE(overload.count(code)) << int(code);
  EXPECT_EQ(pairCode(13, 3), 0x3D);
  EXPECT_EQ(pairCode(3, 13), 0x3D);
  EXPECT_FALSE(basic.count(0x3D));
  EXPECT_TRUE(overload.count(0x3D));
  for (int c = 0; c < 16; ++c) EXPECT_FALSE(overload.count(pairCode(c, c)));
}

TEST(DitherMatrix, PermutationOfZeroTo63WithKnownCorners) {
  std::vector<uint32_t> sorted(kDitherMatrix.begin(), kDitherMatrix.end());
  std::sort(sorted.begin(), sorted.end());
  for (uint32_t i = 0; i < 64; ++i) EXPECT_EQ(sorted[i], i);
  EXPECT_EQ(kDitherMatrix[1], 32u);
  EXPECT_EQ(kDitherMatrix[7 * 8 + 0], 63u);
  EXPECT_EQ(kDitherMatrix[7 * 8 + 7], 21u);
}

}  // namespace
}  // namespace peltrix
