// Fixed-point CIELAB: published sRGB values within 0.05, and the distance's units and bound.
#include "colour/cielab.hpp"

#include <gtest/gtest.h>

namespace peltrix::testing {
namespace {

void expectLab(uint32_t rgb, double L, double a, double b) {
  const Lab lab = labOf(rgb);
  EXPECT_NEAR(lab.L / double{kLabUnit}, L, 0.05) << std::hex << rgb;
  EXPECT_NEAR(lab.a / double{kLabUnit}, a, 0.05) << std::hex << rgb;
  EXPECT_NEAR(lab.b / double{kLabUnit}, b, 0.05) << std::hex << rgb;
}

TEST(Cielab, SrgbColoursHaveTheirPublishedValues) {
  const Lab white = labOf(0xFFFFFF), black = labOf(0x000000);
  EXPECT_EQ(white.L, 100 * kLabUnit);
  EXPECT_EQ(white.a, 0);
  EXPECT_EQ(white.b, 0);
  EXPECT_EQ(black.L, 0);
  EXPECT_EQ(black.a, 0);
  EXPECT_EQ(black.b, 0);
  expectLab(0xFF0000, 53.24, 80.09, 67.20);
  expectLab(0x00FF00, 87.73, -86.18, 83.18);
  expectLab(0x0000FF, 32.30, 79.19, -107.86);
  expectLab(0x808080, 53.59, 0, 0);  // the mid grey: a grey has no colour
  expectLab(0x010101, 0.27, 0, 0);   // on the linear segment
}

TEST(Cielab, DistanceIsInQuartersOfDeltaEAndBounded) {
  const Lab a = labOf(0x336699), b = labOf(0xCC8844);
  EXPECT_EQ(labDistance(a, a), 0);
  EXPECT_EQ(labDistance(a, b), labDistance(b, a));
  EXPECT_EQ(labDistance({0, 0, 0}, {3 * kLabUnit, 4 * kLabUnit, 0}), 20);     // dE 5
  EXPECT_EQ(labDistance({0, 0, 0}, {0, 0, kLabUnit * 5 / 4 - 1}), 4);         // floor(4.94)
  EXPECT_EQ(labDistance(labOf(0x0000FF), labOf(0x00FF00)), kMaxLabDistance);  // dE 258
}

}  // namespace
}  // namespace peltrix::testing
