// The GTK window's part in its commands: clicks, menu items and the spin reach them, the
// views show the pictures, the progress bar and the four-second timer work, and "Exit" and
// the close box end the process. The commands' own rules are tested without a toolkit.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <functional>
#include <string>

#include "colour/rgb.hpp"
#include "colour/tables.hpp"
#include "core/job.hpp"
#include "frontends/gtk/dialogs.hpp"
#include "output/writers.hpp"
#include "window_fixture.hpp"

namespace peltrix::testing {
namespace {

using namespace gui;
namespace fs = std::filesystem;

constexpr double kJobSeconds = 600;  // generous: CI machines are slow and shared

bool sensitive(const MainWindow& main, ControlId id) {
  return GTK_WIDGET_SENSITIVE(main.controls[id]) != 0;
}

// The RGB value the view shows at pixel (x, y).
uint32_t shownAt(GdkPixbuf* picture, int x, int y) {
  const guchar* p = gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) +
                    x * gdk_pixbuf_get_n_channels(picture);
  return packRgb(p[0], p[1], p[2]);
}

// Writes a 320 x 200 PNG whose pixel (x, y) is colour (x * 7 + y) % 16 of the palette.
fs::path writePatternPng(const fs::path& folder) {
  RgbPicture plane(kPixels);
  for (int i = 0; i < kPixels; ++i) plane[i] = kPalette[((i % kWidth) * 7 + i / kWidth) % 16];
  const fs::path path = folder / "pattern.png";
  writeFile(path, pngFileBytes(plane));
  return path;
}

TEST_F(WindowTest, ClicksOnTheBoxesReachTheirCommands) {
  EXPECT_FALSE(sensitive(*window, kAssLaceBox));
  click(kFliBox);  // off: "Ass Lace" is enabled
  EXPECT_TRUE(sensitive(*window, kAssLaceBox));
  click(kSuperFlickerBox);
  EXPECT_FALSE(sensitive(*window, kAssLaceBox));
  click(kLumaOnlyBox);
  EXPECT_TRUE(state->lumaOnly.load());
}
// What the status line shows.
std::string statusText(const MainWindow& main) {
  return gtk_label_get_text(GTK_LABEL(GTK_STATUSBAR(main.statusLine)->label));
}

TEST_F(WindowTest, AChoiceDuringAConversionIsNotedOnTheStatusLineUntilTheNextProcess) {
  const fs::path photo = fs::path(PELTRIX_SHARED_DIR) / "testdata" / "fruits.jpg";
  if (!fs::exists(photo)) GTEST_SKIP() << photo << " is missing (../shared not present)";
  ASSERT_TRUE(openPictureFromPath(*window, photo.string()));
  click(kProcessButton);
  ASSERT_TRUE(state->job.busy.load());
  EXPECT_EQ(statusText(*window), "");
  choose(paletteItem(1));
  EXPECT_EQ(statusText(*window), kNextConversionStatus);
  click(kStopButton);
  ASSERT_TRUE(waitForCompletion(kJobSeconds));
  // After the conversion's report, until the next conversion.
  EXPECT_EQ(statusText(*window), conversionReportText(*state) + " " + kNextConversionStatus);

  click(kProcessButton);
  EXPECT_EQ(statusText(*window), "");
  // Every option box says so too.
  for (ControlId box :
       {kMultithreadBox, kBruteForceBox, kLumaOverloadBox, kFliBox, kSuperFlickerBox}) {
    setStatus(*window, "");
    click(box);
    EXPECT_EQ(statusText(*window), kNextConversionStatus) << box;
  }
  click(kStopButton);
  ASSERT_TRUE(waitForCompletion(kJobSeconds));
}

TEST_F(WindowTest, SpinTextAndDitherLevelFollowTheSpin) {
  GtkSpinButton* spin = GTK_SPIN_BUTTON(window->controls[kDitherSpin]);
  for (int level : {3, 0, 1, 2}) {
    gtk_spin_button_set_value(spin, level);
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(spin)), std::to_string(level).c_str());
    EXPECT_EQ(state->chosen.ditherLevel, level);
  }
  gtk_spin_button_spin(spin, GTK_SPIN_STEP_FORWARD, 1);
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(spin)), "3");
  gtk_spin_button_spin(spin, GTK_SPIN_STEP_FORWARD, 1);  // stays at the top of 0..3
  EXPECT_EQ(state->chosen.ditherLevel, 3);
}

TEST_F(WindowTest, AboutItemShowsTheAboutBox) {
  choose(kAboutItem);
  EXPECT_EQ(dialogs.aboutShown, 1);
}

TEST_F(WindowTest, ProcessOnTheBlackStartPictureCompletesAndEnablesSaving) {
  // The quickest options keep the job short; the window's own defaults run in the photo test.
  click(kBruteForceBox);
  click(kFliBox);
  click(kProcessButton);
  ASSERT_TRUE(state->job.busy.load());
  EXPECT_NE(window->refreshTimer, 0u);
  ASSERT_TRUE(waitForCompletion(kJobSeconds));
  EXPECT_FALSE(state->job.busy.load());
  EXPECT_TRUE(state->resultReady);
  EXPECT_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(window->controls[kProgressBar])), 0.0);
  // A black picture converts to black frames, and the views show them.
  GdkPixbuf* blend = gtk_image_get_pixbuf(GTK_IMAGE(window->controls[kBlendView]));
  EXPECT_EQ(shownAt(blend, 319, 199), 0u);

  // The menu's save items.
  dialogs.saveAnswer = (scratchDir() / "black.raw").string();
  choose(kSaveRawItem);
  EXPECT_EQ(fs::file_size(dialogs.saveAnswer), 27648u);
  dialogs.saveAnswer = (scratchDir() / "black.prg").string();
  choose(kSavePrgItem);
  EXPECT_EQ(fs::file_size(dialogs.saveAnswer), 31746u);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(WindowTest, TheStopButtonStopsTheJob) {
  // Mark the frame planes, so cells the stopped job never reached can be told apart.
  const uint32_t marker = kPalette[1];
  for (auto& frame : state->planes.frames) {
    for (int i = 0; i < kPixels; ++i) frame.store(i, 1);
  }
  click(kProcessButton);
  click(kStopButton);
  ASSERT_TRUE(waitForCompletion(kJobSeconds));
  EXPECT_TRUE(state->resultReady);
  GdkPixbuf* frame1 = gtk_image_get_pixbuf(GTK_IMAGE(window->controls[kFrame1View]));
  EXPECT_EQ(shownAt(frame1, 319, 199), marker) << "the view shows the unreached last cell";
}
TEST_F(WindowTest, OpeningAPictureShowsItUndithered) {
  const fs::path png = writePatternPng(scratchDir());
  dialogs.openAnswer = png.string();
  choose(kOpenBitmapItem);
  EXPECT_EQ(dialogs.openAsked, 1);
  ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0];
  GdkPixbuf* source = gtk_image_get_pixbuf(GTK_IMAGE(window->controls[kSourceView]));
  for (int y : {0, 1, 100, 199}) {
    for (int x : {0, 5, 160, 319}) {
      EXPECT_EQ(shownAt(source, x, y), kPalette[(x * 7 + y) % 16]) << x << "," << y;
    }
  }
}

TEST_F(WindowTest, ThePictureMenuChoosesThePaletteAndAdjustShowsTheToneAtOnce) {
  choose(paletteItem(2));
  EXPECT_EQ(state->chosen.palette, builtinPalettes()[2].colours);
  EXPECT_FALSE(
      gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(window->menuItems[paletteItem(0)])));
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(window->menuItems[paletteItem(0)]), TRUE);
  EXPECT_EQ(state->chosen.palette, kPalette);

  const fs::path png = writePatternPng(scratchDir());
  ASSERT_TRUE(openPictureFromPath(*window, png.string()));
  // The real dialog, its contrast slider moved as a drag would.
  window->dialogs.adjustTone = [&](const Tone& start,
                                   const std::function<void(const Tone&)>& changed) {
    GtkWidget* dialog = gui::createAdjustDialog(GTK_WINDOW(window->window), start, changed);
    gtk_range_set_value(gui::adjustSlider(dialog, 1), 40);
    gtk_widget_destroy(dialog);
  };
  choose(kAdjustItem);
  EXPECT_EQ(state->chosen.tone, (Tone{.contrast = 40}));
  const ToneMap toned(state->chosen.tone);
  GdkPixbuf* source = gtk_image_get_pixbuf(GTK_IMAGE(window->controls[kSourceView]));
  for (int x : {0, 5, 160, 319}) {
    EXPECT_EQ(shownAt(source, x, 7), toned(kPalette[(x * 7 + 7) % 16])) << x;
  }
}

TEST_F(WindowTest, RefreshTickShowsTheProgressAndThePreviewArrays) {
  for (auto& frame : state->planes.frames) frame.store(0, 2);  // blends to colour 2 itself
  state->planes.frames[2].store(kPixels - 1, 7);
  state->job.workers[0].rowsDone.store(12);
  state->job.busy.store(true);  // a job whose worker is still busy on row 12
  state->job.workerCount.store(1);
  EXPECT_TRUE(onRefreshTick(*window));
  EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(window->controls[kProgressBar])),
                   13 / 25.0);
  GdkPixbuf* blend = gtk_image_get_pixbuf(GTK_IMAGE(window->controls[kBlendView]));
  GdkPixbuf* frame3 = gtk_image_get_pixbuf(GTK_IMAGE(window->controls[kFrame3View]));
  EXPECT_EQ(shownAt(blend, 0, 0), 0x68372Bu);
  EXPECT_EQ(shownAt(frame3, 319, 199), kPalette[7]);
  state->job.busy.store(false);
}

TEST_F(WindowTest, AShortJobIsReportedAtTheFirstTickOfTheFourSecondTimer) {
  EXPECT_EQ(MainWindow(*state).refreshPeriodMs, 4000u) << "the product's refresh period";
  window->refreshPeriodMs = 4000;
  const gint64 start = g_get_monotonic_time();
  click(kProcessButton);
  // The black picture converts in well under four seconds, yet nothing reports it earlier.
  ASSERT_TRUE(pumpUntil([&] { return state->job.workers[0].done.load(); }, 60));
  EXPECT_FALSE(state->resultReady);
  ASSERT_TRUE(waitForCompletion(60));
  const double seconds = (g_get_monotonic_time() - start) / 1e6;
  EXPECT_GE(seconds, 3.9);
  EXPECT_LT(seconds, 7.9) << "completion was not noticed by the first tick";
  EXPECT_TRUE(state->resultReady);
}

// "Exit" and the close box end the process at once with status 0, even with workers busy.
using WindowDeathTest = WindowTest;

TEST_F(WindowDeathTest, ExitEndsTheProcessEvenMidJob) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        click(kProcessButton);
        choose(kExitItem);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(WindowDeathTest, CloseBoxEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        GdkEvent* close = gdk_event_new(GDK_DELETE);
        close->any.window = GDK_WINDOW(g_object_ref(window->window->window));
        gtk_main_do_event(close);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace peltrix::testing
