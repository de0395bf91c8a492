// Tone: neutral changes nothing, and each slider moves the picture as documented.
#include "colour/tone.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "colour/rgb.hpp"

namespace peltrix::testing {
namespace {

uint32_t grey(int v) {
  return packRgb(v, v, v);
}

TEST(Tone, NeutralIsTheIdentity) {
  const ToneMap map(Tone{});
  for (uint32_t rgb = 0; rgb < 0x1000000; rgb += 0x010305) EXPECT_EQ(map(rgb), rgb) << rgb;
}

TEST(Tone, BrightnessAndContrastMoveEachChannel) {
  EXPECT_EQ(ToneMap(Tone{100, 0, 100, 100})(grey(0)), grey(255));
  EXPECT_EQ(ToneMap(Tone{-100, 0, 100, 100})(grey(255)), grey(0));
  EXPECT_EQ(ToneMap(Tone{20, 0, 100, 100})(grey(100)), grey(151));  // + 51
  const ToneMap steeper(Tone{0, 100, 100, 100});                    // twice as far from 128
  EXPECT_EQ(steeper(grey(100)), grey(72));
  EXPECT_EQ(steeper(grey(200)), grey(255));
  EXPECT_EQ(ToneMap(Tone{0, -100, 100, 100})(packRgb(0, 90, 255)), grey(128));
}

TEST(Tone, SaturationMixesWithEachPixelsGrey) {
  const uint32_t orange = packRgb(240, 120, 20);
  const int g = (240 * 299 + 120 * 587 + 20 * 114 + 500) / 1000;  // 144
  EXPECT_EQ(ToneMap(Tone{0, 0, 0, 100})(orange), grey(g));
  EXPECT_EQ(ToneMap(Tone{0, 0, 200, 100})(orange), packRgb(255, 96, 0));  // twice as far
  EXPECT_EQ(ToneMap(Tone{0, 0, 50, 100})(orange), packRgb(192, 132, 82));
}

TEST(Tone, GammaIsThePowerOfEachChannelRoundedLikeTheLibrary) {
  for (int gamma : {25, 50, 180, 220, 500}) {
    const ToneMap map(Tone{0, 0, 100, gamma});
    EXPECT_EQ(map(grey(0)), grey(0));
    EXPECT_EQ(map(grey(255)), grey(255));
    for (int v = 1; v < 255; ++v) {
      const int want = static_cast<int>(std::lround(255 * std::pow(v / 255.0, 100.0 / gamma)));
      ASSERT_EQ(red(map(grey(v))), static_cast<uint32_t>(want)) << "gamma " << gamma << ", " << v;
    }
  }
}

}  // namespace
}  // namespace peltrix::testing
