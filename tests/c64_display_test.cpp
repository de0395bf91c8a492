// The display model: the assembled data decoded back into the frames, and what each viewer
// hides of them. That the model is what a C64 shows is proven against x64sc captures, pixel
// for pixel, by tests/c64/viewers_on_vice.py (the photo run, through --c64-frames).
#include "output/c64_display.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "colour/geometry.hpp"
#include "colour/rgb.hpp"
#include "colour/tables.hpp"
#include "output/motion.hpp"

namespace peltrix {
namespace {

// Frame planes with two colours (1..15, never black) in each 8 x `rows` region, as the
// searches produce them, and their C64 colour indices.
struct Frames {
  std::unique_ptr<engine::FramePlanes> planes = std::make_unique<engine::FramePlanes>();
  std::vector<uint8_t> index[3];
};

Frames randomFrames(int rows, unsigned seed) {
  Frames out;
  std::mt19937 rng(seed);
  for (int f = 0; f < 3; ++f) {
    out.index[f].resize(kPixels);
    for (int y0 = 0; y0 < kHeight; y0 += rows) {
      for (int x0 = 0; x0 < kWidth; x0 += 8) {
        const int a = 1 + static_cast<int>(rng() % 15), b = 1 + static_cast<int>(rng() % 15);
        for (int y = y0; y < y0 + rows; ++y) {
          for (int x = x0; x < x0 + 8; ++x) {
            const int c = rng() & 1 ? a : b;
            out.index[f][y * kWidth + x] = static_cast<uint8_t>(c);
            out.planes->frames[f].store(y * kWidth + x, static_cast<uint8_t>(c));
          }
        }
      }
    }
  }
  return out;
}

std::vector<uint8_t> assembled(const Frames& frames, DataForm form) {
  return assembleC64Data(*frames.planes, form);
}

TEST(C64Display, DecodingGivesBackTheAssembledFramesInBothLayouts) {
  for (DataForm form : {DataForm::NonFli, DataForm::Fli}) {
    const Frames frames = randomFrames(form == DataForm::Fli ? 2 : 8, 7);
    const std::vector<uint8_t> data = assembled(frames, form);
    for (int f = 0; f < 3; ++f) {
      EXPECT_EQ(decodeC64Frame(data, form, f), frames.index[f]) << "frame " << f + 1;
    }
  }
}

TEST(C64Display, DecodingReadsTheBitmapAndTheScreenOfEachBand) {
  // Frame 2 of FLI data: band 3 (pixel rows 6-7) takes its colours from block offset 0x000,
  // band 0 from 0x400; bit 7 of a bitmap byte is the cell's leftmost pixel.
  std::vector<uint8_t> data(kFliDataSize, 0);
  const int block = kFliFrameBlock;
  data[block + 0x000 + 41] = 0x2E;        // cell (1, 1), band 3: set bits red, clear light blue
  data[block + 0x400 + 41] = 0x75;        // band 0: yellow / green
  data[block + 0x1000 + 328 + 6] = 0x80;  // cell (1, 1), pixel row 6: only its left pixel set
  const C64Picture p = decodeC64Frame(data, DataForm::Fli, 1);
  EXPECT_EQ(p[14 * kWidth + 8], 2);
  EXPECT_EQ(p[14 * kWidth + 9], 14);
  EXPECT_EQ(p[8 * kWidth + 8], 5);    // row 0 of the cell: no bits set, band 0's low colour
  EXPECT_EQ(p[15 * kWidth + 8], 14);  // row 7: band 3's low colour
  EXPECT_EQ(decodeC64Frame(data, DataForm::Fli, 0)[14 * kWidth + 8], 0);  // frame 1 untouched

  // Non-FLI: one screen per frame at the block's start, the bitmap at 0x400.
  std::vector<uint8_t> plain(kNonFliDataSize, 0);
  plain[2 * kNonFliFrameBlock + 999] = 0x1B;           // cell (39, 24) of frame 3
  plain[2 * kNonFliFrameBlock + 0x400 + 7999] = 0x01;  // its last row: rightmost pixel
  const C64Picture q = decodeC64Frame(plain, DataForm::NonFli, 2);
  EXPECT_EQ(q[199 * kWidth + 319], 1);
  EXPECT_EQ(q[199 * kWidth + 318], 11);
}

// Frame f as displayed, compared with the decoded frame: `hidden(x, y)` pixels black, all
// others unchanged.
template <typename Hidden>
void expectShownExceptWhere(const std::vector<uint8_t>& data, DataForm form, bool superFlicker,
                            bool ntsc, bool assLace, Hidden hidden) {
  const auto shown = c64DisplayedFrames(
      data, form, chooseViewer(form == DataForm::Fli, {superFlicker, ntsc, assLace}));
  for (int f = 0; f < 3; ++f) {
    const C64Picture frame = decodeC64Frame(data, form, f);
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const int expected = hidden(x, y) ? 0 : frame[y * kWidth + x];
        if (shown[f][y * kWidth + x] != expected && wrong++ == 0) {
          ADD_FAILURE() << "frame " << f + 1 << " pixel (" << x << ", " << y << ") is "
                        << int{shown[f][y * kWidth + x]} << ", not " << expected;
        }
      }
    }
  }
}

TEST(C64Display, EachViewerHidesItsColumnOrTheCheckerboard) {
  const std::vector<uint8_t> plain = assembled(randomFrames(8, 3), DataForm::NonFli);
  const std::vector<uint8_t> fli = assembled(randomFrames(2, 4), DataForm::Fli);
  for (bool ntsc : {false, true}) {
    SCOPED_TRACE(ntsc ? "NTSC" : "PAL");
    // Whole frames: everything; super flicker reduction wins over "Ass Lace".
    expectShownExceptWhere(plain, DataForm::NonFli, true, ntsc, true,
                           [](int, int) { return false; });
    // Standard: the sprite column over columns 0-23, all 200 lines.
    expectShownExceptWhere(plain, DataForm::NonFli, false, ntsc, false,
                           [](int x, int) { return x < 24; });
    // FLI (whatever the other options say): the same.
    for (bool other : {false, true}) {
      expectShownExceptWhere(fli, DataForm::Fli, other, ntsc, !other,
                             [](int x, int) { return x < 24; });
    }
    // Mask: black over the pixel pairs with x / 2 + y even, the first video frame's phase.
    expectShownExceptWhere(plain, DataForm::NonFli, false, ntsc, true,
                           [](int x, int y) { return (x / 2 + y) % 2 == 0; });
  }
  // Line 0 on the first raster a bad line can start on, above the window, in both line
  // viewers; the whole-frame viewer's on the window's first line.
  EXPECT_EQ(viewerDisplay(Viewer::FliNtsc).firstRaster, 48);
  EXPECT_EQ(viewerDisplay(Viewer::StandardPal).firstRaster, 48);
  EXPECT_EQ(viewerDisplay(Viewer::WholeFrame).firstRaster, 51);
}

// The picture in motion is the C64 pictures of the frames in the viewers' order: 3, 2, 1 from
// video frame to video frame (and, in the line viewers, from line to line), the mask
// viewer's checkerboard inverted on every other video frame.
TEST(C64Display, ThePictureInMotionShowsTheC64PicturesInTheViewersOrder) {
  const Viewer viewers[] = {Viewer::WholeFrame, Viewer::StandardPal, Viewer::FliNtsc,
                            Viewer::MaskPal};
  for (Viewer viewer : viewers) {
    const DataForm form = showsFliData(viewer) ? DataForm::Fli : DataForm::NonFli;
    const Frames frames = randomFrames(form == DataForm::Fli ? 2 : 8, 11);
    const auto shown = c64DisplayedFrames(assembled(frames, form), form, viewer);
    const bool byLine = viewer == Viewer::StandardPal || viewer == Viewer::FliNtsc;
    for (int64_t n = 0; n < 6; ++n) {
      const C64Picture moving = motionFrame(*frames.planes, viewer, n);
      for (int y = 0; y < kHeight; ++y) {
        const int frame = static_cast<int>((6 + 2 - n - (byLine ? y % 3 : 0)) % 3);
        for (int x = 0; x < kWidth; ++x) {
          const bool inverted = viewer == Viewer::MaskPal && (n & 1) == 1;
          const int i = y * kWidth + x;
          const uint8_t expected =
              inverted ? (((x / 2 + y) & 1) == 0 ? frames.index[frame][i] : 0) : shown[frame][i];
          ASSERT_EQ(moving[i], expected) << "video frame " << n << ", pixel " << x << "," << y;
        }
      }
    }
  }
}

TEST(C64Display, ThePictureInMotionRepeatsAfterItsCycle) {
  const Frames frames = randomFrames(2, 13);
  for (Viewer viewer : {Viewer::WholeFrame, Viewer::FliPal, Viewer::MaskNtsc}) {
    for (int64_t n = 0; n < kMotionCycle; ++n) {
      EXPECT_EQ(motionFrame(*frames.planes, viewer, n + 5 * kMotionCycle),
                motionFrame(*frames.planes, viewer, n))
          << "video frame " << n;
    }
  }
}

TEST(C64Display, TheMotionClockSlowsAndPauses) {
  MotionClock clock;
  EXPECT_TRUE(clock.tick());
  clock.setSpeed(MotionSpeed::Quarter);
  int changes = 0;
  for (int i = 0; i < 16; ++i) changes += clock.tick();
  EXPECT_EQ(changes, 4);
  clock.setPlaying(false);
  EXPECT_FALSE(clock.tick());
  EXPECT_EQ(clock.videoFrame(), 5);
}

}  // namespace
}  // namespace peltrix
