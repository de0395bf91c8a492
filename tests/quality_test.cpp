// The quality report on pictures whose answer is known: steady frames that are the source,
// one uniform difference, and a half picture that flickers.
#include "output/quality.hpp"

#include <gtest/gtest.h>

#include "colour/colour_difference.hpp"

namespace peltrix::testing {
namespace {

engine::FramePlanes framesOf(int (*index)(int frame, int x, int y)) {
  engine::FramePlanes planes;
  for (int f = 0; f < 3; ++f) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        planes.frames[f].store(y * kWidth + x, static_cast<uint8_t>(index(f, x, y)));
      }
    }
  }
  return planes;
}

TEST(Quality, SteadyFramesThatAreTheSourceScoreZero) {
  const auto planes = framesOf([](int, int x, int y) { return (x / 3 + y) % 16; });
  const RgbPicture source = framePicture(planes, 0, kPalette);
  EXPECT_EQ(eyePicture(planes, kPalette), source);
  const QualityReport report = qualityReport(source, planes, kPalette);
  EXPECT_NEAR(report.errorMean, 0, 1e-6);
  EXPECT_NEAR(report.errorP95, 0, 1e-6);
  EXPECT_NEAR(report.flickerMean, 0, 1e-12);
  EXPECT_EQ(report.flickerShareAbove002, 0);
}

TEST(Quality, ErrorIsCiede2000OfSourceAndEyeView) {
  const auto planes = framesOf([](int, int, int) { return 1; });  // white
  const RgbPicture grey(kPixels, 0x808080);
  const double grey808080 = 0.2158605001138992;  // its light
  const double expected =
      ciede2000(labOfLight(grey808080, grey808080, grey808080), labOfLight(1, 1, 1));
  const QualityReport report = qualityReport(grey, planes, kPalette);
  EXPECT_NEAR(report.errorMean, expected, 1e-9);
  EXPECT_NEAR(report.errorP95, expected, 1e-9);
}

TEST(Quality, FlickerIsTheFrameRateWaveBlurredByAPixel) {
  // Left half: white in frame 1, black in frames 2 and 3; right half black throughout.
  const auto planes = framesOf([](int f, int x, int) { return f == 0 && x < 160 ? 1 : 0; });
  const std::vector<double> flicker = flickerMap(planes, kPalette);
  EXPECT_NEAR(flicker[100 * kWidth + 20], 1.0 / 3, 1e-12);
  EXPECT_NEAR(flicker[100 * kWidth + 300], 0, 1e-12);
  EXPECT_EQ(eyePicture(planes, kPalette)[20], 0x9C9C9Cu);  // a third of white's light
  // The blur carries visible flicker one column across the edge (x = 160), not two.
  const RgbPicture source(kPixels, 0);
  EXPECT_DOUBLE_EQ(qualityReport(source, planes, kPalette).flickerShareAbove002, 161.0 / 320);
}

}  // namespace
}  // namespace peltrix::testing
