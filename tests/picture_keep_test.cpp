// What a decode keeps: a 320 x 200 window anywhere in (or past) the picture, or the whole
// picture within its bound (a big JPEG reduced by libjpeg where that suffices), and whether
// a kept pixel had its transparency flattened onto black.
#include <gtest/gtest.h>

#include "colour/picture.hpp"
#include "picture_fixtures.hpp"

namespace peltrix {
namespace {

using namespace fixtures;

KeepRequest window(uint32_t left, uint32_t top) {
  KeepRequest k;
  k.left = left, k.top = top;
  return k;
}

KeepRequest whole(uint64_t minWidth = 0, uint64_t minHeight = 0) {
  KeepRequest k;
  k.whole = true;
  if (minWidth > 0) {
    k.minimumSize = [=](uint32_t, uint32_t) { return KeepRequest::Size{minWidth, minHeight}; };
  }
  return k;
}

// The columns x rows pixels from (left, top) of a width x height picture drawn by f.
std::vector<uint32_t> expectedRegion(int width, int height, int left, int top, int columns,
                                     int rows, const PixelFn& f) {
  std::vector<uint32_t> out(static_cast<std::size_t>(columns) * rows, 0);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      if (left + x < width && top + y < height) out[y * columns + x] = f(left + x, top + y);
    }
  }
  return out;
}

// An RLE8 stream of f's palette indices: one run per pixel, bottom row first.
Bytes rle8Rows(int width, int height, const std::function<uint8_t(int x, int y)>& index) {
  Bytes out;
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) out.insert(out.end(), {1, index(x, y)});
    out.insert(out.end(), {0, 0});
  }
  out.insert(out.end(), {0, 1});
  return out;
}

TEST(PictureKeep, AWindowAnywhereHoldsThePicturesOwnPixelsAndBlackPastItsEdges) {
  struct Window {
    uint32_t left, top;
  };
  const Window windows[] = {{0, 0}, {123, 77}, {380, 300}, {600, 400}, {700, 0}, {5000, 9000}};
  for (const LosslessPicture& picture : losslessPictures(distinct)) {
    for (const Window& w : windows) {
      const DecodedPicture kept =
          decodePictureKeeping(picture.bytes, "test", window(w.left, w.top));
      EXPECT_EQ(kept.width, 700u);
      EXPECT_EQ(kept.height, 500u);
      ASSERT_EQ(kept.columns, 320u);
      ASSERT_EQ(kept.rows, 200u);
      EXPECT_EQ(kept.rgb, expectedRegion(700, 500, w.left, w.top, 320, 200, distinct))
          << picture.label << " from (" << w.left << ", " << w.top << ")";
    }
  }
  // RLE: each pixel a palette index; the stream is walked from the bottom up.
  BmpBuilder rle;
  rle.bitsPerPixel = 8, rle.compression = 1, rle.width = 500, rle.height = 300;
  for (int i = 0; i < 256; ++i) rle.palette.push_back(distinct(i, 3 * i));
  auto index = [](int x, int y) { return static_cast<uint8_t>(x * 3 + y * 7); };
  rle.pixels = rle8Rows(500, 300, index);
  const DecodedPicture kept = decodePictureKeeping(rle.build(), "test", window(250, 150));
  EXPECT_EQ(kept.rgb, expectedRegion(500, 300, 250, 150, 320, 200,
                                     [&](int x, int y) { return rle.palette[index(x, y)]; }));
}

TEST(PictureKeep, AJpegWindowIsTheSameRegionOfTheWholeDecode) {
  for (bool progressive : {false, true}) {
    JpegOptions o;
    o.width = 640, o.height = 480, o.quality = 90, o.progressive = progressive;
    const Bytes jpeg = encodeJpeg(o, gradient);
    const DecodedPicture all = decodePictureKeeping(jpeg, "test.jpg", whole());
    ASSERT_EQ(all.columns, 640u);
    ASSERT_EQ(all.rows, 480u);
    const DecodedPicture part = decodePictureKeeping(jpeg, "test.jpg", window(250, 190));
    const PixelFn fromAll = [&](int x, int y) { return all.rgb[y * 640 + x]; };
    EXPECT_EQ(part.rgb, expectedRegion(640, 480, 250, 190, 320, 200, fromAll)) << progressive;
    EXPECT_EQ(decodePicture(jpeg, "test.jpg").rgb, expectedTopLeft(640, 480, fromAll));
  }
}

TEST(PictureKeep, WholePicturesComeWholeAndTheWindowStaysTheTopLeft) {
  for (const LosslessPicture& picture : losslessPictures(distinct)) {
    const DecodedPicture kept = decodePictureKeeping(picture.bytes, "test", whole());
    ASSERT_EQ(kept.columns, 700u) << picture.label;
    ASSERT_EQ(kept.rows, 500u);
    EXPECT_EQ(kept.rgb, expectedRegion(700, 500, 0, 0, 700, 500, distinct)) << picture.label;
    EXPECT_EQ(decodePicture(picture.bytes, "test").rgb, expectedTopLeft(700, 500, distinct));
  }
}

TEST(PictureKeep, ALargeJpegIsReducedByLibjpegOnlyAsFarAsTheRequestAllows) {
  JpegOptions o;
  o.width = 2000, o.height = 1000, o.quality = 80;
  const Bytes jpeg = encodeJpeg(o, gradient);
  struct Case {
    uint64_t minWidth, minHeight;
    uint32_t columns, rows;
  };
  const Case cases[] = {
      {400, 200, 500, 250},    // 1/8 would be 250 x 125, too small
      {250, 125, 250, 125},    // 1/8 is just enough
      {1001, 10, 2000, 1000},  // even 1/2 is too narrow
      {1000, 500, 1000, 500},  // 1/2
      {0, 0, 2000, 1000},      // no minimum given: the full size
  };
  for (const Case& c : cases) {
    const DecodedPicture kept =
        decodePictureKeeping(jpeg, "test.jpg", whole(c.minWidth, c.minHeight));
    EXPECT_EQ(kept.width, 2000u);
    EXPECT_EQ(kept.height, 1000u);
    EXPECT_EQ(kept.columns, c.columns) << c.minWidth << " x " << c.minHeight;
    EXPECT_EQ(kept.rows, c.rows) << c.minWidth << " x " << c.minHeight;
    // Reduced or not, it is the same picture.
    const uint32_t mid = kept.rgb[kept.rows / 2 * kept.columns + kept.columns / 2];
    EXPECT_LE(maxChannelDifference({mid}, {gradient(1000, 500)}), 8) << c.columns;
  }
}

TEST(PictureKeep, WholePicturesPastTheBoundTakeNothingLarge) {
  if (!kCanLimitAddressSpace) GTEST_SKIP() << "address-space limits do not work under sanitizers";
  // A PNG or BMP is reduced as it is decoded, in little memory; here its data then runs out.
  Bytes png = encodeRgbPng(64, 64, distinct);
  patchPngHeader(png, 20000, 20000);
  EXPECT_EQ(decodeWithinMemory([&] { decodePictureKeeping(png, "test.png", whole()); }, 64u << 20),
            "error: test.png: cannot decode PNG data (Not enough image data)");
  // Windows need no more than before, wherever they lie.
  const std::string far = decodeWithinMemory(
      [&] { decodePictureKeeping(png, "test.png", window(19000, 19000)); }, 64u << 20);
  EXPECT_EQ(far.rfind("error: test.png: ", 0), 0u) << far;

  BmpBuilder bmp;
  bmp.width = 30000, bmp.height = 20000;
  bmp.pixels = Bytes(1000, 0x55);
  EXPECT_EQ(
      decodeWithinMemory([&] { decodePictureKeeping(bmp.build(), "t.bmp", whole()); }, 64u << 20),
      "error: t.bmp: truncated BMP data");

  // A JPEG is refused only when even 1/8 of it is too large: 60000 / 8 = 7500, 7500^2 > 2^25.
  JpegOptions o;
  Bytes jpeg = encodeJpeg(o, gradient);
  patchJpegSize(jpeg, 60000, 60000);
  EXPECT_EQ(decodeWithinMemory([&] { decodePictureKeeping(jpeg, "t.jpg", whole()); }, 64u << 20),
            "error: t.jpg: picture too large to scale (60000 x 60000; at most 33554432 pixels)");
  // 40000 / 8 = 5000: 25 million pixels are within the bound; the data then runs out.
  patchJpegSize(jpeg, 40000, 40000);
  EXPECT_EQ(
      decodeWithinMemory([&] { decodePictureKeeping(jpeg, "t.jpg", whole(320, 200)); }, 160u << 20),
      "error: t.jpg: truncated JPEG data");
}

TEST(PictureKeep, TransparencyIsNotedOnlyWhereAKeptPixelWasNotOpaque) {
  // RGBA, opaque except for a translucent strip at x >= 600.
  PngOptions o;
  o.width = 700, o.height = 300, o.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  const Bytes strip = encodePng(o, [](int y) {
    Bytes r;
    for (int x = 0; x < 700; ++x) {
      r.insert(r.end(), {uint8_t(x), uint8_t(y), 200, uint8_t(x >= 600 ? 128 : 255)});
    }
    return r;
  });
  EXPECT_FALSE(decodePictureKeeping(strip, "t.png", window(0, 0)).transparencyFlattened);
  EXPECT_TRUE(decodePictureKeeping(strip, "t.png", window(300, 0)).transparencyFlattened);
  EXPECT_TRUE(decodePictureKeeping(strip, "t.png", whole()).transparencyFlattened);
  EXPECT_FALSE(decodePictureKeeping(strip, "t.png", window(0, 250)).transparencyFlattened);
  EXPECT_FALSE(decodePicture(strip, "t.png").transparencyFlattened);

  // A palette with one translucent entry, used by one pixel.
  PngOptions p;
  p.width = 16, p.height = 16, p.colourType = PNG_COLOR_TYPE_PALETTE, p.bitDepth = 8;
  p.palette = {{10, 20, 30}, {200, 100, 50}};
  p.paletteAlpha = {255, 0};
  auto pixels = [&](bool withTransparentPixel) {
    return encodePng(p, [=](int y) {
      Bytes r(16, 0);
      if (withTransparentPixel && y == 9) r[3] = 1;
      return r;
    });
  };
  EXPECT_TRUE(decodePicture(pixels(true), "t.png").transparencyFlattened);
  EXPECT_FALSE(decodePicture(pixels(false), "t.png").transparencyFlattened);

  // Formats without transparency never note any.
  JpegOptions j;
  EXPECT_FALSE(decodePicture(encodeJpeg(j, gradient), "t.jpg").transparencyFlattened);
  BmpBuilder b;
  b.width = 8, b.height = 8, b.bitsPerPixel = 32;
  b.pixels = bmpRows(8, 8, 32, false, [](int, int) { return 0x00FFFFFFu; });  // alpha 0
  EXPECT_FALSE(decodePicture(b.build(), "t.bmp").transparencyFlattened);
}

}  // namespace
}  // namespace peltrix
