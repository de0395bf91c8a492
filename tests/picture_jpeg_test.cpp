// JPEG decoding: colour spaces, progressive, clipping, truncation and absurd sizes.
#include <gtest/gtest.h>

#include "colour/picture.hpp"
#include "picture_fixtures.hpp"

namespace peltrix {
namespace {

using namespace fixtures;

SourcePicture decode(const Bytes& bytes) {
  return decodePicture(bytes, "test.jpg");
}

// Blocks of flat colour: JPEG keeps those nearly exact away from the block edges.
uint32_t blocks(int x, int y) {
  const int bx = x / 16, by = y / 16;
  return packRgb((bx * 37) & 0xFF, (by * 53) & 0xFF, ((bx + by) * 29) & 0xFF);
}

// Checks the centre of every 16 x 16 block inside the kept area against `blocks`.
void expectBlocks(const SourcePicture& p, int width, int height, int tolerance) {
  for (int by = 0; by * 16 + 8 < std::min(height, kHeight); ++by) {
    for (int bx = 0; bx * 16 + 8 < std::min(width, kWidth); ++bx) {
      const int x = bx * 16 + 8, y = by * 16 + 8;
      const uint32_t want = blocks(x, y), got = p.rgb[y * kWidth + x];
      ASSERT_LE(maxChannelDifference({want}, {got}), tolerance)
          << "block " << bx << "," << by << " want " << std::hex << want << " got " << got;
    }
  }
}

TEST(PictureJpeg, ColourSpacesDecodeToTheirColours) {
  for (JpegKind kind : {JpegKind::kRgb, JpegKind::kCmykAdobe, JpegKind::kYcckAdobe}) {
    SCOPED_TRACE(static_cast<int>(kind));
    JpegOptions o;
    o.width = 96, o.height = 64, o.kind = kind;
    const SourcePicture p = decode(encodeJpeg(o, blocks));
    EXPECT_EQ(p.width, 96);
    EXPECT_EQ(p.height, 64);
    expectBlocks(p, 96, 64, 3);
  }
}

TEST(PictureJpeg, AdobeCmykIsInverted) {
  // Stored (inverted) C = 255, M = 0, Y = 255, K = 255: no cyan or yellow ink, full magenta.
  JpegOptions o;
  o.width = o.height = 16, o.kind = JpegKind::kCmykAdobe;
  const SourcePicture p = decode(encodeJpeg(o, [](int, int) { return packRgb(255, 0, 255); }));
  EXPECT_LE(maxChannelDifference({p.rgb[8 * kWidth + 8]}, {packRgb(255, 0, 255)}), 2);
}

TEST(PictureJpeg, GreyscaleSpreadsToAllThreeChannels) {
  JpegOptions o;
  o.width = 64, o.height = 32, o.kind = JpegKind::kGrey;
  const SourcePicture p = decode(encodeJpeg(o, [](int x, int) { return packRgb(0, x * 4, 0); }));
  for (int x = 0; x < 64; ++x) {
    const uint32_t v = p.rgb[10 * kWidth + x];
    EXPECT_EQ(red(v), green(v));
    EXPECT_EQ(blue(v), green(v));
    EXPECT_NEAR(static_cast<int>(green(v)), x * 4, 2);
  }
}

TEST(PictureJpeg, ProgressiveDecodesLikeBaseline) {
  for (bool subsample : {false, true}) {
    JpegOptions o;
    o.width = 333, o.height = 211, o.quality = 90, o.subsample = subsample;
    const SourcePicture baseline = decode(encodeJpeg(o, gradient));
    o.progressive = true;
    const SourcePicture progressive = decode(encodeJpeg(o, gradient));
    // The same quantised coefficients, only sent in another order.
    EXPECT_EQ(progressive.rgb, baseline.rgb);
    EXPECT_LE(maxChannelDifference(baseline.rgb, expectedTopLeft(333, 211, gradient)), 8);
  }
}

TEST(PictureJpeg, ArithmeticCodingDecodesLikeHuffman) {
  JpegOptions o;
  o.width = 120, o.height = 90, o.quality = 90;
  const SourcePicture huffman = decode(encodeJpeg(o, gradient));
  o.arithmetic = true;
  const Bytes arithmetic = encodeJpeg(o, gradient);
  EXPECT_EQ(decode(arithmetic).rgb, huffman.rgb);
  // The arithmetic decoder pads a cut file silently; it must still count as truncated.
  const Bytes cut(arithmetic.begin(),
                  arithmetic.begin() + static_cast<long>(arithmetic.size() / 2));
  EXPECT_THROW(decode(cut), PictureLoadError);
}

TEST(PictureJpeg, LargePictureIsClippedNotScaled) {
  JpegOptions o;
  o.width = 640, o.height = 400;
  const SourcePicture p = decode(encodeJpeg(o, blocks));
  EXPECT_EQ(p.width, 640);
  EXPECT_EQ(p.height, 400);
  expectBlocks(p, 640, 400, 3);
}

TEST(PictureJpeg, SmallPictureLeavesTheRestBlack) {
  JpegOptions o;
  o.width = 100, o.height = 50;
  const SourcePicture p = decode(encodeJpeg(o, [](int, int) { return 0xFFFFFFu; }));
  EXPECT_EQ(p.rgb[49 * kWidth + 99], 0xFFFFFFu);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (x >= 100 || y >= 50) {
        ASSERT_EQ(p.rgb[y * kWidth + x], 0u) << x << "," << y;
      }
}

TEST(PictureJpeg, OnlyTheFirst200RowsAreNeeded) {
  // Restart markers every MCU row (8 pixel rows at 4:4:4) show where row 200 starts.
  JpegOptions o;
  o.width = 64, o.height = 400, o.restartRows = 1;
  Bytes jpeg = encodeJpeg(o, blocks);
  const std::size_t row200 = restartMarkerOffset(jpeg, 24);  // marker before MCU row 25
  ASSERT_GT(row200, 0u);
  const Bytes cut(jpeg.begin(), jpeg.begin() + static_cast<long>(row200));
  const SourcePicture p = decode(cut);
  expectBlocks(p, 64, 400, 3);
  EXPECT_EQ(p.height, 400);

  // Cut inside the rows we need: an error, not a picture padded with grey.
  const std::size_t row100 = restartMarkerOffset(jpeg, 11);
  const Bytes early(jpeg.begin(), jpeg.begin() + static_cast<long>(row100));
  EXPECT_THROW(
      {
        try {
          decode(early);
        } catch (const PictureLoadError& e) {
          EXPECT_STREQ(e.what(), "test.jpg: truncated JPEG data");
          throw;
        }
      },
      PictureLoadError);
  // The same with an end marker stuck on, as some repair tools do.
  Bytes patched = early;
  patched.insert(patched.end(), {0xFF, 0xD9});
  EXPECT_THROW(decode(patched), PictureLoadError);
}

TEST(PictureJpeg, MissingEndMarkerAloneIsAccepted) {
  JpegOptions o;
  Bytes jpeg = encodeJpeg(o, blocks);
  ASSERT_EQ(jpeg[jpeg.size() - 2], 0xFF);
  ASSERT_EQ(jpeg[jpeg.size() - 1], 0xD9);
  jpeg.resize(jpeg.size() - 2);
  expectBlocks(decode(jpeg), 64, 48, 3);
}

TEST(PictureJpeg, TruncationAnywhereIsReported) {
  for (bool progressive : {false, true}) {
    JpegOptions o;
    o.width = 120, o.height = 90, o.progressive = progressive, o.quality = 90;
    const Bytes jpeg = encodeJpeg(o, gradient);
    // Every cut from inside the headers to just before the last scan's end.
    for (std::size_t cut = 3; cut + 40 < jpeg.size(); cut += 7) {
      const Bytes part(jpeg.begin(), jpeg.begin() + static_cast<long>(cut));
      try {
        decode(part);
        ADD_FAILURE() << "cut at " << cut << " of " << jpeg.size() << " decoded";
      } catch (const PictureLoadError& e) {
        EXPECT_STREQ(e.what(), "test.jpg: truncated JPEG data") << "cut at " << cut;
      }
    }
  }
}

TEST(PictureJpeg, AbsurdSizesFailWithoutHugeAllocations) {
  if (!kCanLimitAddressSpace) GTEST_SKIP() << "address-space limits do not work under sanitizers";
  JpegOptions o;
  Bytes baseline = encodeJpeg(o, blocks);
  patchJpegSize(baseline, 60000, 60000);
  EXPECT_EQ(decodeWithinMemory([&] { decode(baseline); }, 64u << 20),
            "error: test.jpg: truncated JPEG data");

  o.progressive = true;
  Bytes progressive = encodeJpeg(o, blocks);
  patchJpegSize(progressive, 60000, 60000);
  const std::string result = decodeWithinMemory([&] { decode(progressive); }, 64u << 20);
  EXPECT_NE(result.find("test.jpg: progressive JPEG too large to decode (60000 x 60000"),
            std::string::npos)
      << result;
}

TEST(PictureJpeg, VeryWidePictureKeepsItsLeftColumns) {
  if (!kCanLimitAddressSpace) GTEST_SKIP() << "address-space limits do not work under sanitizers";
  JpegOptions o;
  o.width = 60000, o.height = 16, o.quality = 50;
  const Bytes jpeg = encodeJpeg(o, blocks);
  std::string result = decodeWithinMemory(
      [&] {
        const SourcePicture p = decode(jpeg);
        if (p.width != 60000 || maxChannelDifference({p.rgb[8 * kWidth + 24]}, {blocks(24, 8)}) > 3)
          throw std::runtime_error("wrong");
      },
      64u << 20);
  EXPECT_EQ(result, "ok");
}

TEST(PictureJpeg, CorruptHeadersAreErrors) {
  JpegOptions o;
  const Bytes good = encodeJpeg(o, blocks);
  Bytes zeroHeight = good;
  patchJpegSize(zeroHeight, 64, 0);
  EXPECT_THROW(decode(zeroHeight), PictureLoadError);
  const Bytes onlySoi = {0xFF, 0xD8};
  EXPECT_THROW(decode(onlySoi), PictureLoadError);
  Bytes garbage = good;
  for (std::size_t i = 2; i < 200 && i < garbage.size(); ++i) garbage[i] ^= 0x5A;
  EXPECT_THROW(decode(garbage), PictureLoadError);
}

}  // namespace
}  // namespace peltrix
