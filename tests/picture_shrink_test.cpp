// A whole PNG or BMP past the bound, reduced while it is decoded: each square of the picture
// averaged in linear light into one pixel, by the factor the framing leaves room for; the
// same pixels as the whole picture decoded and then reduced, and files of any size read a
// window at a time.
#include <gtest/gtest.h>

#include "colour/decode_formats.hpp"
#include "colour/framing.hpp"
#include "picture_fixtures.hpp"

namespace peltrix {
namespace {

using namespace fixtures;

KeepRequest reducing(uint64_t minWidth, uint64_t minHeight, uint64_t bound) {
  KeepRequest k;
  k.whole = true;
  k.maxWholePixels = bound;
  k.minimumSize = [=](uint32_t, uint32_t) { return KeepRequest::Size{minWidth, minHeight}; };
  return k;
}

TEST(PictureShrink, EachSquareBecomesItsMeanInLinearLight) {
  // 5 x 5 by 2: squares of 2 x 2, 1 x 2 at the right, 2 x 1 at the bottom, 1 x 1 in the corner.
  const KeepRequest keep = reducing(2, 2, 1);
  Canvas canvas(keep);
  ASSERT_EQ(canvas.open(5, 5, true), Canvas::Opened::Ok);
  const uint32_t white = 0xFFFFFF, colour = packRgb(12, 200, 77);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      if (x < 2 && y < 2) canvas.put(x, y, colour);           // flat: stays as it is
      if (x >= 2) canvas.put(x, y, (x + y) % 2 ? white : 0);  // half white: linear 1/2
      if (x < 2 && y >= 2 && !(x == 1 && y == 3)) canvas.put(x, y, white);  // one pixel left out
    }
  }
  const DecodedPicture kept = canvas.take(5, 5);
  ASSERT_EQ(kept.columns, 3u);
  ASSERT_EQ(kept.rows, 3u);
  EXPECT_EQ(kept.width, 5u);
  const uint32_t grey = packRgb(188, 188, 188);  // sRGB of linear 0.5
  const uint32_t bottomCorner = packRgb(0, 0, 0);
  EXPECT_EQ(kept.rgb, (std::vector<uint32_t>{colour, grey, grey,                  // rows 0-1
                                             packRgb(225, 225, 225), grey, grey,  // 3/4 white
                                             white, grey, bottomCorner}));        // row 4
}

TEST(PictureShrink, TheFactorLeavesWhatTheFramingNeedsWithinTheBound) {
  Framing fit;
  fit.mode = Framing::Mode::Fit;
  const KeepRequest framed = keepRequestFor(fit);
  // Fit puts 9000 x 7000 into 275 x 200 and needs twice that: 9000 / 550 = 16.
  EXPECT_EQ(Canvas(framed).shrinkFactor(9000, 7000), 16u);
  // Without a minimum, the smallest factor that brings it within 2^21 pixels: 1429^2.
  KeepRequest whole;
  whole.whole = true;
  EXPECT_EQ(Canvas(whole).shrinkFactor(20000, 20000), 14u);
}

// The same 700 x 500 picture in every layout the PNG and BMP decoders read differently.
std::vector<LosslessPicture> layouts() {
  constexpr int w = 700, h = 500;
  std::vector<LosslessPicture> out = losslessPictures(distinct);
  PngOptions rgba;
  rgba.width = w, rgba.height = h, rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA, rgba.bitDepth = 16;
  out.push_back({"16-bit rgba png", encodePng(rgba, [](int y) {
                   Bytes r;
                   for (int x = 0; x < w; ++x) {
                     const uint32_t c = distinct(x, y);
                     r.insert(r.end(), {uint8_t(red(c)), uint8_t(x), uint8_t(green(c)), uint8_t(y),
                                        uint8_t(blue(c)), 7, uint8_t(x + y), 99});
                   }
                   return r;
                 })});
  BmpBuilder rle;
  rle.bitsPerPixel = 8, rle.compression = 1, rle.width = w, rle.height = h;
  for (int i = 0; i < 256; ++i) rle.palette.push_back(distinct(i, 3 * i));
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; x += 2) rle.pixels.insert(rle.pixels.end(), {2, uint8_t(x ^ y)});
    rle.pixels.insert(rle.pixels.end(), {0, 0});
  }
  rle.pixels.insert(rle.pixels.end(), {0, 1});
  out.push_back({"bmp rle8", rle.build()});
  return out;
}

TEST(PictureShrink, APictureReducedWhileDecodedIsTheWholeDecodeReduced) {
  // 350,000 pixels past a bound of 100,000; 700 / 100 = 7, 500 / 60 = 8: squares of 7 x 7.
  const KeepRequest keep = reducing(100, 60, 100000);
  for (const auto& [label, bytes] : layouts()) {
    const DecodedPicture reduced = decodePictureKeeping(bytes, "test", keep);
    KeepRequest all;
    all.whole = true;
    const DecodedPicture whole = decodePictureKeeping(bytes, "test", all);
    ASSERT_EQ(whole.columns, 700u) << label;
    Canvas canvas(keep);
    ASSERT_EQ(canvas.open(700, 500, true), Canvas::Opened::Ok);
    for (uint32_t y = 0; y < 500; ++y) {
      for (uint32_t x = 0; x < 700; ++x) canvas.put(x, y, whole.rgb[y * 700 + x]);
    }
    const DecodedPicture expected = canvas.take(700, 500);
    EXPECT_EQ(reduced.columns, 100u) << label;
    EXPECT_EQ(reduced.rows, 72u) << label;
    EXPECT_EQ(reduced.width, 700u) << label;
    EXPECT_EQ(reduced.height, 500u) << label;
    EXPECT_EQ(reduced.rgb, expected.rgb) << label;
    EXPECT_EQ(reduced.transparencyFlattened, whole.transparencyFlattened) << label;
  }
}

TEST(PictureShrink, FilesPastTheBoundAreReadInPiecesInLittleMemory) {
  if (!kCanLimitAddressSpace) GTEST_SKIP() << "address-space limits do not work under sanitizers";
  ScratchDir dir;
  // 33,620,000 pixels, just past the bound: before, it could not be scaled at all.
  const Bytes png =
      encodeRgbPng(8200, 4100, [](int x, int y) { return packRgb(x / 40, y / 20, 99); });
  const std::string file = dir.write("big.png", png);
  Framing fit;
  fit.mode = Framing::Mode::Fit;
  EXPECT_EQ(decodeWithinMemory([&] { loadFramedPicture(file, fit); }, 32u << 20), "ok");
  EXPECT_EQ(loadFramedPicture(file, fit).rgb,
            framePicture(decodePictureKeeping(png, "big.png", keepRequestFor(fit)), fit).rgb);

  // A BMP wider than a piece of a row and longer than the window, whole and in part.
  BmpBuilder wide;
  wide.width = 10000, wide.height = 60;
  wide.pixels = bmpRows(10000, 60, 24, false, distinct);
  const std::string bmp = dir.write("wide.bmp", wide.build());
  KeepRequest whole;
  whole.whole = true;
  const DecodedPicture all = loadPictureKeeping(bmp, whole);
  ASSERT_EQ(all.columns, 10000u);
  for (uint32_t y : {0u, 31u, 59u}) {
    for (uint32_t x : {0u, 8191u, 8192u, 9999u}) {
      EXPECT_EQ(all.rgb[y * 10000 + x], distinct(x, y)) << x << ", " << y;
    }
  }
  KeepRequest part;
  part.left = 8100, part.top = 10;
  const DecodedPicture window = loadPictureKeeping(bmp, part);
  EXPECT_EQ(window.rgb[0], distinct(8100, 10));
  EXPECT_EQ(window.rgb[49 * 320 + 319], distinct(8419, 59));
}

}  // namespace
}  // namespace peltrix
