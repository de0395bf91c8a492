// peltrix.exe at 96, 120, 144 and 192 dpi (wine's LogPixels, as Windows' display scaling at
// 100, 125, 150 and 200 %): at 96 the table's geometry exactly, at the others every control's
// rectangle scaled by dpi / 96 and inside the client area, no two overlapping that do not
// overlap in the table, and the views' pixels sharp: the picture at a whole factor, never
// smoothed. Each window's screenshot is kept as BUILD/screenshots/windows-DPI.bmp.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "colour/picture.hpp"
#include "driven_window.hpp"
#include "frontends/win32/dpi.hpp"
#include "frontends/win32/main_window.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::testing {
namespace {

// The DPI wine gives the programs it starts from now on.
void setLogPixels(DWORD dpi) {
  for (const auto& [root, key] : {std::pair{HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
                                  std::pair{HKEY_CURRENT_CONFIG, L"Software\\Fonts"}}) {
    HKEY opened = nullptr;
    if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) ==
        ERROR_SUCCESS) {
      RegSetValueExW(opened, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                     sizeof dpi);
      RegCloseKey(opened);
    }
  }
}

bool overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

const ControlSpec& specFor(ControlId id) {
  for (const ControlSpec& spec : kWin32Controls) {
    if (spec.id == id) return spec;
  }
  throw std::logic_error("no such control");
}

RECT tableRect(const ControlSpec& spec, int dpi) {
  return win32::scaledRect(spec.x, spec.y, spec.width, spec.height, dpi);
}

std::string describe(const RECT& r) {
  std::ostringstream text;
  text << "(" << r.left << ", " << r.top << ") " << r.right - r.left << " x " << r.bottom - r.top;
  return text.str();
}

// A 24-bit BMP of the pixels, for a person to look at.
void writeBmp(const fs::path& path, const Pixels& pixels, int width, int height) {
  const int row = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + row * height;
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = -height;  // top-down
  info.biPlanes = 1;
  info.biBitCount = 24;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  std::string line(row, '\0');
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t v = pixels[y * width + x];
      line[x * 3] = char(v & 0xFF), line[x * 3 + 1] = char(v >> 8), line[x * 3 + 2] = char(v >> 16);
    }
    out.write(line.data(), row);
  }
}

class WindowDpiTest : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override { setLogPixels(96); }
  ScratchFolder scratch;
};

TEST_P(WindowDpiTest, ControlsScaleAndThePicturesStaySharp) {
  const int dpi = GetParam();
  const fs::path photo = sharedDir() / "testdata" / "fruits.jpg";
  if (!fs::exists(photo)) GTEST_SKIP() << "../shared/testdata is missing";
  fs::copy_file(photo, scratch / "fruits.jpg");
  setLogPixels(static_cast<DWORD>(dpi));
  DrivenWindow peltrix(scratch.path(), {L"fruits.jpg"});

  RECT client;
  GetClientRect(peltrix.window(), &client);
  EXPECT_EQ(client.right, win32::scaled(kClientWidth, dpi));
  EXPECT_EQ(client.bottom, win32::scaled(kClientHeight, dpi));
  // The status line along the client area's bottom edge, as wide, under every control.
  const RECT line = peltrix.placeOf(GetDlgItem(peltrix.window(), win32::kStatusLineId));
  const RECT wantedLine{0, client.bottom - win32::scaled(kStatusLineHeight, dpi), client.right,
                        client.bottom};
  EXPECT_TRUE(EqualRect(&line, &wantedLine))
      << "status line " << describe(line) << " instead of " << describe(wantedLine);
  for (const ControlSpec& spec : kWin32Controls) {
    EXPECT_LE(peltrix.placeOf(peltrix.control(spec.id)).bottom, line.top) << spec.id;
  }
  for (const ControlSpec& spec : kWin32Controls) {
    SCOPED_TRACE("control " + std::to_string(spec.id));
    const RECT wanted = tableRect(spec, dpi);
    HWND control = peltrix.control(spec.id);
    RECT place = spec.kind == ControlKind::SunkenPictureView ? peltrix.clientPlaceOf(control)
                                                             : peltrix.placeOf(control);
    if (spec.kind == ControlKind::SpinControl) {  // the buddy edit and the arrows together
      const RECT text = peltrix.placeOf(GetDlgItem(peltrix.window(), win32::kDitherTextId));
      place.left = text.left;
    }
    EXPECT_TRUE(EqualRect(&place, &wanted))
        << describe(place) << " instead of " << describe(wanted);
    if (spec.id != kProgressBar) {  // the bar runs past the right edge, as at 96 dpi
      EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= client.right &&
                  place.bottom <= client.bottom)
          << describe(place);
    }
    for (const ControlSpec& other : kWin32Controls) {
      const RECT a = tableRect(spec, 96), b = tableRect(other, 96);
      if (other.id <= spec.id || overlap(a, b)) continue;
      const RECT c = tableRect(other, dpi);
      EXPECT_FALSE(overlap(wanted, c)) << "overlaps control " << other.id;
    }
  }

  // The source view: the photo's top-left 320 x 200 at the largest whole factor that fits,
  // centred, black around it; every C64-sized pixel a sharp square.
  const Pixels shown = peltrix.viewPixels(kSourceView);
  const Pixels picture = loadPicture(toUtf8(photo.wstring())).rgb;
  const RECT box = tableRect(specFor(kSourceView), dpi);
  const int width = box.right - box.left, height = box.bottom - box.top;
  ASSERT_EQ(shown.size(), size_t(width) * height);
  const int factor = win32::wholeFactor(width, height, kWidth, kHeight);
  EXPECT_EQ(factor, dpi >= 192 ? 2 : 1);
  const int left = (width - kWidth * factor) / 2, top = (height - kHeight * factor) / 2;
  int wrong = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int px = (x - left) / factor, py = (y - top) / factor;
      const bool inside = x >= left && y >= top && px < kWidth && py < kHeight;
      wrong += shown[y * width + x] != (inside ? picture[py * kWidth + px] : 0u);
    }
  }
  EXPECT_EQ(wrong, 0) << "pixels of the source view that are not the photo's, sharp";

  RECT outer;
  GetWindowRect(peltrix.window(), &outer);
  const int w = outer.right - outer.left, h = outer.bottom - outer.top;
  const fs::path shots = hostPath(PELTRIX_SCREENSHOT_DIR);
  fs::create_directories(shots);
  writeBmp(shots / ("windows-" + std::to_string(dpi) + ".bmp"),
           screenPixels(outer.left, outer.top, w, h), w, h);
}

INSTANTIATE_TEST_SUITE_P(Scaling, WindowDpiTest, ::testing::Values(96, 120, 144, 192),
                         [](const auto& info) { return std::to_string(info.param) + "dpi"; });

}  // namespace
}  // namespace peltrix::testing
