// peltrix.exe as it starts: its window's place, size, frame and title; every control's
// identifier, class, geometry and label against the window table; the start-up states; the
// "Ass Lace" rule; the menu; the about box; the icon, the manifest and the themed controls.
#include <gtest/gtest.h>
#include <windows.h>
// commctrl.h and psapi.h need windows.h first.
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cwctype>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "colour/picture.hpp"
#include "driven_window.hpp"
#include "frontends/win32/main_window.hpp"
#include "frontends/win32/window_parts.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::testing {
namespace {

class WindowFrameTest : public ::testing::Test {
 protected:
  ScratchFolder folder;
  DrivenWindow peltrix{folder.path()};
};

std::wstring lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), ::towlower);
  return text;
}

const wchar_t* classFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::SunkenPictureView:
    case ControlKind::PictureView:
      return L"static";
    case ControlKind::ProgressBar:
      return L"msctls_progress32";
    case ControlKind::SpinControl:
      return L"msctls_updown32";
    default:
      return L"button";
  }
}

bool same(const RECT& r, const ControlSpec& spec) {
  return r.left == spec.x && r.top == spec.y && r.right - r.left == spec.width &&
         r.bottom - r.top == spec.height;
}

std::string describe(const RECT& r) {
  std::ostringstream text;
  text << "(" << r.left << ", " << r.top << ") " << r.right - r.left << " x " << r.bottom - r.top;
  return text.str();
}

LONG_PTR styleOf(HWND window) {
  return GetWindowLongPtrW(window, GWL_STYLE);
}

TEST_F(WindowFrameTest, WindowHasItsPlaceClientAreaFrameAndTitle) {
  HWND main = peltrix.window();
  RECT outer, client;
  GetWindowRect(main, &outer);
  GetClientRect(main, &client);
  EXPECT_EQ(outer.left, kWindowX);
  EXPECT_EQ(outer.top, kWindowY);
  EXPECT_EQ(client.right, kClientWidth);
  EXPECT_EQ(client.bottom, kClientHeight);
  const LONG_PTR style = styleOf(main);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_THICKFRAME) << "no sizing border";
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  const std::wstring title = textOf(main);
  EXPECT_EQ(title.rfind(L"Peltrix Converter", 0), 0u);
  EXPECT_GT(title.size(), wcslen(L"Peltrix Converter ")) << "the authorship notice is missing";
  EXPECT_EQ(title, toUtf16(kWindowTitle));
  // The close box and the sizing border answer the mouse; no minimise or maximise box does.
  bool closeBox = false;
  const int captionMiddle =
      outer.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  for (int x = outer.left; x < outer.right; ++x) {
    for (int y = captionMiddle - 3; y <= captionMiddle + 3; y += 3) {
      const LRESULT hit = SendMessageW(main, WM_NCHITTEST, 0, MAKELPARAM(x, y));
      closeBox |= hit == HTCLOSE;
      EXPECT_NE(hit, HTMINBUTTON) << x << "," << y;
      EXPECT_NE(hit, HTMAXBUTTON) << x << "," << y;
      if (hit == HTMINBUTTON || hit == HTMAXBUTTON) return;
    }
  }
  EXPECT_TRUE(closeBox);
  EXPECT_EQ(SendMessageW(main, WM_NCHITTEST, 0, MAKELPARAM(outer.right - 2, outer.bottom - 2)),
            HTBOTTOMRIGHT);
}

TEST_F(WindowFrameTest, EveryControlHasItsIdentifierClassPlaceAndLabel) {
  for (const ControlSpec& spec : kWin32Controls) {
    SCOPED_TRACE("control " + std::to_string(spec.id));
    HWND control = peltrix.control(spec.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(lower(classOf(control)), classFor(spec.kind));
    EXPECT_TRUE(IsWindowVisible(control));
    EXPECT_EQ(textOf(control), toUtf16(spec.label));
    const LONG_PTR style = styleOf(control);
    RECT place = peltrix.placeOf(control);
    switch (spec.kind) {
      case ControlKind::SunkenPictureView: {
        // The picture fills the view's client area; the sunken border lies just outside.
        const RECT inside = peltrix.clientPlaceOf(control);
        EXPECT_TRUE(same(inside, spec)) << describe(inside);
        EXPECT_TRUE(GetWindowLongPtrW(control, GWL_EXSTYLE) &
                    (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE));
        EXPECT_LT(place.left, spec.x);
        EXPECT_EQ(style & SS_TYPEMASK, SS_OWNERDRAW);  // drawn by the window, sharp at any DPI
        break;
      }
      case ControlKind::PictureView:
        EXPECT_TRUE(same(place, spec)) << describe(place);
        EXPECT_EQ(style & SS_TYPEMASK, SS_OWNERDRAW);  // drawn by the window, sharp at any DPI
        EXPECT_FALSE(GetWindowLongPtrW(control, GWL_EXSTYLE) &
                     (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE));
        break;
      case ControlKind::SpinControl: {
        // The up-down and its buddy, the edit showing the level, share the spin's box.
        HWND buddy = reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0));
        ASSERT_NE(buddy, nullptr);
        EXPECT_EQ(lower(classOf(buddy)), L"edit");
        EXPECT_FALSE(style & UDS_SETBUDDYINT) << "the program writes the text itself";
        const RECT text = peltrix.placeOf(buddy);
        SCOPED_TRACE("text " + describe(text) + ", arrows " + describe(place));
        RECT both;
        UnionRect(&both, &text, &place);
        EXPECT_TRUE(same(both, spec)) << describe(both);
        EXPECT_EQ(text.right, place.left) << "the arrows sit right of the text";
        break;
      }
      case ControlKind::PushButton:
        EXPECT_TRUE(same(place, spec)) << describe(place);
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
        break;
      case ControlKind::GroupFrame:
        EXPECT_TRUE(same(place, spec)) << describe(place);
        EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
        break;
      case ControlKind::CheckBox:
        EXPECT_TRUE(same(place, spec)) << describe(place);
        EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX);
        break;
      case ControlKind::ProgressBar:
        EXPECT_TRUE(same(place, spec)) << describe(place);
        break;
    }
  }
  // The bar reaches past the window's right edge.
  RECT client;
  GetClientRect(peltrix.window(), &client);
  EXPECT_GT(peltrix.placeOf(peltrix.control(kProgressBar)).right, client.right);
}

TEST_F(WindowFrameTest, ResizingTheWindowMovesNoControl) {
  HWND main = peltrix.window();
  ASSERT_TRUE(SetWindowPos(main, nullptr, 0, 0, 1200, 800, SWP_NOMOVE | SWP_NOZORDER));
  ASSERT_TRUE(eventually(
      [&] {
        RECT r;
        GetWindowRect(main, &r);
        return r.right - r.left == 1200;
      },
      10));
  for (const ControlSpec& spec : kWin32Controls) {
    if (spec.kind == ControlKind::SpinControl) continue;  // a pair of windows, checked above
    HWND control = peltrix.control(spec.id);
    const RECT place = spec.kind == ControlKind::SunkenPictureView ? peltrix.clientPlaceOf(control)
                                                                   : peltrix.placeOf(control);
    EXPECT_TRUE(same(place, spec)) << spec.id << ": " << describe(place);
  }
}

TEST_F(WindowFrameTest, StartsInItsInitialStates) {
  HWND spin = peltrix.control(kDitherSpin);
  EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 2);
  const LRESULT range = SendMessageW(spin, UDM_GETRANGE, 0, 0);
  EXPECT_EQ(HIWORD(range), 0);  // the low end
  EXPECT_EQ(LOWORD(range), kDitherMaximum);
  EXPECT_EQ(textOf(reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0))), L"2");
  for (ControlId on : {kMultithreadBox, kBruteForceBox, kLumaOverloadBox, kFliBox}) {
    EXPECT_EQ(SendMessageW(peltrix.control(on), BM_GETCHECK, 0, 0), BST_CHECKED) << on;
  }
  for (ControlId off : {kNtscBox, kSuperFlickerBox, kAssLaceBox, kLumaOnlyBox}) {
    EXPECT_EQ(SendMessageW(peltrix.control(off), BM_GETCHECK, 0, 0), BST_UNCHECKED) << off;
  }
  for (const ControlSpec& spec : kWin32Controls) {
    EXPECT_EQ(IsWindowEnabled(peltrix.control(spec.id)) != FALSE, spec.id != kAssLaceBox)
        << spec.id;
  }
  HWND bar = peltrix.control(kProgressBar);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), kProgressMaximum);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
  // Before any picture and any job the five views show black.
  for (ControlId view : {kSourceView, kBlendView, kFrame1View, kFrame2View, kFrame3View}) {
    const Pixels shown = peltrix.viewPixels(view);
    ASSERT_EQ(shown.size(), size_t(kPixels)) << view;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 0u), kPixels) << view;
  }
}

TEST_F(WindowFrameTest, TheBannerIsShownAtItsPlace) {
  const SourcePicture banner = loadPicture(toUtf8(hostPath(PELTRIX_BANNER_PNG).wstring()));
  const Pixels shown = peltrix.viewPixels(kBannerView);
  ASSERT_EQ(shown.size(), 980u * 80u);
  int differences = 0;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < kWidth; ++x)
      differences += shown[y * 980 + x] != banner.rgb[y * kWidth + x];
  }
  EXPECT_EQ(differences, 0) << "of the banner's left 320 x 80 pixels";
}

TEST_F(WindowFrameTest, AssLaceIsEnabledExactlyWhenFliAndSuperFlickerAreOff) {
  auto assLaceEnabled = [&] { return IsWindowEnabled(peltrix.control(kAssLaceBox)) != FALSE; };
  auto checked = [&](ControlId id) {
    return SendMessageW(peltrix.control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  };
  EXPECT_FALSE(assLaceEnabled());
  peltrix.click(kFliBox);  // off
  EXPECT_FALSE(checked(kFliBox));
  EXPECT_TRUE(assLaceEnabled());
  peltrix.click(kAssLaceBox);  // on while enabled
  EXPECT_TRUE(checked(kAssLaceBox));
  peltrix.click(kSuperFlickerBox);  // on
  EXPECT_FALSE(assLaceEnabled());
  EXPECT_TRUE(checked(kAssLaceBox)) << "disabling keeps the box's state";
  peltrix.click(kFliBox);  // on as well
  EXPECT_FALSE(assLaceEnabled());
  peltrix.click(kSuperFlickerBox);  // off, FLI still on
  EXPECT_FALSE(assLaceEnabled());
  peltrix.click(kFliBox);  // both off
  EXPECT_TRUE(assLaceEnabled());
  EXPECT_TRUE(checked(kAssLaceBox));
}

TEST_F(WindowFrameTest, SpinArrowsStepTheLevelWithinItsRangeAndItsTextFollows) {
  HWND spin = peltrix.control(kDitherSpin);
  HWND text = reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0));
  RECT arrows;
  GetWindowRect(spin, &arrows);
  const int x = (arrows.left + arrows.right) / 2;
  const POINT up{x, arrows.top + 3}, down{x, arrows.bottom - 4};
  auto clickAndSettle = [&](POINT at) {
    peltrix.mouseClick(at);
    SendMessageW(peltrix.window(), WM_NULL, 0, 0);
  };
  clickAndSettle(up);
  EXPECT_TRUE(eventually([&] { return textOf(text) == L"3"; }, 5)) << toUtf8(textOf(text));
  clickAndSettle(up);  // stays at the top of 0..3
  EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 3);
  for (int i = 0; i < 4; ++i) clickAndSettle(down);
  EXPECT_TRUE(eventually([&] { return textOf(text) == L"0"; }, 5)) << toUtf8(textOf(text));
  EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 0);
}

TEST_F(WindowFrameTest, AboutShowsAMessageBoxWithOneLineAndOneOkButton) {
  EXPECT_FALSE(peltrix.choose(kAboutItem, 0.5)) << "the about box is modal";
  HWND about = peltrix.waitForDialog(L"About");
  ASSERT_NE(about, nullptr);
  const std::vector<std::wstring> texts = peltrix.staticTexts(about);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], toUtf16(aboutText()));
  EXPECT_EQ(texts[0].find(L'\n'), std::wstring::npos);
  EXPECT_NE(GetDlgItem(about, IDOK), nullptr);
  EXPECT_EQ(GetDlgItem(about, IDCANCEL), nullptr);
  peltrix.pressButton(about, IDOK);
  // Closed, the window answers again: "Save Raw" without a result returns at once.
  EXPECT_TRUE(peltrix.choose(kSaveRawItem));
}

TEST_F(WindowFrameTest, TheManifestSelectsThemedCommonControlsFromWinSxS) {
  // The program loaded version 6 of comctl32, which lives in winsxs; version 5 is in system32.
  HMODULE modules[512];
  DWORD bytes = 0;
  ASSERT_TRUE(
      EnumProcessModulesEx(peltrix.process(), modules, sizeof modules, &bytes, LIST_MODULES_ALL));
  std::wstring comctl32;
  for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
    wchar_t name[MAX_PATH] = L"";
    GetModuleFileNameExW(peltrix.process(), modules[i], name, MAX_PATH);
    if (lower(name).ends_with(L"\\comctl32.dll")) comctl32 = lower(name);
  }
  EXPECT_NE(comctl32.find(L"\\winsxs\\"), std::wstring::npos) << toUtf8(comctl32);

  HMODULE exe = LoadLibraryExW(peltrixExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  HRSRC manifest = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(exe, manifest))),
                         SizeofResource(exe, manifest));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
  FreeLibrary(exe);
}

// The icon group's directory, as the resource holds it.
#pragma pack(push, 2)
struct IconDirectoryEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct IconDirectory {
  WORD reserved, type, count;
  IconDirectoryEntry entries[1];
};
#pragma pack(pop)

// An icon drawn at `size` x `size` as the title bar draws it: into a bitmap of the screen's
// own format, read back as RGB values.
Pixels drawnIcon(HICON icon, int size) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ previous = SelectObject(memory, canvas);
  DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  ScreenCopy copy(size, size);
  BitBlt(copy.dc(), 0, 0, size, size, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteObject(canvas);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copy.pixels();
}

// Whether `part` (width x width) appears anywhere in `whole` (wholeWidth wide).
bool contains(const Pixels& whole, int wholeWidth, const Pixels& part, int width) {
  const int wholeHeight = int(whole.size()) / wholeWidth;
  for (int oy = 0; oy + width <= wholeHeight; ++oy) {
    for (int ox = 0; ox + width <= wholeWidth; ++ox) {
      bool match = true;
      for (int y = 0; y < width && match; ++y) {
        for (int x = 0; x < width && match; ++x) {
          match = whole[(oy + y) * wholeWidth + ox + x] == part[y * width + x];
        }
      }
      if (match) return true;
    }
  }
  return false;
}

TEST_F(WindowFrameTest, TheProgramAndItsWindowCarryTheFiftyPixelIcon) {
  HMODULE exe = LoadLibraryExW(peltrixExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  // The first icon group is the one Explorer shows for the program.
  HRSRC group = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  const auto* icons = static_cast<const IconDirectory*>(LockResource(LoadResource(exe, group)));
  ASSERT_EQ(icons->count, 1);
  EXPECT_EQ(icons->entries[0].width, 50);
  EXPECT_EQ(icons->entries[0].height, 50);
  EXPECT_EQ(icons->entries[0].bitCount, 24);
  // Windows makes an icon of it at its own size.
  HICON icon = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, 0));
  ASSERT_NE(icon, nullptr) << GetLastError();
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP colour{};
  GetObjectW(info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 50);
  EXPECT_EQ(colour.bmHeight, 50);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);

  // The title bar shows it, drawn down to the small icon's size (the icon has no transparent
  // pixels, so it looks the same on any background).
  const int size = GetSystemMetrics(SM_CXSMICON);
  HICON big = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, 0));
  ASSERT_NE(big, nullptr);
  const Pixels expected = drawnIcon(big, size);
  DestroyIcon(big);
  FreeLibrary(exe);
  RECT outer;
  GetWindowRect(peltrix.window(), &outer);
  const int stripWidth = 4 * size, stripHeight = GetSystemMetrics(SM_CYCAPTION) + 16;
  EXPECT_TRUE(contains(screenPixels(outer.left, outer.top, stripWidth, stripHeight), stripWidth,
                       expected, size))
      << "the title bar does not show the program's icon";
}

TEST(WindowMenu, HoldsItsItemsWithoutShortcutsAndMarksEachRadioGroup) {
  // The menu the window is built with, inspected in this process: Windows keeps a menu's
  // items with the process that made it.
  HMENU bar = win32::buildMenu();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 5);
  const wchar_t* titles[] = {L"File", L"Picture", L"Framing", L"View", L"About"};
  // Identifier and text of each item; a separator is 0 and "-".
  const std::vector<std::vector<std::pair<UINT, std::wstring>>> items = {
      {{0, L"Open Bitmap"}, {1, L"Save Raw"}, {2, L"Save Prg"}, {3, L"Exit"}},
      {{5, L"pepto-pal"},
       {6, L"colodore"},
       {7, L"community-colors"},
       {0, L"-"},
       {9, L"Classic match"},
       {10, L"Eye match"},
       {0, L"-"},
       {11, L"Error diffusion"},
       {12, L"Ordered dither"},
       {13, L"No dither"},
       {0, L"-"},
       {8, L"Adjust\u2026"},
       {0, L"-"},
       {30, L"Restore Defaults"}},
      {{22, L"Top-left, unscaled"},
       {23, L"Fit"},
       {24, L"Fill"},
       {25, L"Fit the visible area"},
       {26, L"Fill the visible area"},
       {0, L"-"},
       {27, L"PAL pixels"},
       {28, L"NTSC pixels"},
       {29, L"Square pixels"}},
      {{14, L"Blend"},
       {15, L"What the eye sees"},
       {16, L"Picture in motion"},
       {17, L"Flicker map"},
       {0, L"-"},
       {18, L"Full speed"},
       {19, L"1/4 speed"},
       {20, L"1/16 speed"},
       {0, L"-"},
       {21, L"Play / Pause"}},
      {{4, L"About"}}};
  for (int t = 0; t < 5; ++t) {
    wchar_t text[64] = L"";
    GetMenuStringW(bar, t, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, titles[t]);
    HMENU menu = GetSubMenu(bar, t);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), int(items[t].size()));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_STATE;
      text[0] = L'\0';
      info.dwTypeData = text;
      info.cch = 64;
      ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &info));
      const std::wstring shown = (info.fType & MFT_SEPARATOR) ? L"-" : text;
      EXPECT_EQ(info.wID, items[t][i].first);
      // No accelerator text after a tab, no mnemonic.
      EXPECT_EQ(shown, items[t][i].second);
      // Each radio group's first item is marked.
      for (const MenuRadioGroup& group : kMenuRadioGroups) {
        if (!group.holds(int(info.wID)) || (info.fType & MFT_SEPARATOR)) continue;
        EXPECT_TRUE(info.fType & MFT_RADIOCHECK) << info.wID;
        EXPECT_EQ((info.fState & MFS_CHECKED) != 0, int(info.wID) == group.first) << info.wID;
      }
    }
  }
  win32::markRadioItem(bar, paletteItem(2));
  EXPECT_EQ(GetMenuState(bar, paletteItem(0), MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_NE(GetMenuState(bar, paletteItem(2), MF_BYCOMMAND) & MF_CHECKED, 0u);
  DestroyMenu(bar);
}

}  // namespace
}  // namespace peltrix::testing
