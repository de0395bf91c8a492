// peltrix.exe keeps its choices in %APPDATA%\peltrix between runs: what the user chose shows
// in the next window, "Restore Defaults" puts it all back, a broken file is passed over with a
// warning and --reset reads none. The file's own rules are tested without a window.
#include <gtest/gtest.h>
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <fstream>
#include <memory>
#include <string>

#include "core/shared_state.hpp"
#include "driven_window.hpp"
#include "frontends/win32/main_window.hpp"
#include "frontends/window/window_commands.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::testing {
namespace {

class WindowSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(appData); }

  bool checked(const DrivenWindow& peltrix, ControlId box) const {
    return SendMessageW(peltrix.control(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  std::wstring ditherText(const DrivenWindow& peltrix) const {
    return textOf(GetDlgItem(peltrix.window(), win32::kDitherTextId));
  }
  bool legendShown(const DrivenWindow& peltrix) const {
    return IsWindowVisible(GetDlgItem(peltrix.window(), win32::kFlickerScaleId)) != FALSE;
  }
  std::string settingsText() const {
    const std::vector<uint8_t> bytes = fileBytes(settings);
    return {bytes.begin(), bytes.end()};
  }

  void expectDefaults(const DrivenWindow& peltrix) {
    for (ControlId box : {kMultithreadBox, kBruteForceBox, kLumaOverloadBox, kFliBox}) {
      EXPECT_TRUE(checked(peltrix, box)) << box;
    }
    for (ControlId box : {kNtscBox, kSuperFlickerBox, kAssLaceBox, kLumaOnlyBox}) {
      EXPECT_FALSE(checked(peltrix, box)) << box;
    }
    EXPECT_FALSE(IsWindowEnabled(peltrix.control(kAssLaceBox)));
    EXPECT_EQ(ditherText(peltrix), L"2");
    EXPECT_FALSE(legendShown(peltrix));
  }

  ScratchFolder scratch;
  const fs::path appData = scratch / "Roaming";
  const fs::path settings = appData / "peltrix" / "window-settings.txt";
};

TEST_F(WindowSettingsTest, ChoicesSurviveARestartAndRestoreDefaultsPutsThemBack) {
  {
    DrivenWindow peltrix(scratch.path(), {}, appData);
    peltrix.click(kNtscBox);
    peltrix.click(kFliBox);
    RECT arrows;
    GetWindowRect(peltrix.control(kDitherSpin), &arrows);
    peltrix.mouseClick({(arrows.left + arrows.right) / 2, arrows.top + 3});  // level 2 -> 3
    ASSERT_TRUE(eventually([&] { return ditherText(peltrix) == L"3"; }, 5));
    ASSERT_TRUE(peltrix.choose(paletteItem(2)));
    ASSERT_TRUE(peltrix.choose(kEyeMatchItem));
    ASSERT_TRUE(peltrix.choose(kFlickerViewItem));
    peltrix.postChoose(kExitItem);
    ASSERT_EQ(peltrix.waitForExit(20), 0);
  }
  const ParsedChoices written = parseWindowChoices(settingsText());
  ASSERT_TRUE(written.choices.has_value()) << written.problem;
  EXPECT_TRUE(*written.choices == (WindowChoices{.fli = false,
                                                 .ntsc = true,
                                                 .ditherLevel = 3,
                                                 .palette = 2,
                                                 .match = engine::Match::Eye,
                                                 .view = BlendViewShows::FlickerMap}))
      << settingsText();

  DrivenWindow peltrix(scratch.path(), {}, appData);
  EXPECT_TRUE(checked(peltrix, kNtscBox));
  EXPECT_FALSE(checked(peltrix, kFliBox));
  EXPECT_TRUE(IsWindowEnabled(peltrix.control(kAssLaceBox))) << "FLI and super flicker are off";
  EXPECT_EQ(ditherText(peltrix), L"3");
  EXPECT_EQ(SendMessageW(peltrix.control(kDitherSpin), UDM_GETPOS32, 0, 0), 3);
  EXPECT_TRUE(legendShown(peltrix));

  ASSERT_TRUE(peltrix.choose(kRestoreDefaultsItem));
  expectDefaults(peltrix);
  EXPECT_EQ(settingsText(), formatWindowChoices(WindowChoices{}));
}

TEST_F(WindowSettingsTest, ABrokenFileIsPassedOverWithAWarningAndResetReadsNone) {
  fs::create_directories(settings.parent_path());
  std::ofstream(settings, std::ios::binary) << std::string("MZ\x90\0\x03\0\0\0", 8);
  const fs::path errors = scratch / "errors.txt";
  {
    DrivenWindow peltrix(scratch.path(), {}, appData, errors);
    expectDefaults(peltrix);
    peltrix.click(kNtscBox);  // the next save replaces the file
    peltrix.postChoose(kExitItem);
    ASSERT_EQ(peltrix.waitForExit(20), 0);
  }
  const std::vector<uint8_t> printed = fileBytes(errors);
  const std::string warning = "peltrix: ignoring the settings file " + toUtf8(settings.wstring()) +
                              " (its first line is not \"peltrix-window-settings 1\"): the "
                              "window starts with its default choices";
  EXPECT_NE(std::string(printed.begin(), printed.end()).find(warning), std::string::npos)
      << warning;
  const ParsedChoices written = parseWindowChoices(settingsText());
  ASSERT_TRUE(written.choices.has_value()) << written.problem;
  EXPECT_TRUE(written.choices->ntsc);

  DrivenWindow reset(scratch.path(), {L"--reset"}, appData);
  expectDefaults(reset);
}

// The menu's marks follow the remembered choices. Windows keeps a menu's items with the
// process that made it, so the window is made in this one.
TEST_F(WindowSettingsTest, TheMenusMarksFollowTheRememberedChoices) {
  fs::create_directories(settings.parent_path());
  std::ofstream(settings, std::ios::binary)
      << "peltrix-window-settings 1\npalette=colodore\nmatch=eye\neye-dither=ordered\n"
         "view=motion\nmotion-speed=sixteenth\n";
  auto state = std::make_unique<SharedState>();
  auto window = win32::createMainWindow(*state, GetModuleHandleW(nullptr));
  win32::setInitialStates(*window);
  startRemembering(*window, toUtf8(settings.wstring()), false);
  auto marked = [&](MenuItemId item) {
    return (GetMenuState(window->menu, item, MF_BYCOMMAND) & MF_CHECKED) != 0;
  };
  for (MenuItemId item : {paletteItem(1), kEyeMatchItem, kOrderedDitherItem, kMotionViewItem,
                          kSixteenthSpeedItem, kTopLeftFramingItem, kPalAspectItem}) {
    EXPECT_TRUE(marked(item)) << item;
  }
  for (MenuItemId item :
       {paletteItem(0), kClassicMatchItem, kDiffusionItem, kBlendViewItem, kFullSpeedItem}) {
    EXPECT_FALSE(marked(item)) << item;
  }
  EXPECT_EQ(GetMenuState(window->menu, kOrderedDitherItem, MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_TRUE(window->motionTimerRunning);
  SendMessageW(window->window, WM_COMMAND, MAKEWPARAM(kRestoreDefaultsItem, 0), 0);
  for (const MenuRadioGroup& group : kMenuRadioGroups) {
    for (int item = group.first; item <= group.last; ++item) {
      EXPECT_EQ(marked(MenuItemId(item)), item == group.first) << item;
    }
  }
  EXPECT_NE(GetMenuState(window->menu, kOrderedDitherItem, MF_BYCOMMAND) & MF_GRAYED, 0u);
  EXPECT_FALSE(window->motionTimerRunning);
  window.reset();
  MSG left;  // the quit message the window's end posts to this thread
  while (PeekMessageW(&left, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace
}  // namespace peltrix::testing
