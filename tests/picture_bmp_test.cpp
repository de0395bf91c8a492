// BMP reading: every header, depth and layout, RLE, truncation and broken headers.
#include <gtest/gtest.h>

#include <bit>

#include "colour/picture.hpp"
#include "picture_fixtures.hpp"

namespace peltrix {
namespace {

using namespace fixtures;

SourcePicture decode(const Bytes& bytes) {
  return decodePicture(bytes, "test.bmp");
}

std::string errorOf(const Bytes& bytes) {
  try {
    decode(bytes);
  } catch (const PictureLoadError& e) {
    return e.what();
  }
  return "decoded";
}

// A field of `mask` widened to 0..255 with rounding.
uint32_t field(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const uint64_t max = mask >> shift;
  return static_cast<uint32_t>((((pixel & mask) >> shift) * 255 + max / 2) / max);
}

struct BmpCase {
  const char* label;
  uint32_t headerSize;
  uint16_t bitsPerPixel;
  uint32_t compression = 0;
  std::vector<uint32_t> masks = {};
  int paletteSize = 0;  // less than 1 << bits: indices past it must come out black
};

const BmpCase kCases[] = {
    {"core 1", 12, 1, 0, {}, 2},
    {"core 4", 12, 4, 0, {}, 16},
    {"core 8", 12, 8, 0, {}, 256},
    {"core 24", 12, 24},
    {"info 1", 40, 1, 0, {}, 2},
    {"info 2", 40, 2, 0, {}, 4},
    {"info 4 short palette", 40, 4, 0, {}, 11},
    {"info 8", 40, 8, 0, {}, 256},
    {"info 8 short palette", 40, 8, 0, {}, 100},
    {"info 16 (555)", 40, 16},
    {"info 16 bit fields 565", 40, 16, 3, {0xF800, 0x07E0, 0x001F}},
    {"info 24", 40, 24},
    {"info 32", 40, 32},
    {"info 32 bit fields", 40, 32, 3, {0x0000FF00, 0x00FF0000, 0xFF000000}},
    {"info 32 alpha bit fields", 40, 32, 6, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}},
    {"V3 52 16 bit fields 444", 52, 16, 3, {0x0F00, 0x00F0, 0x000F}},
    {"V4 32 bit fields 10-10-10", 108, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}},
    {"V5 24", 124, 24},
    {"V5 16 bit fields", 124, 16, 3, {0x7C00, 0x03E0, 0x001F, 0x8000}},
    {"OS/2 2.x 8", 64, 8, 0, {}, 256},
};

uint32_t sampleOf(int x, int y, int bits) {
  const uint32_t h = static_cast<uint32_t>(x * 73 + y * 151 + x * y) * 2654435761u;
  return bits == 32 ? h : h >> (32 - bits);
}

TEST(PictureBmp, EveryHeaderDepthAndRowOrderExactly) {
  for (const BmpCase& c : kCases) {
    for (bool topDown : {false, true}) {
      if (topDown && c.headerSize == 12) continue;  // core headers have no sign
      SCOPED_TRACE(std::string(c.label) + (topDown ? " top-down" : " bottom-up"));
      const int width = 37, height = 23;  // odd widths exercise the row padding
      BmpBuilder b;
      b.headerSize = c.headerSize, b.bitsPerPixel = c.bitsPerPixel, b.compression = c.compression;
      b.width = width, b.height = topDown ? -height : height, b.masks = c.masks;
      for (int i = 0; i < c.paletteSize; ++i) b.palette.push_back(distinct(i, 3 * i));
      if (c.paletteSize > 0 && c.paletteSize < (1 << c.bitsPerPixel)) b.coloursUsed = c.paletteSize;
      b.pixels = bmpRows(width, height, c.bitsPerPixel, topDown,
                         [&](int x, int y) { return sampleOf(x, y, c.bitsPerPixel); });

      const std::vector<uint32_t> want = expectedTopLeft(width, height, [&](int x, int y) {
        const uint32_t s = sampleOf(x, y, c.bitsPerPixel);
        if (c.bitsPerPixel <= 8) return s < b.palette.size() ? b.palette[s] : 0u;
        if (c.bitsPerPixel == 24) return s & 0xFFFFFF;
        std::vector<uint32_t> m = c.masks;
        if (m.empty())
          m = c.bitsPerPixel == 16 ? std::vector<uint32_t>{0x7C00, 0x03E0, 0x001F}
                                   : std::vector<uint32_t>{0xFF0000, 0xFF00, 0xFF};
        return packRgb(field(s, m[0]), field(s, m[1]), field(s, m[2]));
      });
      const SourcePicture p = decode(b.build());
      EXPECT_EQ(p.width, width);
      EXPECT_EQ(p.height, height);
      EXPECT_EQ(p.rgb, want);
    }
  }
}

TEST(PictureBmp, SixteenBitFieldsWidenToFullRange) {
  BmpBuilder b;
  b.bitsPerPixel = 16, b.width = 4, b.height = 1;
  b.pixels = {0xFF, 0x7F, 0x10, 0x42, 0x00, 0x7C, 0x1F, 0x00};  // 555: white, 16/16/16, red, blue
  const SourcePicture p = decode(b.build());
  EXPECT_EQ(p.rgb[0], 0xFFFFFFu);
  EXPECT_EQ(p.rgb[1], packRgb(132, 132, 132));
  EXPECT_EQ(p.rgb[2], 0xFF0000u);
  EXPECT_EQ(p.rgb[3], 0x0000FFu);
}

TEST(PictureBmp, LargePictureIsClippedNotScaled) {
  for (bool topDown : {false, true}) {
    BmpBuilder b;
    b.width = 640, b.height = topDown ? -400 : 400;
    b.pixels = bmpRows(640, 400, 24, topDown, distinct);
    const SourcePicture p = decode(b.build());
    EXPECT_EQ(p.width, 640);
    EXPECT_EQ(p.height, 400);
    EXPECT_EQ(p.rgb, expectedTopLeft(640, 400, distinct));
  }
}

TEST(PictureBmp, OnlyTheKeptRowsMustBePresent) {
  BmpBuilder b;
  b.width = 50, b.height = -400;  // top-down: the kept rows come first
  b.pixels = bmpRows(50, 400, 24, true, distinct);
  b.pixels.resize(b.pixels.size() / 2);
  EXPECT_EQ(decode(b.build()).rgb, expectedTopLeft(50, 400, distinct));

  b.height = 400;  // bottom-up: the kept rows are the ones cut off
  EXPECT_EQ(errorOf(b.build()), "test.bmp: truncated BMP data");
}

TEST(PictureBmp, TruncationAnywhereIsReported) {
  BmpBuilder b;
  b.bitsPerPixel = 8, b.width = 32, b.height = 20;  // no row padding: every byte is needed
  for (int i = 0; i < 256; ++i) b.palette.push_back(distinct(i, i));
  b.pixels = bmpRows(32, 20, 8, false, [](int x, int y) { return uint32_t(x + y); });
  const Bytes whole = b.build();
  for (std::size_t cut = 1; cut < whole.size(); cut += 13) {
    const Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
    const std::string error = errorOf(part);
    // Cut inside "BM" the content no longer says BMP.
    if (cut < 2) {
      EXPECT_EQ(error, "test.bmp: not a JPEG, PNG or BMP picture");
    } else {
      EXPECT_EQ(error, "test.bmp: truncated BMP data") << "cut at " << cut;
    }
  }
}

TEST(PictureBmp, AbsurdSizeFailsWithoutHugeAllocations) {
  if (!kCanLimitAddressSpace) GTEST_SKIP() << "address-space limits do not work under sanitizers";
  BmpBuilder b;
  b.width = 60000, b.height = 60000;
  b.pixels = Bytes(1000, 0x55);
  EXPECT_EQ(decodeWithinMemory([&] { decode(b.build()); }, 64u << 20),
            "error: test.bmp: truncated BMP data");
  b.width = 0x7FFFFFFF, b.height = -0x7FFFFFFF, b.bitsPerPixel = 32;
  EXPECT_EQ(decodeWithinMemory([&] { decode(b.build()); }, 64u << 20),
            "error: test.bmp: truncated BMP data");
}

TEST(PictureBmp, BrokenHeadersAreNamed) {
  BmpBuilder b;
  b.width = 4, b.height = 4;
  b.pixels = bmpRows(4, 4, 24, false, distinct);
  auto variant = [&](auto change) {
    BmpBuilder v = b;
    change(v);
    return errorOf(v.build());
  };
  EXPECT_EQ(variant([](BmpBuilder& v) { v.width = 0; }),
            "test.bmp: invalid BMP dimensions (0 x 4)");
  EXPECT_EQ(variant([](BmpBuilder& v) { v.height = 0; }),
            "test.bmp: invalid BMP dimensions (4 x 0)");
  EXPECT_EQ(variant([](BmpBuilder& v) { v.width = -4; }),
            "test.bmp: invalid BMP dimensions (-4 x 4)");
  EXPECT_EQ(variant([](BmpBuilder& v) { v.bitsPerPixel = 3; }),
            "test.bmp: unsupported BMP bit depth (3)");
  EXPECT_EQ(variant([](BmpBuilder& v) { v.compression = 4; }),
            "test.bmp: unsupported BMP compression (JPEG)");
  EXPECT_EQ(variant([](BmpBuilder& v) { v.compression = 5; }),
            "test.bmp: unsupported BMP compression (PNG)");
  EXPECT_EQ(variant([](BmpBuilder& v) {
              v.bitsPerPixel = 16, v.compression = 3, v.masks = {0xF0F0, 0x0F00, 0x000F};
            }),
            "test.bmp: invalid BMP colour masks");
  EXPECT_EQ(variant([](BmpBuilder& v) {
              v.compression = 3, v.masks = {0xFF0000, 0xFF00, 0xFF};
            }),
            "test.bmp: unsupported BMP bit depth (24 with bit fields)");
  EXPECT_EQ(variant([](BmpBuilder& v) { v.compression = 1; }),
            "test.bmp: invalid BMP: RLE8 with 24 bits per pixel");
  EXPECT_EQ(
      variant([](BmpBuilder& v) { v.headerSize = 64, v.compression = 3, v.bitsPerPixel = 1; }),
      "test.bmp: unsupported BMP compression (Huffman 1D)");
  // A header size no writer uses: not taken for a BMP at all.
  EXPECT_EQ(variant([](BmpBuilder& v) { v.headerSize = 77; }),
            "test.bmp: not a JPEG, PNG or BMP picture");
}

// Palette of four: black is not among them, so untouched pixels stand out.
const std::vector<uint32_t> kRlePalette = {0x112233, 0x445566, 0x778899, 0xAABBCC};
constexpr uint32_t B = 0;  // a pixel the stream skips

std::vector<uint32_t> rleExpected(int width, const std::vector<std::vector<uint32_t>>& rows) {
  return expectedTopLeft(width, static_cast<int>(rows.size()),
                         [&](int x, int y) { return rows[y][x]; });
}

TEST(PictureBmp, Rle8RunsAbsoluteDeltaAndEnds) {
  BmpBuilder b;
  b.bitsPerPixel = 8, b.compression = 1, b.width = 6, b.height = 4, b.palette = kRlePalette;
  b.pixels = {3, 1, 0, 3, 2, 3, 1, 0, 0, 0,  // bottom row: run, odd absolute run + pad, EOL
              2, 2, 0, 2, 1, 1,              // two pixels, then a delta one right, one up
              1, 3, 0, 0,                    // one pixel, EOL
              6, 0, 9, 1,                    // a run past the width is clipped
              0, 1};                         // end of bitmap
  const auto& p = kRlePalette;
  EXPECT_EQ(decode(b.build()).rgb, rleExpected(6, {{p[0], p[0], p[0], p[0], p[0], p[0]},
                                                   {B, B, B, p[3], B, B},
                                                   {p[2], p[2], B, B, B, B},
                                                   {p[1], p[1], p[1], p[2], p[3], p[1]}}));
}

TEST(PictureBmp, Rle4NibblesAlternate) {
  BmpBuilder b;
  b.bitsPerPixel = 4, b.compression = 2, b.width = 7, b.height = 2, b.palette = kRlePalette;
  b.pixels = {7, 0x12, 0,    0,              // bottom row: 1 2 1 2 1 2 1
              0, 5,    0x30, 0x12, 0x30, 0,  // top row: absolute 3 0 1 2 3, padded
              2, 0x21};                      // then 2 1, and the stream ends without EOB
  const auto& p = kRlePalette;
  EXPECT_EQ(decode(b.build()).rgb, rleExpected(7, {{p[3], p[0], p[1], p[2], p[3], p[2], p[1]},
                                                   {p[1], p[2], p[1], p[2], p[1], p[2], p[1]}}));
}

TEST(PictureBmp, RleStreamsCutShortAreTruncated) {
  BmpBuilder b;
  b.bitsPerPixel = 8, b.compression = 1, b.width = 4, b.height = 3, b.palette = kRlePalette;
  b.pixels = {4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 1};
  ASSERT_EQ(errorOf(b.build()), "decoded");
  for (std::size_t keep : {0, 1, 3, 5, 7}) {
    BmpBuilder cut = b;
    cut.pixels.resize(keep);
    EXPECT_EQ(errorOf(cut.build()), "test.bmp: truncated BMP data") << keep;
  }
  BmpBuilder topDown = b;
  topDown.height = -3;
  EXPECT_EQ(errorOf(topDown.build()), "test.bmp: invalid BMP: compressed rows cannot run top-down");
}

}  // namespace
}  // namespace peltrix
