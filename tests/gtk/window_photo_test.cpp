// A real photo through the window in every mode: the files "Save Raw" and "Save Prg" write
// are byte for byte those of peltrix-convert with the same options, and the views show
// the finished conversion. The eye match and the eye view are chosen in the menus, and the
// status line's report is the command line's.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "colour/rgb.hpp"
#include "core/result_views.hpp"
#include "window_fixture.hpp"

namespace peltrix::testing {
namespace {

using namespace gui;
namespace fs = std::filesystem;

const fs::path kPhoto = fs::path(PELTRIX_SHARED_DIR) / "testdata" / "fruits.jpg";

struct Mode {
  const char* name;
  std::vector<ControlId> flipped;  // boxes clicked away from their start-up state
  int ditherLevel;
  const char* convertOptions;  // the same options for peltrix-convert
  int palette = 0;             // chosen in the "Picture" menu
  Tone tone{};                 // set in "Adjust…"
};

const Mode kModes[] = {
    {"start-up options", {}, 2, ""},
    {"non-FLI", {kFliBox}, 2, "--no-fli"},
    {"FLI super flicker", {kSuperFlickerBox}, 2, "--super-flicker"},
    {"non-FLI super flicker", {kFliBox, kSuperFlickerBox}, 2, "--no-fli --super-flicker"},
    {"luma only, one worker", {kLumaOnlyBox, kMultithreadBox}, 2, "--luma-only --single-thread"},
    {"75 pairs, basic exclusions, NTSC",
     {kBruteForceBox, kLumaOverloadBox, kNtscBox},
     1,
     "--reduced --basic-exclusions --ntsc -d 1"},
    {"non-FLI Ass Lace NTSC",
     {kFliBox, kAssLaceBox, kNtscBox},
     0,
     "--no-fli --ass-lace --ntsc -d 0"},
    {"colodore, toned",
     {},
     2,
     "--palette colodore --brightness -5 --contrast 25 --saturation 130 --gamma 1.2",
     1,
     {.brightness = -5, .contrast = 25, .saturation = 130, .gammaHundredths = 120}},
};

std::vector<char> bytesOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PhotoTest : public WindowTest, public ::testing::WithParamInterface<Mode> {};

TEST_P(PhotoTest, SavedFilesMatchTheCommandLineConverter) {
  if (!fs::exists(kPhoto)) GTEST_SKIP() << kPhoto << " is missing (../shared not present)";
  if (std::string(PELTRIX_CONVERT).empty()) GTEST_SKIP() << "peltrix-convert is not built";
  const Mode& mode = GetParam();
  ASSERT_TRUE(openPictureFromPath(*window, kPhoto.string()));
  for (ControlId box : mode.flipped) click(box);
  choose(paletteItem(mode.palette));
  onToneChanged(*window, mode.tone);
  gtk_spin_button_set_value(GTK_SPIN_BUTTON(window->controls[kDitherSpin]), mode.ditherLevel);
  click(kProcessButton);
  ASSERT_TRUE(waitForCompletion(600));
  ASSERT_TRUE(state->resultReady);

  // The views show the finished arrays.
  GdkPixbuf* blend = gtk_image_get_pixbuf(GTK_IMAGE(window->controls[kBlendView]));
  const guchar* p = gdk_pixbuf_get_pixels(blend) + 123 * gdk_pixbuf_get_rowstride(blend) + 45 * 3;
  EXPECT_EQ(packRgb(p[0], p[1], p[2]), blendView(*state)[123 * kWidth + 45]);
  if (mode.flipped.empty() && mode.palette == 0) {
    // The screenshot software centres show (the package's metadata names it).
    saveScreenshot("main-window");
  }

  const fs::path dir = scratchDir();
  dialogs.saveAnswer = (dir / "window.raw").string();
  choose(kSaveRawItem);
  dialogs.saveAnswer = (dir / "window.prg").string();
  choose(kSavePrgItem);
  ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0];

  const std::string command = std::string(PELTRIX_CONVERT) + " -q " + mode.convertOptions + " " +
                              kPhoto.string() + " " + (dir / "cli.raw").string() + " " +
                              (dir / "cli.prg").string();
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::vector<char> raw = bytesOf(dir / "window.raw");
  EXPECT_TRUE(raw.size() == 27648 || raw.size() == 36864) << raw.size();
  EXPECT_TRUE(raw == bytesOf(dir / "cli.raw")) << "raw files differ";
  EXPECT_TRUE(bytesOf(dir / "window.prg") == bytesOf(dir / "cli.prg")) << "program files differ";
}

// What a command prints on its standard output.
std::string outputOf(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char chunk[256];
    while (fgets(chunk, sizeof chunk, pipe) != nullptr) text += chunk;
    if (pclose(pipe) != 0) text = "(failed) " + text;
  }
  return text;
}

TEST_F(WindowTest, TheEyeMatchAndTheEyeViewChosenInTheMenusMatchTheCommandLine) {
  if (!fs::exists(kPhoto)) GTEST_SKIP() << kPhoto << " is missing (../shared not present)";
  if (std::string(PELTRIX_CONVERT).empty()) GTEST_SKIP() << "peltrix-convert is not built";
  ASSERT_TRUE(openPictureFromPath(*window, kPhoto.string()));
  click(kProcessButton);
  ASSERT_TRUE(waitForCompletion(600));
  // The classic match's blend is not what the eye sees; the "View" menu swaps them at once.
  ASSERT_NE(blendView(*state), eyeView(*state));
  choose(kEyeViewItem);
  EXPECT_EQ(shownPixels(window->controls[kBlendView]), eyeView(*state));
  choose(kBlendViewItem);
  EXPECT_EQ(shownPixels(window->controls[kBlendView]), blendView(*state));

  choose(kEyeViewItem);
  choose(kEyeMatchItem);
  EXPECT_TRUE(GTK_WIDGET_SENSITIVE(window->menuItems[kDiffusionItem]));
  click(kProcessButton);
  ASSERT_TRUE(waitForCompletion(600));
  EXPECT_EQ(state->result.settings.match, engine::Match::Eye);
  EXPECT_EQ(shownPixels(window->controls[kBlendView]), eyeView(*state)) << "the view stays";

  const fs::path dir = scratchDir();
  dialogs.saveAnswer = (dir / "window.raw").string();
  choose(kSaveRawItem);
  ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0];
  const std::string command = std::string(PELTRIX_CONVERT) + " -q --match eye --report " +
                              kPhoto.string() + " " + (dir / "cli.raw").string();
  // "PATH: error 3.79 mean, ..." there, "Error 3.79 mean, ..." here.
  const std::string report = outputOf(command);
  const std::string prefix = kPhoto.string() + ": error ";
  ASSERT_EQ(report.rfind(prefix, 0), 0u) << report;
  EXPECT_EQ(gtk_label_get_text(GTK_LABEL(GTK_STATUSBAR(window->statusLine)->label)),
            "Error " + report.substr(prefix.size(), report.size() - prefix.size() - 1));
  EXPECT_TRUE(bytesOf(dir / "window.raw") == bytesOf(dir / "cli.raw")) << "raw files differ";
}

INSTANTIATE_TEST_SUITE_P(EveryMode, PhotoTest, ::testing::ValuesIn(kModes),
                         [](const ::testing::TestParamInfo<Mode>& info) {
                           std::string name = info.param.name;
                           for (char& c : name) {
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace peltrix::testing
