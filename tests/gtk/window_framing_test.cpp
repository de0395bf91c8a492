// The "Framing" menu and the source view's drag in the GTK window: "Fit" on a square photo
// and a drag in "Top-left, unscaled" give the bytes of peltrix-convert --fit and --offset,
// and the source view shows the framed picture.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "colour/framing.hpp"
#include "colour/rgb.hpp"
#include "window_fixture.hpp"

namespace peltrix::testing {
namespace {

using namespace gui;
namespace fs = std::filesystem;

constexpr double kJobSeconds = 600;  // generous: CI machines are slow and shared
const fs::path kSquarePhoto =
    fs::path(PELTRIX_SHARED_DIR) / "testdata" / "baboon.jpg";  // 512 x 512

std::vector<char> bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

RgbPicture sourceViewPixels(const MainWindow& main) {
  GdkPixbuf* picture = gtk_image_get_pixbuf(GTK_IMAGE(main.controls[kSourceView]));
  RgbPicture pixels(kPixels);
  for (int i = 0; i < kPixels; ++i) {
    const guchar* p = gdk_pixbuf_get_pixels(picture) +
                      (i / kWidth) * gdk_pixbuf_get_rowstride(picture) +
                      (i % kWidth) * gdk_pixbuf_get_n_channels(picture);
    pixels[i] = packRgb(p[0], p[1], p[2]);
  }
  return pixels;
}

class FramingTest : public WindowTest {
 protected:
  // Converts the window's picture with its start-up options and saves the raw file, then
  // peltrix-convert's with `options`, and compares them.
  void expectTheCommandLinesBytes(const std::string& options) {
    click(kProcessButton);
    ASSERT_TRUE(waitForCompletion(kJobSeconds));
    const fs::path dir = scratchDir();
    dialogs.saveAnswer = (dir / "window.raw").string();
    choose(kSaveRawItem);
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0];
    const std::string command = std::string(PELTRIX_CONVERT) + " -q " + options + " " +
                                kSquarePhoto.string() + " " + (dir / "cli.raw").string();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(bytesOf(dir / "window.raw").size(), 36864u);
    EXPECT_TRUE(bytesOf(dir / "window.raw") == bytesOf(dir / "cli.raw"))
        << "the raw files differ from: " << command;
  }

  void SetUp() override {
    WindowTest::SetUp();
    if (IsSkipped()) return;
    if (!fs::exists(kSquarePhoto)) GTEST_SKIP() << kSquarePhoto << " is missing (no ../shared)";
    if (std::string(PELTRIX_CONVERT).empty()) GTEST_SKIP() << "peltrix-convert is not built";
    ASSERT_TRUE(openPictureFromPath(*window, kSquarePhoto.string()));
  }
};

TEST_F(FramingTest, FitShowsTheWholePhotoAndConvertsLikeTheCommandLine) {
  choose(kFitFramingItem);
  Framing fit;
  fit.mode = Framing::Mode::Fit;
  EXPECT_EQ(sourceViewPixels(*window), loadFramedPicture(kSquarePhoto.string(), fit).rgb);

  saveScreenshot("window-framing-fit");

  expectTheCommandLinesBytes("--fit");
}

// A real drag of the mouse (xdotool, through the X server) in the source view.
TEST_F(FramingTest, DraggingTheUnscaledPictureConvertsLikeTheMatchingOffset) {
  if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "xdotool is missing";
  gint x = 0, y = 0;
  gdk_window_get_origin(window->window->window, &x, &y);
  const GtkAllocation& view = window->controls[kSourceView]->allocation;
  x += view.x, y += view.y;
  // The picture moves with the mouse: 40 pixels left and 30 up show from (40, 30) on.
  const std::string drag = "xdotool mousemove --sync " + std::to_string(x + 200) + " " +
                           std::to_string(y + 150) + " mousedown 1 mousemove --sync " +
                           std::to_string(x + 160) + " " + std::to_string(y + 120) + " mouseup 1";
  ASSERT_EQ(std::system(drag.c_str()), 0) << drag;
  ASSERT_TRUE(
      pumpUntil([&] { return state->chosen.framing.left == 40 && !window->opened.dragging; }, 20))
      << "the framing is at " << state->chosen.framing.left << ", " << state->chosen.framing.top;
  EXPECT_EQ(state->chosen.framing.top, 30u);
  Framing region;
  region.left = 40, region.top = 30;
  EXPECT_EQ(sourceViewPixels(*window), loadFramedPicture(kSquarePhoto.string(), region).rgb);

  expectTheCommandLinesBytes("--offset 40,30");
}

}  // namespace
}  // namespace peltrix::testing
