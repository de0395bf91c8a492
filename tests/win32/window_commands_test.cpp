// peltrix.exe driven through its commands: "Open Bitmap" and the saves through the real
// common dialogs, a picture that cannot be read, "Process" and the first refresh tick,
// "Stop" and "Exit" mid-job, the close box, and folders with non-ASCII names. Saved files
// and the pictures on the screen are compared with what peltrix-convert.exe makes of the
// same photo with the same options.
#include <gtest/gtest.h>
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <memory>

#include "../motion_order.hpp"
#include "colour/picture.hpp"
#include "colour/tone.hpp"
#include "core/shared_state.hpp"
#include "driven_window.hpp"
#include "frontends/win32/main_window.hpp"
#include "frontends/win32/resource_ids.h"
#include "frontends/window/window_commands.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::testing {
namespace {

constexpr double kJobSeconds = 300;  // generous: the machine is shared and slow at times

// The common file dialogs' "Files of type" box.
constexpr int kFileTypeBox = 0x470;  // cmb1

class WindowCommandsTest : public ::testing::Test {
 protected:
  // A photo from ../shared/testdata copied into `folder` as `name`.
  fs::path copyPhoto(const char* photo, const fs::path& folder, const fs::path& name) {
    const fs::path source = sharedDir() / "testdata" / photo;
    if (!fs::exists(source)) return {};
    fs::create_directories(folder);
    fs::copy_file(source, folder / name, fs::copy_options::overwrite_existing);
    return folder / name;
  }

  void start(const fs::path& folder, const std::vector<std::wstring>& arguments = {}) {
    peltrix = std::make_unique<DrivenWindow>(folder, arguments);
  }

  // Chooses `item` and waits for the file dialog it opens.
  HWND fileDialog(MenuItemId item, const std::wstring& title) {
    EXPECT_FALSE(peltrix->choose(item, 1)) << "no dialog was opened";
    return peltrix->waitForDialog(title);
  }

  std::vector<std::wstring> fileTypes(HWND dialog) {
    HWND box = GetDlgItem(dialog, kFileTypeBox);
    std::vector<std::wstring> types;
    for (LRESULT i = 0, n = SendMessageW(box, CB_GETCOUNT, 0, 0); i < n; ++i) {
      wchar_t text[256] = L"";
      SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      types.push_back(text);
    }
    return types;
  }

  // Whether the view shows `expected` within `seconds` (a closed dialog's area is repainted
  // a moment later).
  bool shows(ControlId view, const Pixels& expected, double seconds = 20) {
    int differences = 0;
    const bool same = eventually(
        [&] { return (differences = differingPixels(peltrix->viewPixels(view), expected)) == 0; },
        seconds);
    if (!same) ADD_FAILURE() << "view " << view << " differs in " << differences << " pixels";
    return same;
  }

  static Pixels pictureOf(const fs::path& file) { return loadPicture(toUtf8(file.wstring())).rgb; }

  static bool black(const Pixels& pixels) {
    return std::all_of(pixels.begin(), pixels.end(), [](uint32_t v) { return v == 0; });
  }

  // peltrix-convert.exe on `input` with `options`, writing `outputs` (and, with a
  // `framesPrefix`, the blend and frame pictures).
  static void convert(std::vector<std::wstring> options, const fs::path& input,
                      const std::vector<fs::path>& outputs, const fs::path& folder) {
    options.push_back(L"-q");
    options.push_back(input.wstring());
    for (const fs::path& out : outputs) options.push_back(out.wstring());
    ASSERT_EQ(runProgram(convertExe(), options, folder), 0) << "peltrix-convert.exe failed";
  }

  ScratchFolder scratch;
  std::unique_ptr<DrivenWindow> peltrix;
};

// "Picture in motion" plays, on the screen, the C64's pictures of the frames (those of
// --c64-frames) in the FLI viewer's order: 3, 2, 1 from video frame to video frame and from
// line to line; "Play / Pause" holds it; "Flicker map" shows the map with its legend.
TEST_F(WindowCommandsTest, ThePictureInMotionPlaysTheC64FramesInTheViewersOrder) {
  const fs::path photo = copyPhoto("fruits.jpg", scratch.path(), "fruits.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  convert({L"--frames", (scratch / "cli").wstring(), L"--c64-frames", (scratch / "cli").wstring()},
          photo, {scratch / "cli.raw"}, scratch.path());
  std::array<Pixels, 3> c64;
  for (int f = 0; f < 3; ++f)
    c64[f] = pictureOf(scratch / ("cli-c64-frame" + std::to_string(f + 1) + ".png"));
  start(scratch.path(), {L"fruits.jpg"});
  peltrix->click(kProcessButton);
  ASSERT_TRUE(shows(kBlendView, pictureOf(scratch / "cli-blend.png"), 60));

  ASSERT_TRUE(peltrix->choose(kSixteenthSpeedItem));
  ASSERT_TRUE(peltrix->choose(kMotionViewItem));
  std::vector<int> seen;  // the frame on line 0, each time the view changes
  int torn = 0;
  eventually(
      [&] {
        const int f0 = frameOnFirstLine(peltrix->viewPixels(kBlendView), c64);
        torn += f0 < 0;  // a grab may catch the view mid-paint
        if (f0 >= 0 && (seen.empty() || seen.back() != f0)) seen.push_back(f0);
        return seen.size() >= 6 || torn > 5;
      },
      30, 20);
  ASSERT_LE(torn, 5) << "the view shows pictures the viewer does not";
  ASSERT_GE(seen.size(), 6u) << "the picture in motion did not play";
  for (size_t i = 1; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i], (seen[i - 1] + 2) % 3) << "frames go 3, 2, 1 (change " << i << ")";
  }

  ASSERT_TRUE(peltrix->choose(kPlayPauseItem));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const Pixels paused = peltrix->viewPixels(kBlendView);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_EQ(peltrix->viewPixels(kBlendView), paused) << "paused, the view stands still";

  ASSERT_TRUE(peltrix->choose(kFlickerViewItem));
  EXPECT_TRUE(eventually(
      [&] {
        return IsWindowVisible(GetDlgItem(peltrix->window(), win32::kFlickerScaleId)) != FALSE;
      },
      5));
  EXPECT_EQ(toUtf8(textOf(GetDlgItem(peltrix->window(), win32::kFlickerCaptionId))),
            kFlickerLegendText);
}

TEST_F(WindowCommandsTest, OpenBitmapUsesTheRealDialogStartingInTheCurrentFolder) {
  const fs::path photo = copyPhoto("fruits.jpg", scratch.path(), "fruits.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  start(scratch.path());
  HWND dialog = fileDialog(kOpenBitmapItem, L"Choose an image");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(fileTypes(dialog),
            (std::vector<std::wstring>{L"JPEG (*.jpg)", L"BMP (*.bmp)", L"All files (*.*)"}));
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog, kFileTypeBox), CB_GETCURSEL, 0, 0), 0);
  // A bare name is found in the folder the dialog starts in: the current directory.
  peltrix->answerFileDialog(dialog, L"fruits.jpg");
  shows(kSourceView, pictureOf(photo));
  EXPECT_TRUE(black(peltrix->viewPixels(kBlendView))) << "only Process fills the blend view";
}

TEST_F(WindowCommandsTest, APictureThatCannotBeReadKeepsTheShownOneAndSaysWhy) {
  const fs::path photo = copyPhoto("fruits.jpg", scratch.path(), "fruits.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  std::ofstream(scratch / "notes.jpg") << "these are not the pixels you are looking for";
  start(scratch.path());
  peltrix->answerFileDialog(fileDialog(kOpenBitmapItem, L"Choose an image"), L"fruits.jpg");
  const Pixels shown = pictureOf(photo);
  ASSERT_TRUE(shows(kSourceView, shown));

  peltrix->answerFileDialog(fileDialog(kOpenBitmapItem, L"Choose an image"), L"notes.jpg");
  HWND message = peltrix->waitForDialog(L"Peltrix Converter");
  ASSERT_NE(message, nullptr) << "no message box";
  const std::vector<std::wstring> texts = peltrix->staticTexts(message);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find(L"notes.jpg"), std::wstring::npos) << toUtf8(texts[0]);
  EXPECT_GT(texts[0].size(), (scratch / "notes.jpg").wstring().size() + 5) << "no reason given";
  peltrix->pressButton(message, IDOK);
  shows(kSourceView, shown);
}

TEST_F(WindowCommandsTest, ProcessShowsTheResultAtTheFirstTickAndTheSavesMatchTheCommandLine) {
  const fs::path photo = copyPhoto("fruits.jpg", scratch.path(), "fruits.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  // The start-up options are the command line's defaults.
  convert({L"--frames", (scratch / "cli").wstring()}, photo,
          {scratch / "cli.raw", scratch / "cli.prg"}, scratch.path());
  start(scratch.path());
  peltrix->answerFileDialog(fileDialog(kOpenBitmapItem, L"Choose an image"), L"fruits.jpg");
  ASSERT_TRUE(shows(kSourceView, pictureOf(photo)));

  const auto started = std::chrono::steady_clock::now();
  peltrix->click(kProcessButton);
  // The photo converts in well under four seconds; the views show nothing of it before the
  // refresh timer's first tick, and the whole result at that tick.
  ASSERT_TRUE(eventually([&] { return !black(peltrix->viewPixels(kBlendView)); }, 60, 20));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_GE(seconds, 3.9) << "the views were refreshed before the timer's first tick";
  EXPECT_LT(seconds, 7.9) << "the first tick came late";
  shows(kBlendView, pictureOf(scratch / "cli-blend.png"), 5);
  shows(kFrame1View, pictureOf(scratch / "cli-frame1.png"), 5);
  shows(kFrame2View, pictureOf(scratch / "cli-frame2.png"), 5);
  shows(kFrame3View, pictureOf(scratch / "cli-frame3.png"), 5);
  EXPECT_EQ(SendMessageW(peltrix->control(kProgressBar), PBM_GETPOS, 0, 0), 0);

  HWND save = peltrix->waitForSaveDialog(kJobSeconds);
  ASSERT_NE(save, nullptr) << "the result never became saveable";
  EXPECT_EQ(fileTypes(save), std::vector<std::wstring>{L"RAW (*.raw)"});
  peltrix->answerFileDialog(save, L"window.raw");  // in the current directory
  save = fileDialog(kSavePrgItem, L"Select file to save");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(fileTypes(save), std::vector<std::wstring>{L"PRG (*.prg)"});
  peltrix->answerFileDialog(save, L"window.prg");
  ASSERT_TRUE(eventually([&] { return fs::exists(scratch / "window.prg"); }, 20));
  EXPECT_FALSE(peltrix->dialogShown(L"Peltrix Converter")) << "a save reported a failure";
  EXPECT_EQ(fileBytes(scratch / "window.raw").size(), 36864u);
  EXPECT_TRUE(fileBytes(scratch / "window.raw") == fileBytes(scratch / "cli.raw"));
  EXPECT_TRUE(fileBytes(scratch / "window.prg") == fileBytes(scratch / "cli.prg"));
}

TEST_F(WindowCommandsTest, OptionsAndNonAsciiFoldersReachTheSavedFiles) {
  const fs::path folder = scratch / L"Zo\u00eb" / L"Bilder";
  const fs::path photo = copyPhoto("butterfly.jpg", folder, L"Stra\u00dfe.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  convert({L"--no-fli", L"--ass-lace", L"--ntsc", L"-d", L"3"}, photo,
          {folder / L"cli.raw", folder / L"cli.prg"}, scratch.path());
  start(scratch.path());
  peltrix->answerFileDialog(fileDialog(kOpenBitmapItem, L"Choose an image"), photo.wstring());
  ASSERT_TRUE(shows(kSourceView, pictureOf(photo)));
  peltrix->click(kFliBox);      // off, which enables "Ass Lace"
  peltrix->click(kAssLaceBox);  // on
  peltrix->click(kNtscBox);     // on
  RECT arrows;
  GetWindowRect(peltrix->control(kDitherSpin), &arrows);
  peltrix->mouseClick({(arrows.left + arrows.right) / 2, arrows.top + 3});  // level 2 -> 3
  HWND text =
      reinterpret_cast<HWND>(SendMessageW(peltrix->control(kDitherSpin), UDM_GETBUDDY, 0, 0));
  ASSERT_TRUE(eventually([&] { return textOf(text) == L"3"; }, 5));
  peltrix->click(kProcessButton);

  HWND save = peltrix->waitForSaveDialog(kJobSeconds);
  ASSERT_NE(save, nullptr) << "the result never became saveable";
  peltrix->answerFileDialog(save, (folder / L"Stra\u00dfe.raw").wstring());
  peltrix->answerFileDialog(fileDialog(kSavePrgItem, L"Select file to save"),
                            (folder / L"Stra\u00dfe.prg").wstring());
  ASSERT_TRUE(eventually([&] { return fs::exists(folder / L"Stra\u00dfe.prg"); }, 20));
  EXPECT_EQ(fileBytes(folder / L"Stra\u00dfe.raw").size(), 27648u);
  EXPECT_TRUE(fileBytes(folder / L"Stra\u00dfe.raw") == fileBytes(folder / L"cli.raw"));
  EXPECT_TRUE(fileBytes(folder / L"Stra\u00dfe.prg") == fileBytes(folder / L"cli.prg"));
}

TEST_F(WindowCommandsTest, ThePaletteAndTheAdjustedToneReachTheSourceViewAndTheSavedFiles) {
  const fs::path photo = copyPhoto("fruits.jpg", scratch.path(), "fruits.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  convert({L"--palette", L"colodore", L"--contrast", L"40"}, photo,
          {scratch / "cli.raw", scratch / "cli.prg"}, scratch.path());
  start(scratch.path(), {photo.wstring()});
  ASSERT_TRUE(shows(kSourceView, pictureOf(photo)));
  ASSERT_TRUE(peltrix->choose(paletteItem(1)));

  EXPECT_FALSE(peltrix->choose(kAdjustItem, 1)) << "no dialog was opened";
  HWND adjust = peltrix->waitForDialog(L"Adjust");
  ASSERT_NE(adjust, nullptr);
  EXPECT_EQ(textOf(GetDlgItem(adjust, PELTRIX_TONE_LABEL + 1)), L"Contrast");
  EXPECT_EQ(textOf(GetDlgItem(adjust, PELTRIX_TONE_VALUE + 3)), L"1.00");
  HWND brightness = GetDlgItem(adjust, PELTRIX_TONE_SLIDER);
  EXPECT_EQ(SendMessageW(brightness, TBM_GETRANGEMIN, 0, 0), -100);
  EXPECT_EQ(SendMessageW(brightness, TBM_GETRANGEMAX, 0, 0), 100);
  EXPECT_EQ(SendMessageW(brightness, TBM_GETPOS, 0, 0), 0);
  HWND contrast = GetDlgItem(adjust, PELTRIX_TONE_SLIDER + 1);
  SendMessageW(contrast, TBM_SETPOS, TRUE, 39);
  SendMessageW(contrast, WM_KEYDOWN, VK_RIGHT, 0);  // one step up, as the arrow key moves it
  EXPECT_TRUE(
      eventually([&] { return textOf(GetDlgItem(adjust, PELTRIX_TONE_VALUE + 1)) == L"40"; }, 5));
  ASSERT_TRUE(shows(kSourceView, tonedPixels(pictureOf(photo), Tone{.contrast = 40})));
  peltrix->pressButton(adjust, IDOK);

  peltrix->click(kProcessButton);
  HWND save = peltrix->waitForSaveDialog(kJobSeconds);
  ASSERT_NE(save, nullptr) << "the result never became saveable";
  peltrix->answerFileDialog(save, (scratch / "window.raw").wstring());
  peltrix->answerFileDialog(fileDialog(kSavePrgItem, L"Select file to save"),
                            (scratch / "window.prg").wstring());
  ASSERT_TRUE(eventually([&] { return fs::exists(scratch / "window.prg"); }, 20));
  EXPECT_TRUE(fileBytes(scratch / "window.raw") == fileBytes(scratch / "cli.raw"));
  EXPECT_TRUE(fileBytes(scratch / "window.prg") == fileBytes(scratch / "cli.prg"));
}

TEST_F(WindowCommandsTest, StopEndsTheJobEarlyAndLeavesASaveableResult) {
  const fs::path photo = copyPhoto("fruits.jpg", scratch.path(), "fruits.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  convert({L"--frames", (scratch / "cli").wstring()}, photo, {scratch / "cli.raw"}, scratch.path());
  const Pixels full = pictureOf(scratch / "cli-blend.png");
  const Pixels lastRow(full.end() - 8 * kWidth, full.end());
  ASSERT_FALSE(black(lastRow)) << "the photo's last cell row must show in a full conversion";
  start(scratch.path());
  peltrix->answerFileDialog(fileDialog(kOpenBitmapItem, L"Choose an image"), L"fruits.jpg");
  ASSERT_TRUE(shows(kSourceView, pictureOf(photo)));

  // Both clicks posted: the window handles them one right after the other, while the
  // workers are still in the first cell rows.
  peltrix->postClick(kProcessButton);
  peltrix->postClick(kStopButton);
  HWND save = peltrix->waitForSaveDialog(kJobSeconds);
  ASSERT_NE(save, nullptr) << "the stopped job never completed";
  peltrix->answerFileDialog(save, L"stopped.raw");
  ASSERT_TRUE(eventually([&] { return fs::exists(scratch / "stopped.raw"); }, 20));
  const Pixels blend = peltrix->viewPixels(kBlendView);
  EXPECT_TRUE(black(Pixels(blend.end() - 8 * kWidth, blend.end())))
      << "the cells the stopped job never reached keep their black";
  EXPECT_EQ(fileBytes(scratch / "stopped.raw").size(), 36864u);
  EXPECT_FALSE(fileBytes(scratch / "stopped.raw") == fileBytes(scratch / "cli.raw"));
  EXPECT_EQ(SendMessageW(peltrix->control(kProgressBar), PBM_GETPOS, 0, 0), 0);
}

TEST_F(WindowCommandsTest, AChoiceDuringAConversionIsNotedOnTheStatusLineUntilTheNextProcess) {
  const fs::path photo = copyPhoto("fruits.jpg", scratch.path(), "fruits.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  start(scratch.path(), {photo.wstring()});
  ASSERT_TRUE(shows(kSourceView, pictureOf(photo)));
  HWND line = GetDlgItem(peltrix->window(), win32::kStatusLineId);
  ASSERT_NE(line, nullptr);
  const std::wstring noted = toUtf16(kNextConversionStatus);
  auto empty = [&] {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(line, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_NORMAL, 10000,
                        &ignored);
  };

  // The job counts as running until the refresh timer's first tick, four seconds on: these
  // few clicks come well before it.
  peltrix->click(kProcessButton);
  EXPECT_EQ(textOf(line), L"");
  ASSERT_TRUE(peltrix->choose(paletteItem(1)));
  EXPECT_EQ(textOf(line), noted);
  for (ControlId box :
       {kMultithreadBox, kBruteForceBox, kLumaOverloadBox, kFliBox, kSuperFlickerBox}) {
    empty();
    peltrix->click(box);
    EXPECT_EQ(textOf(line), noted) << box;
  }

  HWND save = peltrix->waitForSaveDialog(kJobSeconds);
  ASSERT_NE(save, nullptr) << "the job never completed";
  peltrix->pressButton(save, IDCANCEL);
  // After the conversion's report, until the next conversion.
  const std::wstring reported = textOf(line);
  EXPECT_EQ(reported.rfind(L"Error ", 0), 0u) << toUtf8(reported);
  EXPECT_TRUE(reported.ends_with(L" " + noted)) << toUtf8(reported);
  peltrix->click(kProcessButton);
  EXPECT_EQ(textOf(line), L"");
}

// The classic match's blend and what the eye sees, swapped by the "View" menu; then the eye
// match chosen in the "Picture" menu: its raw file and the report on the status line are
// the command line's.
TEST_F(WindowCommandsTest, TheEyeMatchAndTheEyeViewChosenInTheMenusMatchTheCommandLine) {
  const fs::path photo = copyPhoto("fruits.jpg", scratch.path(), "fruits.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  convert({L"--frames", (scratch / "classic").wstring(), L"--eye",
           (scratch / "classic-eye.png").wstring()},
          photo, {scratch / "classic.raw"}, scratch.path());
  ASSERT_EQ(
      runProgram(convertExe(), {L"-q", L"--match", L"eye", L"--report", L"fruits.jpg", L"eye.raw"},
                 scratch.path(), 120, scratch / "report.txt"),
      0);
  const std::vector<uint8_t> printed = fileBytes(scratch / "report.txt");
  const std::string report(printed.begin(), printed.end());
  const std::string prefix = "fruits.jpg: error ";
  ASSERT_EQ(report.rfind(prefix, 0), 0u) << report;
  const std::string expected =
      "Error " + report.substr(prefix.size(), report.find_first_of("\r\n") - prefix.size());

  start(scratch.path(), {L"fruits.jpg"});
  ASSERT_TRUE(shows(kSourceView, pictureOf(photo)));
  peltrix->click(kProcessButton);
  ASSERT_TRUE(shows(kBlendView, pictureOf(scratch / "classic-blend.png"), 60));
  ASSERT_TRUE(peltrix->choose(kEyeViewItem));
  shows(kBlendView, pictureOf(scratch / "classic-eye.png"), 5);
  ASSERT_TRUE(peltrix->choose(kBlendViewItem));
  shows(kBlendView, pictureOf(scratch / "classic-blend.png"), 5);

  ASSERT_TRUE(peltrix->choose(kEyeViewItem));
  ASSERT_TRUE(peltrix->choose(kEyeMatchItem));
  HWND save = peltrix->waitForSaveDialog(kJobSeconds);  // the first conversion's result
  ASSERT_NE(save, nullptr);
  peltrix->pressButton(save, IDCANCEL);
  peltrix->click(kProcessButton);
  HWND line = GetDlgItem(peltrix->window(), win32::kStatusLineId);
  ASSERT_TRUE(eventually([&] { return textOf(line) == toUtf16(expected); }, kJobSeconds))
      << toUtf8(textOf(line)) << " instead of " << expected;
  save = peltrix->waitForSaveDialog(kJobSeconds);
  ASSERT_NE(save, nullptr);
  peltrix->answerFileDialog(save, L"window.raw");
  ASSERT_TRUE(eventually([&] { return fs::exists(scratch / "window.raw"); }, 20));
  EXPECT_TRUE(fileBytes(scratch / "window.raw") == fileBytes(scratch / "eye.raw"));
}

// The eye match's dither items are greyed while the classic match is chosen. Windows keeps a
// menu's items with the process that made it, so the window is made in this one.
TEST_F(WindowCommandsTest, TheEyeDitherItemsAreEnabledWithTheEyeMatch) {
  auto state = std::make_unique<SharedState>();
  auto window = win32::createMainWindow(*state, GetModuleHandleW(nullptr));
  win32::setInitialStates(*window);
  auto greyed = [&](MenuItemId item) {
    return (GetMenuState(window->menu, item, MF_BYCOMMAND) & MF_GRAYED) != 0;
  };
  auto marked = [&](MenuItemId item) {
    return (GetMenuState(window->menu, item, MF_BYCOMMAND) & MF_CHECKED) != 0;
  };
  for (MenuItemId item : {kDiffusionItem, kOrderedDitherItem, kNoDitherItem}) {
    EXPECT_TRUE(greyed(item)) << item;
  }
  EXPECT_FALSE(greyed(kEyeMatchItem));
  SendMessageW(window->window, WM_COMMAND, MAKEWPARAM(kEyeMatchItem, 0), 0);
  SendMessageW(window->window, WM_COMMAND, MAKEWPARAM(kNoDitherItem, 0), 0);
  for (MenuItemId item : {kDiffusionItem, kOrderedDitherItem, kNoDitherItem}) {
    EXPECT_FALSE(greyed(item)) << item;
  }
  EXPECT_TRUE(marked(kEyeMatchItem) && !marked(kClassicMatchItem));
  EXPECT_TRUE(marked(kNoDitherItem) && !marked(kDiffusionItem));
  EXPECT_TRUE(marked(paletteItem(0))) << "each group keeps its own mark";
  EXPECT_EQ(state->chosen.match, engine::Match::Eye);
  EXPECT_EQ(state->chosen.eyeDither, EyeDither::None);
  window.reset();
  MSG left;  // the quit message the window's end posts to this thread
  while (PeekMessageW(&left, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST_F(WindowCommandsTest, ExitEndsTheProcessAtOnceMidJobWithStatusZero) {
  start(scratch.path());
  peltrix->postClick(kProcessButton);
  peltrix->postChoose(kExitItem);
  EXPECT_EQ(peltrix->waitForExit(30), 0);
}

TEST_F(WindowCommandsTest, TheCloseBoxEndsTheProcessWithStatusZero) {
  start(scratch.path());
  HWND main = peltrix->window();
  RECT outer;
  GetWindowRect(main, &outer);
  // The close box is wherever the frame says it is; a real click there.
  POINT closeBox{-1, -1};
  for (int y = outer.top; y < outer.top + 40 && closeBox.x < 0; ++y) {
    for (int x = outer.right - 1; x > outer.right - 80; --x) {
      if (SendMessageW(main, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
        closeBox = {x - 3, y + 3};  // inside the box, not on its edge
        break;
      }
    }
  }
  ASSERT_GE(closeBox.x, 0) << "no close box";
  peltrix->mouseClick(closeBox);
  EXPECT_EQ(peltrix->waitForExit(30), 0);
}

TEST_F(WindowCommandsTest, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
  start(scratch.path());
  peltrix->click(kBruteForceBox);  // the quickest options
  peltrix->click(kFliBox);
  peltrix->click(kProcessButton);
  HWND save = peltrix->waitForSaveDialog(kJobSeconds);
  ASSERT_NE(save, nullptr);
  // Another program holds the file open and shares it with nobody.
  std::ofstream(scratch / "locked.raw") << "kept";
  HANDLE lock = CreateFileW((scratch / "locked.raw").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  peltrix->answerFileDialog(save, L"locked.raw");
  HWND message = peltrix->waitForDialog(L"Peltrix Converter");
  CloseHandle(lock);
  ASSERT_NE(message, nullptr) << "no message box";
  const std::vector<std::wstring> texts = peltrix->staticTexts(message);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find(L"locked.raw"), std::wstring::npos) << toUtf8(texts[0]);
  peltrix->pressButton(message, IDOK);
  const std::vector<uint8_t> kept = fileBytes(scratch / "locked.raw");
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "kept");
  // Nothing half-written is left beside it either.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(scratch.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST_F(WindowCommandsTest, APictureNamedOnTheCommandLineIsShownAtStart) {
  // As Explorer starts the program for a file dropped on its icon: the wide command line.
  const fs::path photo = copyPhoto("fruits.jpg", scratch.path(), L"fr\u00fcchte \u00e9t\u00e9.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  start(scratch.path(), {photo.filename().wstring()});
  shows(kSourceView, pictureOf(photo));
}

TEST_F(WindowCommandsTest, ABrokenPictureOnTheCommandLineIsReportedAndTheWindowStarts) {
  std::ofstream(scratch / "notes.jpg") << "no pixels here";
  start(scratch.path(), {L"notes.jpg"});
  HWND message = peltrix->waitForDialog(L"Peltrix Converter");
  ASSERT_NE(message, nullptr) << "no message box";
  const std::vector<std::wstring> texts = peltrix->staticTexts(message);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find(L"notes.jpg"), std::wstring::npos) << toUtf8(texts[0]);
  peltrix->pressButton(message, IDOK);
  EXPECT_TRUE(black(peltrix->viewPixels(kSourceView)));
}

// A drop as Explorer delivers it: WM_DROPFILES with the files in a DROPFILES block. The block
// is memory of the receiving process, so the window is made in this one.
TEST_F(WindowCommandsTest, AFileDroppedOnTheWindowOpensTheFirstOfThem) {
  const fs::path photo = copyPhoto("fruits.jpg", scratch.path(), L"dropped \u00e9.jpg");
  if (photo.empty()) GTEST_SKIP() << "../shared/testdata is missing";
  auto state = std::make_unique<SharedState>();
  auto window = win32::createMainWindow(*state, GetModuleHandleW(nullptr));
  win32::setInitialStates(*window);
  const std::wstring names = photo.wstring() + L'\0' + (scratch / L"second.jpg").wstring() + L'\0';
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
  ASSERT_NE(block, nullptr);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(drop + 1));
  GlobalUnlock(block);
  SendMessageW(window->window, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);  // frees it
  EXPECT_EQ(state->sourceImage.rgb, pictureOf(photo)) << "the first file was not opened";
  window.reset();
  MSG left;  // the quit message the window's end posts to this thread
  while (PeekMessageW(&left, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace
}  // namespace peltrix::testing
