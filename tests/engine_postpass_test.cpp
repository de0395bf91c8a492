// The super flicker post-passes against their step-by-step form (scratch pictures and
// all), their stated net effect, and what they must leave intact.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "engine/frame_planes.hpp"
#include "engine/search.hpp"
#include "oracle/engine_harness.hpp"
#include "oracle/photo_cells.hpp"

namespace peltrix::testing {
namespace {

using Frames = std::vector<std::vector<uint8_t>>;  // [frame][pixel]

Frames framesOf(const engine::FramePlanes& p) {
  Frames f(3, std::vector<uint8_t>(kPixels));
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i < kPixels; ++i) f[k][i] = p.frames[k].load(i);
  }
  return f;
}

void randomise(engine::FramePlanes& p, unsigned seed) {
  std::mt19937 rng(seed);
  for (int i = 0; i < kPixels; ++i) {
    for (int k = 0; k < 3; ++k) p.frames[k].store(i, static_cast<uint8_t>(rng() & 15));
  }
}

// Horizontal rotation into scratch pictures in groups of three columns, then copy back.
void literalHorizontal(Frames& f) {
  Frames s(3, std::vector<uint8_t>(kPixels));
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x <= 318; x += 3) {
      for (int d = 0; d < 3 && x + d < 320; ++d) {
        for (int k = 0; k < 3; ++k) s[k][y * 320 + x + d] = f[(k + d) % 3][y * 320 + x + d];
      }
    }
  }
  f = s;
}

// Vertical rotation in groups of three rows 0..197; rows 198, 199 keep the scratch values
// of the horizontal step.
void literalSuperFlicker(Frames& f) {
  literalHorizontal(f);
  Frames s = f;
  for (int y = 0; y <= 195; y += 3) {
    for (int x = 0; x < 320; ++x) {
      for (int d = 0; d < 3; ++d) {
        for (int k = 0; k < 3; ++k) s[k][(y + d) * 320 + x] = f[(k + d) % 3][(y + d) * 320 + x];
      }
    }
  }
  f = s;
}

TEST(PostPass, SuperFlickerMatchesItsSteps) {
  engine::FramePlanes p;
  randomise(p, 1);
  Frames want = framesOf(p);
  literalSuperFlicker(want);
  engine::superFlickerPostPass(p);
  EXPECT_EQ(framesOf(p), want);
}

TEST(PostPass, HorizontalRotationMatchesItsSteps) {
  engine::FramePlanes p;
  randomise(p, 2);
  Frames want = framesOf(p);
  literalHorizontal(want);
  engine::horizontalFrameRotation(p);
  EXPECT_EQ(framesOf(p), want);
}

TEST(PostPass, NetEffectExamples) {
  engine::FramePlanes p;
  randomise(p, 3);
  const Frames old = framesOf(p);
  engine::superFlickerPostPass(p);
  const Frames now = framesOf(p);
  auto at = [](int x, int y) { return y * 320 + x; };
  for (int k = 0; k < 3; ++k) EXPECT_EQ(now[k][at(0, 0)], old[k][at(0, 0)]);
  EXPECT_EQ(now[0][at(1, 0)], old[1][at(1, 0)]);  // frame 1 takes frame 2's colour
  EXPECT_EQ(now[1][at(1, 0)], old[2][at(1, 0)]);
  EXPECT_EQ(now[2][at(1, 0)], old[0][at(1, 0)]);
  EXPECT_EQ(now[0][at(1, 1)], old[2][at(1, 1)]);  // frame 1 takes frame 3's colour
  for (int y : {198, 199}) {                      // horizontal only
    for (int x : {0, 1, 2, 318, 319}) {
      for (int k = 0; k < 3; ++k) EXPECT_EQ(now[k][at(x, y)], old[(k + x % 3) % 3][at(x, y)]);
    }
  }
  for (int x : {0, 1, 2, 319}) {  // row 197 both ways: 197 mod 3 = 2
    for (int k = 0; k < 3; ++k) EXPECT_EQ(now[k][at(x, 197)], old[(k + x % 3 + 2) % 3][at(x, 197)]);
  }
}

TEST(PostPass, HorizontalRotationIgnoresTheRow) {
  engine::FramePlanes p;
  randomise(p, 4);
  const Frames old = framesOf(p);
  engine::horizontalFrameRotation(p);
  const Frames now = framesOf(p);
  for (int y : {0, 1, 2, 100, 198, 199}) {
    for (int x : {0, 1, 2, 3, 317, 318, 319}) {
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(now[k][y * 320 + x], old[(k + x % 3) % 3][y * 320 + x]) << x << "," << y;
      }
    }
  }
}

TEST(PostPass, OddColourOfSlotOneMovesAcrossFrames) {
  for (bool full : {true, false}) {
    engine::FramePlanes p;
    const uint8_t h = 11, o = 12;  // slot 1: h, h, o everywhere
    for (int i = 0; i < kPixels; ++i) {
      p.frames[0].store(i, h), p.frames[1].store(i, h), p.frames[2].store(i, o);
    }
    full ? engine::superFlickerPostPass(p) : engine::horizontalFrameRotation(p);
    EXPECT_EQ(p.frames[2].at(0, 0), o);  // column 0: frame 3
    EXPECT_EQ(p.frames[1].at(1, 0), o);  // column 1: frame 2
    EXPECT_EQ(p.frames[0].at(2, 0), o);  // column 2: frame 1
    EXPECT_EQ(p.frames[0].at(0, 0), h);
    EXPECT_EQ(p.frames[2].at(1, 0), h);
  }
}

TEST(PostPass, SingleColourPixelsUntouched) {
  for (bool full : {true, false}) {
    engine::FramePlanes p;
    randomise(p, 5);
    for (int i = 0; i < kPixels; i += 7) {
      for (int k = 0; k < 3; ++k) p.frames[k].store(i, 9);
    }
    full ? engine::superFlickerPostPass(p) : engine::horizontalFrameRotation(p);
    for (int i = 0; i < kPixels; i += 7) {
      for (int k = 0; k < 3; ++k) ASSERT_EQ(p.frames[k].load(i), 9);
    }
  }
}

// A whole super flicker conversion of a photo: after the pass every cell (band) of every
// frame still shows only the colours of its chosen pair.
TEST(PostPass, CellsKeepTheirPairAfterTheWholeConversion) {
  std::string why;
  const std::vector<SourceArrays> photos = loadPhotos(&why);
  if (photos.empty()) GTEST_SKIP() << why;
  for (bool fli : {false, true}) {
    JobLists lists(true, true);
    engine::Searcher s;
    s.prepare(engineInputs(photos[fli ? 3 : 0], lists));
    engine::FramePlanes p;
    std::vector<uint8_t> chosen(1000 * 4);
    for (int cy = 0; cy < kCellRows; ++cy) {
      for (int cx = 0; cx < kCellColumns; ++cx) {
        engine::CellBuffers out;
        for (int band = 0; band < (fli ? 8 : 1); band += 2) {
          const auto r = fli ? s.fliSuperFlickerBand(cx, cy, band, engine::Metric::Colour, out)
                             : s.superFlickerCell(cx, cy, engine::Metric::Colour, out);
          chosen[(cy * 40 + cx) * 4 + band / 2] = lists.pairs[r.j];
        }
        p.storeRows(cx, cy, 0, 8, out);
      }
    }
    const Frames before = framesOf(p);
    fli ? engine::horizontalFrameRotation(p) : engine::superFlickerPostPass(p);
    const Frames after = framesOf(p);
    EXPECT_NE(before, after);
    for (int i = 0; i < kPixels; ++i) {
      const int x = i % kWidth, y = i / kWidth;
      const uint8_t pair = chosen[((y / 8) * 40 + x / 8) * 4 + (fli ? (y % 8) / 2 : 0)];
      const std::set<int> allowed = {pair >> 4, pair & 15};
      for (int k = 0; k < 3; ++k) ASSERT_TRUE(allowed.count(after[k][i])) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace peltrix::testing
