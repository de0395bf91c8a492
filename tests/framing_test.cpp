// Framing before source preparation: letterbox and pillarbox bands of the computed size,
// circles that stay round on each machine, uniform pictures that stay uniform, the fill
// crop centred or placed, the visible area right of the viewer's hidden columns, dragging,
// big JPEGs reduced without moving anything, and the same bytes everywhere.
#include "colour/framing.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "colour/framing_drag.hpp"
#include "core/job_settings.hpp"
#include "picture_fixtures.hpp"

namespace peltrix {
namespace {

using namespace fixtures;

Framing framing(Framing::Mode mode, PixelAspect aspect) {
  Framing f;
  f.mode = mode;
  f.aspect = aspect;
  return f;
}

SourcePicture framed(const Bytes& file, const Framing& f) {
  return framePicture(decodePictureKeeping(file, "test", keepRequestFor(f)), f);
}

double linear(uint32_t channel) {
  const double v = channel / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

constexpr uint32_t kColour = 0xC08040;

TEST(Framing, FitLetterboxesAWidePictureWithBandsOfTheComputedHeight) {
  const Bytes wide = encodeRgbPng(640, 320, [](int, int) { return kColour; });
  // The picture is 2:1; the screen is 320 a : 200 with a C64 pixel a wide for 1 tall, so the
  // picture is 320 a / 2 rows tall: square 160, PAL 0.9357 x 160 = 149.7, NTSC 0.75 x 160.
  struct Case {
    PixelAspect aspect;
    int top, height;
  };
  for (const Case& c : {Case{PixelAspect::Square, 20, 160}, Case{PixelAspect::Pal, 25, 150},
                        Case{PixelAspect::Ntsc, 40, 120}}) {
    const SourcePicture p = framed(wide, framing(Framing::Mode::Fit, c.aspect));
    EXPECT_EQ(p.width, 640);
    EXPECT_EQ(p.height, 320);
    for (int y = 0; y < kHeight; ++y) {
      const bool inside = y >= c.top && y < c.top + c.height;
      for (int x = 0; x < kWidth; ++x) {
        ASSERT_EQ(p.rgb[y * kWidth + x], inside ? kColour : 0u)
            << "aspect " << int(c.aspect) << " at (" << x << ", " << y << ")";
      }
    }
  }
}

TEST(Framing, FitPillarboxesATallPicture) {
  // 1:2 picture: 200 rows tall, 100 / a columns wide: square 100, PAL 106.9, NTSC 133.3.
  EXPECT_EQ(fitPlacement(300, 600, PixelAspect::Square).width, 100);
  EXPECT_EQ(fitPlacement(300, 600, PixelAspect::Square).left, 110);
  const Placement pal = fitPlacement(300, 600, PixelAspect::Pal);
  EXPECT_EQ(pal.width, 107);
  EXPECT_EQ(pal.left, 106);
  EXPECT_EQ(pal.top, 0);
  EXPECT_EQ(pal.height, 200);
  EXPECT_EQ(fitPlacement(300, 600, PixelAspect::Ntsc).width, 133);
  // Extreme shapes keep at least one pixel; a 1 x 1 picture becomes a 200-row block.
  EXPECT_EQ(fitPlacement(100000, 1, PixelAspect::Square).height, 1);
  EXPECT_EQ(fitPlacement(1, 100000, PixelAspect::Square).width, 1);
  EXPECT_EQ(fitPlacement(1, 1, PixelAspect::Ntsc).width, 267);
}

TEST(Framing, FillCropsTheOverflowEvenlyAndUniformPicturesStayUniform) {
  // 2:1 on the square screen (1.6:1): all 320 rows, 320 / 200 x 320 = 512 columns of 640.
  const PictureRegion r = fillRegion(640, 320, PixelAspect::Square);
  EXPECT_DOUBLE_EQ(r.left, 64);
  EXPECT_DOUBLE_EQ(r.width, 512);
  EXPECT_DOUBLE_EQ(r.top, 0);
  EXPECT_DOUBLE_EQ(r.height, 320);
  const PictureRegion tall = fillRegion(300, 600, PixelAspect::Ntsc);
  EXPECT_DOUBLE_EQ(tall.width, 300);
  EXPECT_DOUBLE_EQ(tall.height, 300 * 200 / (320 * 0.75));
  EXPECT_DOUBLE_EQ(tall.top, (600 - tall.height) / 2);

  for (PixelAspect aspect : {PixelAspect::Square, PixelAspect::Pal, PixelAspect::Ntsc}) {
    for (auto [w, h] : {std::pair{640, 320}, std::pair{300, 600}, std::pair{100, 60}}) {
      const Bytes uniform = encodeRgbPng(w, h, [](int, int) { return kColour; });
      const SourcePicture p = framed(uniform, framing(Framing::Mode::Fill, aspect));
      EXPECT_EQ(p.rgb, std::vector<uint32_t>(kPixels, kColour)) << w << " x " << h;
    }
  }
}

TEST(Framing, FillShowsTheMiddleOfThePicture) {
  // Columns 0..63 and 576..639 (what fill cuts on a square screen) are red; the rest is a
  // grey ramp. Nothing red may show, and the ramp must run evenly from edge to edge.
  const Bytes picture = encodeRgbPng(640, 320, [](int x, int) {
    if (x < 64 || x >= 576) return 0xFF0000u;
    const uint32_t v = 40 + (x - 64) * 160 / 512;
    return packRgb(v, v, v);
  });
  const SourcePicture p = framed(picture, framing(Framing::Mode::Fill, PixelAspect::Square));
  // The filter reaches past the cut by two pixels, as it reaches to any neighbour.
  for (int x = 2; x < kWidth - 2; ++x) {
    const uint32_t c = p.rgb[100 * kWidth + x];
    EXPECT_LE(std::abs(int(red(c)) - int(green(c))), 2) << "red shows at column " << x;
  }
  const uint32_t left = green(p.rgb[100 * kWidth + 4]), right = green(p.rgb[100 * kWidth + 315]);
  EXPECT_NEAR(double(left - 40), double(200 - right), 2.0);
}

// The extent of the bright disc along one line of the framed picture, in pixels: the sum of
// the pixels' coverage, measured in linear light as it was resampled.
double extent(const SourcePicture& p, bool alongRow, int line) {
  double sum = 0;
  const int n = alongRow ? kWidth : kHeight;
  for (int i = 0; i < n; ++i)
    sum += linear(green(p.rgb[alongRow ? line * kWidth + i : i * kWidth + line]));
  return sum;
}

TEST(Framing, ACircleStaysRoundForTheChosenMachine) {
  // A white disc of radius 250 in a 900 x 700 picture, four-times oversampled at its edge.
  const Bytes disc = encodeRgbPng(900, 700, [](int x, int y) {
    int inside = 0;
    for (int sy = 0; sy < 4; ++sy) {
      for (int sx = 0; sx < 4; ++sx) {
        const double dx = x + (sx + 0.5) / 4 - 450, dy = y + (sy + 0.5) / 4 - 350;
        inside += dx * dx + dy * dy < 250.0 * 250.0;
      }
    }
    const double coverage = inside / 16.0;
    const double v =
        coverage <= 0.0031308 ? coverage * 12.92 : 1.055 * std::pow(coverage, 1 / 2.4) - 0.055;
    const uint32_t c = static_cast<uint32_t>(std::lround(v * 255));
    return packRgb(c, c, c);
  });
  const struct {
    PixelAspect aspect;
    double widthOverHeight;
  } machines[] = {
      {PixelAspect::Square, 1.0}, {PixelAspect::Pal, 663750.0 / 709379}, {PixelAspect::Ntsc, 0.75}};
  for (const auto& m : machines) {
    for (Framing::Mode mode : {Framing::Mode::Fit, Framing::Mode::Fill}) {
      const SourcePicture p = framed(disc, framing(mode, m.aspect));
      const double across = extent(p, true, 100), down = extent(p, false, 160);
      // Seen on the screen, the disc is as wide as it is tall, within a pixel.
      EXPECT_NEAR(across * m.widthOverHeight, down, 1.0)
          << "aspect " << int(m.aspect) << (mode == Framing::Mode::Fit ? " fit" : " fill");
      // And centred where the framing puts the picture's centre (an odd width of the fitted
      // picture leaves it half a pixel left of the screen's middle).
      double sum = 0, moment = 0;
      for (int x = 0; x < kWidth; ++x) {
        const double c = linear(green(p.rgb[100 * kWidth + x]));
        sum += c;
        moment += c * (x + 0.5);
      }
      const Placement fit = fitPlacement(900, 700, m.aspect);
      const double centre = mode == Framing::Mode::Fit ? fit.left + fit.width / 2.0 : 160.0;
      EXPECT_NEAR(moment / sum, centre, 0.1)
          << "aspect " << int(m.aspect) << (mode == Framing::Mode::Fit ? " fit" : " fill");
    }
  }
  // Fit: 500 of the picture's 700 rows become 500 / 700 x 200 = 142.9 rows.
  EXPECT_NEAR(extent(framed(disc, framing(Framing::Mode::Fit, PixelAspect::Pal)), false, 160),
              142.86, 1.0);
}

TEST(Framing, ABigJpegReducedByLibjpegFramesLikeTheFullDecode) {
  JpegOptions o;
  o.width = 2400, o.height = 1600, o.quality = 90;
  const Bytes jpeg = encodeJpeg(o, [](int x, int y) {
    return packRgb(x * 255 / 2399, y * 255 / 1599, ((x / 300 + y / 300) % 2) * 200);
  });
  for (Framing::Mode mode : {Framing::Mode::Fit, Framing::Mode::Fill}) {
    const Framing f = framing(mode, PixelAspect::Pal);
    DecodedPicture reduced = decodePictureKeeping(jpeg, "t.jpg", keepRequestFor(f));
    EXPECT_LT(reduced.columns, 2400u);  // libjpeg did reduce it
    KeepRequest full;
    full.whole = true;
    DecodedPicture complete = decodePictureKeeping(jpeg, "t.jpg", full);
    ASSERT_EQ(complete.columns, 2400u);
    const SourcePicture a = framePicture(std::move(reduced), f);
    const SourcePicture b = framePicture(std::move(complete), f);
    EXPECT_LT(meanChannelDifference(a.rgb, b.rgb), 1.5) << int(mode);
    EXPECT_LT(maxChannelDifference(a.rgb, b.rgb), 40) << int(mode);
  }
}

TEST(Framing, TheRegionIsTheDecodersWindowUnscaled) {
  const Bytes picture = encodeRgbPng(500, 400, distinct);
  Framing f;
  f.left = 170, f.top = 150;
  const SourcePicture p = framed(picture, f);
  EXPECT_EQ(p.width, 500);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool inside = 170 + x < 500 && 150 + y < 400;
      ASSERT_EQ(p.rgb[y * kWidth + x], inside ? distinct(170 + x, 150 + y) : 0u);
    }
  }
}

Framing visible(Framing::Mode mode, int hiddenColumns) {
  Framing f = framing(mode, PixelAspect::Square);
  f.visible = true;
  f.hiddenColumns = hiddenColumns;
  return f;
}

TEST(Framing, TheVisibleAreaIsFittedRightOfTheHiddenColumns) {
  // 2:1 into 296 x 200 square pixels: 296 columns, 148 rows, from column 24 and row 26.
  const Bytes wide = encodeRgbPng(640, 320, [](int, int) { return kColour; });
  const SourcePicture p = framed(wide, visible(Framing::Mode::Fit, 24));
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool inside = x >= 24 && y >= 26 && y < 26 + 148;
      ASSERT_EQ(p.rgb[y * kWidth + x], inside ? kColour : 0u) << "(" << x << ", " << y << ")";
    }
  }
  // A tall one is centred in the visible columns, not on the screen.
  const Placement tall = fitPlacement(300, 600, PixelAspect::Square, 24);
  EXPECT_EQ(tall.width, 100);
  EXPECT_EQ(tall.left, 24 + (296 - 100) / 2);
  // With no hidden columns, or without `visible`, it is plain fit.
  const Framing plain = framing(Framing::Mode::Fit, PixelAspect::Square);
  EXPECT_EQ(framed(wide, visible(Framing::Mode::Fit, 0)).rgb, framed(wide, plain).rgb);
  Framing unused = plain;
  unused.hiddenColumns = 24;
  EXPECT_EQ(framed(wide, unused).rgb, framed(wide, plain).rgb);
}

TEST(Framing, TheVisibleAreaIsFilledRightOfTheHiddenColumns) {
  // The visible area's shape, 296 : 200, cut from a 2:1 picture: 473.6 of its 640 columns.
  const PictureRegion r = fillRegion(640, 320, PixelAspect::Square, 24);
  EXPECT_DOUBLE_EQ(r.width, 320 * 296 / 200.0);
  EXPECT_DOUBLE_EQ(r.left, (640 - r.width) / 2);
  const Bytes uniform = encodeRgbPng(640, 320, [](int, int) { return kColour; });
  const SourcePicture p = framed(uniform, visible(Framing::Mode::Fill, 24));
  for (int i = 0; i < kPixels; ++i) ASSERT_EQ(p.rgb[i], i % kWidth < 24 ? 0u : kColour) << i;
}

TEST(Framing, FillFromAnOffsetShowsThatPartKeptWithinThePicture) {
  // Red left half, green right half; the square screen's shape takes 320 of 640 columns.
  const Bytes halves =
      encodeRgbPng(640, 200, [](int x, int) { return x < 320 ? 0xFF0000u : 0x00FF00u; });
  Framing f = framing(Framing::Mode::Fill, PixelAspect::Square);
  f.fillFromOffset = true;
  EXPECT_EQ(framed(halves, f).rgb[100 * kWidth + 100], 0xFF0000u);
  f.left = 320;
  EXPECT_EQ(framed(halves, f).rgb[100 * kWidth + 100], 0x00FF00u);
  f.left = 5000, f.top = 70;  // past the picture: its last columns, its only rows
  EXPECT_DOUBLE_EQ(filledPart(640, 200, f).left, 320);
  EXPECT_DOUBLE_EQ(filledPart(640, 200, f).top, 0);
  EXPECT_EQ(framed(halves, f).rgb[100 * kWidth + 100], 0x00FF00u);
}

TEST(Framing, ADragMovesTheRegionOrTheFilledPartTheOtherWayWithinThePicture) {
  const Framing region;
  Framing moved = draggedFraming(region, 500, 400, -30, -20);
  EXPECT_EQ(moved.left, 30u);
  EXPECT_EQ(moved.top, 20u);
  EXPECT_EQ(draggedFraming(moved, 500, 400, 50, 0).left, 0u) << "not past the left edge";
  moved = draggedFraming(region, 500, 400, -1000, -1000);
  EXPECT_EQ(moved.left, 180u);
  EXPECT_EQ(moved.top, 200u);
  EXPECT_EQ(draggedFraming(region, 200, 100, -10, -10), region) << "nothing more to show";

  // Fill of 640 x 320 on the square screen shows 512 x 320 from column 64, 1.6 picture
  // pixels a screen pixel; the drag starts from there and is then kept as an offset.
  const Framing fill = framing(Framing::Mode::Fill, PixelAspect::Square);
  moved = draggedFraming(fill, 640, 320, 10, 7);
  EXPECT_TRUE(moved.fillFromOffset);
  EXPECT_EQ(moved.left, 48u);
  EXPECT_EQ(moved.top, 0u);
  EXPECT_EQ(draggedFraming(fill, 640, 320, -100, 0).left, 128u);
  // A PAL pixel is narrower than tall: across, a screen pixel covers less of the picture.
  Framing pal = framing(Framing::Mode::Fill, PixelAspect::Pal);
  const PictureRegion part = fillRegion(400, 1000, PixelAspect::Pal);
  moved = draggedFraming(pal, 400, 1000, 0, -10);
  EXPECT_EQ(moved.left, 0u);
  EXPECT_EQ(moved.top, static_cast<uint32_t>(std::lround(part.top + 10 * part.height / 200)));

  const Framing fit = framing(Framing::Mode::Fit, PixelAspect::Pal);
  EXPECT_EQ(draggedFraming(fit, 640, 320, 10, 10), fit);
}

TEST(Framing, TheHiddenColumnsAreTheConversionsViewers) {
  JobSettings s;
  s.framing.mode = Framing::Mode::Fit;
  EXPECT_EQ(s.framingToLoad().hiddenColumns, 0) << "not asked for";
  s.framing.visible = true;
  EXPECT_EQ(s.framingToLoad().hiddenColumns, 24) << "the FLI viewer";
  s.fli = false;
  EXPECT_EQ(s.framingToLoad().hiddenColumns, 24) << "the standard viewer";
  s.ntsc = true;
  EXPECT_EQ(s.framingToLoad().hiddenColumns, 24) << "the standard NTSC viewer";
  s.assLace = true;
  EXPECT_EQ(s.framingToLoad().hiddenColumns, 0) << "the mask viewer hides no column";
  s.assLace = false;
  s.superFlicker = true;
  EXPECT_EQ(s.framingToLoad().hiddenColumns, 0) << "the whole-frame viewer hides none";
  s.fli = true;
  EXPECT_EQ(s.framingToLoad().hiddenColumns, 24) << "FLI data needs the FLI viewer";
}

// FNV-1a over the framed pixels: the resampling is plain IEEE float in a fixed order, so
// these must come out the same from every compiler and machine the converter is built for.
uint64_t fingerprint(const std::vector<uint32_t>& rgb) {
  uint64_t h = 1469598103934665603ull;
  for (uint32_t v : rgb) {
    for (int i = 0; i < 3; ++i) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 1099511628211ull;
  }
  return h;
}

TEST(Framing, ScaledPicturesAreTheSameBytesEverywhere) {
  // Found identical with GCC and Clang on Linux, mingw-w64 under wine and emscripten in node.
  const uint64_t expected[2][3] = {
      {0x01db77ca1c8cb9d0, 0xe1044354240a3c85, 0x4883da80e88d8d25},   // fit: PAL, NTSC, square
      {0x81a8041462333dca, 0xea952df94fc54566, 0x0e9ea2f95ff18ef7}};  // fill
  int i = 0;
  for (Framing::Mode mode : {Framing::Mode::Fit, Framing::Mode::Fill}) {
    int j = 0;
    for (PixelAspect aspect : {PixelAspect::Pal, PixelAspect::Ntsc, PixelAspect::Square}) {
      DecodedPicture picture;
      picture.width = picture.columns = 517;
      picture.height = picture.rows = 389;
      for (int y = 0; y < 389; ++y) {
        for (int x = 0; x < 517; ++x) picture.rgb.push_back(distinct(x, y));
      }
      const uint64_t h = fingerprint(framePicture(std::move(picture), framing(mode, aspect)).rgb);
      EXPECT_EQ(h, expected[i][j]) << "mode " << i << " aspect " << j << ": 0x" << std::hex << h;
      ++j;
    }
    ++i;
  }
}

}  // namespace
}  // namespace peltrix
