// Source preparation: the dither examples and the untouched, clipped picture.
#include "colour/source_prep.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace peltrix {
namespace {

SourcePicture uniform(uint32_t rgb) {
  SourcePicture p;
  p.rgb.assign(kPixels, rgb);
  return p;
}

struct Prepared {
  std::vector<uint32_t> rgb = std::vector<uint32_t>(kPixels, 0xDEADBEEF);
  std::vector<uint16_t> luma = std::vector<uint16_t>(kPixels, 0xBEEF);
};

Prepared prepare(const SourcePicture& p, int level) {
  Prepared out;
  prepareSource(p, level, out.rgb.data(), out.luma.data());
  return out;
}

TEST(SourcePrep, LevelZeroIsThePictureItself) {
  SourcePicture p;
  for (int i = 0; i < kPixels; ++i) p.rgb[i] = (i * 2654435761u) & 0xFFFFFF;
  const Prepared out = prepare(p, 0);
  EXPECT_EQ(out.rgb, p.rgb);
  const Prepared white = prepare(uniform(0xFFFFFF), 0);
  for (int i = 0; i < kPixels; ++i) {
    ASSERT_EQ(white.rgb[i], 0xFFFFFFu);
    ASSERT_EQ(white.luma[i], 235);
  }
}

TEST(SourcePrep, DitherExamples) {
  const Prepared l3 = prepare(uniform(0xFFFFFF), 3);
  EXPECT_EQ(l3.rgb[0], 0xFFFFFFu);
  EXPECT_EQ(l3.rgb[1], 0xDFDFDFu);  // 255 - 32
  EXPECT_EQ(l3.luma[1], 208);
  EXPECT_EQ(l3.rgb[7 * kWidth + 0], 0xC0C0C0u);  // 255 - 63
  const Prepared l2 = prepare(uniform(0xFFFFFF), 2);
  EXPECT_EQ(l2.rgb[7 * kWidth + 7], 0xF5F5F5u);  // 21 >> 1 = 10 subtracted
  const Prepared l1 = prepare(uniform(0xFFFFFF), 1);
  EXPECT_EQ(l1.rgb[7 * kWidth + 0], 0xF0F0F0u);  // 63 >> 2 = 15
  // The matrix repeats every 8 pixels in both directions.
  EXPECT_EQ(l3.rgb[8 * kWidth + 9], l3.rgb[1]);
}

TEST(SourcePrep, ChannelsClampAtZeroIndependently) {
  const Prepared black = prepare(uniform(0), 3);
  for (int i = 0; i < kPixels; ++i) {
    ASSERT_EQ(black.rgb[i], 0u);
    ASSERT_EQ(black.luma[i], 16);
  }
  const Prepared mixed = prepare(uniform(0x0A80FF), 3);
  EXPECT_EQ(mixed.rgb[1], 0x0060DFu);  // red 10 - 32 clamps, green and blue just darken
}

TEST(SourcePrep, RepeatableAndOverwritesEverything) {
  const SourcePicture p = uniform(0x123456);
  const Prepared a = prepare(p, 2);
  const Prepared b = prepare(p, 2);
  EXPECT_EQ(a.rgb, b.rgb);
  EXPECT_EQ(a.luma, b.luma);
  for (int i = 0; i < kPixels; ++i) ASSERT_NE(a.luma[i], 0xBEEF);
}

}  // namespace
}  // namespace peltrix
