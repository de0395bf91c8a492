// Linear light: the integer tables are the sRGB curve, encoding is its exact inverse to the
// nearest code, and means are taken in light.
#include "colour/linear_light.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace peltrix::testing {
namespace {

double eotf(double x) {
  return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
}

TEST(LinearLight, TableIsTheSrgbCurveRoundedToTheNearest) {
  for (int c = 0; c < 256; ++c) {
    EXPECT_NEAR(linearOf(static_cast<uint8_t>(c)), 65535 * eotf(c / 255.0), 0.5 + 1e-9) << c;
    EXPECT_EQ(srgbOf(linearOf(static_cast<uint8_t>(c))), c);
  }
}

TEST(LinearLight, EncodingPicksTheNearestCodeAndIsMonotone) {
  int previous = 0;
  for (int v = 0; v <= 65535; ++v) {
    const int code = srgbOf(static_cast<uint16_t>(v));
    ASSERT_GE(code, previous) << v;
    previous = code;
    // v lies between the light of the code's lower and upper half-way points.
    const double light = v / 65535.0;
    if (code > 0) {
      ASSERT_GE(light, eotf((code - 0.5) / 255) - 1e-12) << v;
    }
    if (code < 255) {
      ASSERT_LT(light, eotf((code + 0.5) / 255) + 1e-12) << v;
    }
  }
  EXPECT_EQ(srgbOf(65535), 255);
}

TEST(LinearLight, MeansAreTakenInLight) {
  // A third of white's light is code 156 (0.6127 of full scale), not 85.
  EXPECT_EQ(srgbMean3(0, 0, 255), 156);
  EXPECT_EQ(linearMeanRgb(0xFF0000, 0x00FF00, 0x0000FF), 0x9C9C9Cu);
  EXPECT_EQ(linearMeanRgb(0x123456, 0x123456, 0x123456), 0x123456u);
}

}  // namespace
}  // namespace peltrix::testing
