#include "output/c64_display.hpp"

#include <cassert>

#include "colour/geometry.hpp"
#include "colour/rgb.hpp"
#include "colour/tables.hpp"

namespace peltrix {

namespace {

constexpr int kSpriteColumn = 24;  // five black sprites at X = 24, 24 pixels wide
constexpr int kMaskColour = 0;     // the mask viewer's colour until the space bar steps it

}  // namespace

ViewerDisplay viewerDisplay(Viewer viewer) {
  ViewerDisplay d;
  switch (viewer) {
    case Viewer::WholeFrame:
      break;
    case Viewer::MaskPal:
    case Viewer::MaskNtsc:
      d.checkerboard = true;
      break;
    case Viewer::StandardPal:
    case Viewer::StandardNtsc:
    case Viewer::FliPal:
    case Viewer::FliNtsc:
      // A bad line on every raster from 48 to 247, the first and the last on which the
      // VIC-II can start one: picture line 0 on raster 48, three lines above the display
      // window (the viewers keep the border open), and line 199 on raster 247.
      d.firstRaster = 48;
      d.blackColumns = kSpriteColumn;
      break;
  }
  return d;
}

C64Picture decodeC64Frame(std::span<const uint8_t> data, DataForm form, int frame) {
  assert(data.size() >= static_cast<size_t>(dataSize(form)) && frame >= 0 && frame < 3);
  const bool fli = form == DataForm::Fli;
  const uint8_t* block = data.data() + frame * (fli ? kFliFrameBlock : kNonFliFrameBlock);
  const uint8_t* bitmap = block + (fli ? 0x1000 : 0x400);
  C64Picture picture(kPixels);
  for (int y = 0; y < kHeight; ++y) {
    const int cy = y / 8;
    const uint8_t* screen = block + (fli ? kFliScreenOffset[(y & 7) / 2] : 0);
    for (int x = 0; x < kWidth; ++x) {
      const int cell = cy * kCellColumns + x / 8;
      const uint8_t colours = screen[cell];
      const bool set = (bitmap[cell * 8 + (y & 7)] >> (7 - (x & 7))) & 1;
      picture[y * kWidth + x] = static_cast<uint8_t>(set ? colours >> 4 : colours & 0x0F);
    }
  }
  return picture;
}

std::array<C64Picture, 3> c64DisplayedFrames(std::span<const uint8_t> data, DataForm form,
                                             Viewer viewer) {
  const ViewerDisplay d = viewerDisplay(viewer);
  std::array<C64Picture, 3> frames;
  for (int f = 0; f < 3; ++f) {
    C64Picture& p = frames[f];
    p = decodeC64Frame(data, form, f);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool hidden = x < d.blackColumns || (d.checkerboard && ((x / 2 + y) & 1) == 0);
        if (hidden) p[y * kWidth + x] = d.checkerboard ? kMaskColour : 0;
      }
    }
  }
  return frames;
}

}  // namespace peltrix
