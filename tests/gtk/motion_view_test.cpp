// The "View" menu's moving and mapped views in the real window: the picture in motion, sampled
// as its timer plays it, goes through the C64's pictures of the frames in the viewer's order;
// the flicker map comes with its legend.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <random>
#include <vector>

#include "../motion_order.hpp"
#include "colour/geometry.hpp"
#include "core/result_views.hpp"
#include "output/c64_display.hpp"
#include "output/c64data.hpp"
#include "window_fixture.hpp"
#include "xvfb_display.hpp"

namespace peltrix::testing {
namespace {

using namespace gui;

// FLI-shaped planes: two random colours in every 8 x 2 band of each frame.
void fillRandomBands(engine::FramePlanes& planes) {
  std::mt19937 rng(5);
  for (auto& plane : planes.frames) {
    for (int y0 = 0; y0 < kHeight; y0 += 2) {
      for (int x0 = 0; x0 < kWidth; x0 += 8) {
        const auto a = static_cast<uint8_t>(rng() % 16), b = static_cast<uint8_t>(rng() % 16);
        for (int i = 0; i < 16; ++i) {
          plane.store((y0 + i / 8) * kWidth + x0 + i % 8, rng() & 1 ? a : b);
        }
      }
    }
  }
}

TEST_F(WindowTest, ThePictureInMotionPlaysTheC64FramesInTheViewersOrder) {
  fillRandomBands(state->planes);  // as a finished job with the start-up options leaves them
  ASSERT_EQ(jobViewer(*state), Viewer::FliPal);
  const auto indices = c64DisplayedFrames(assembleC64Data(state->planes, DataForm::Fli),
                                          DataForm::Fli, Viewer::FliPal);
  std::array<RgbPicture, 3> c64;
  for (int f = 0; f < 3; ++f) c64[f] = palettePicture(indices[f], kPalette);

  choose(kQuarterSpeedItem);
  choose(kMotionViewItem);
  std::vector<int> seen;  // the frame on line 0, each time the view changes
  bool torn = false;
  pumpUntil(
      [&] {
        const int f0 = frameOnFirstLine(shownPixels(window->controls[kBlendView]), c64);
        torn = torn || f0 < 0;
        if (f0 >= 0 && (seen.empty() || seen.back() != f0)) seen.push_back(f0);
        return torn || seen.size() >= 7;
      },
      20);
  ASSERT_FALSE(torn) << "the view showed a picture the viewer does not";
  ASSERT_GE(seen.size(), 7u) << "the picture in motion did not play";
  EXPECT_EQ(seen[0], 2) << "the viewer starts on frame 3";
  for (size_t i = 1; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i], (seen[i - 1] + 2) % 3) << "frames go 3, 2, 1 (step " << i << ")";
  }

  saveScreenshot("window-motion");
  choose(kPlayPauseItem);
  const RgbPicture paused = shownPixels(window->controls[kBlendView]);
  pumpUntil([] { return false; }, 0.3);
  EXPECT_EQ(shownPixels(window->controls[kBlendView]), paused);

  choose(kFlickerViewItem);
  EXPECT_EQ(window->motionTimer, 0u);
  EXPECT_EQ(shownPixels(window->controls[kBlendView]), flickerView(*state));
  EXPECT_TRUE(GTK_WIDGET_VISIBLE(window->flickerLegend));
  saveScreenshot("window-flicker-map");
  choose(kBlendViewItem);
  EXPECT_FALSE(GTK_WIDGET_VISIBLE(window->flickerLegend));
}

}  // namespace
}  // namespace peltrix::testing
