// What a C64 shows of the assembled data: the three frames as the chosen viewer program
// displays them, measured on VICE's cycle-exact x64sc (PAL and NTSC) and checked against its
// captures pixel for pixel. No GUI; the window, the command line and the web page share it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "output/c64data.hpp"
#include "output/viewers/viewers.hpp"

namespace peltrix {

// Where a viewer puts the picture and what it cannot show. The same on PAL and NTSC.
struct ViewerDisplay {
  // Raster line of picture line y is firstRaster + y (the display window starts on 51).
  // Every viewer shows all 200 picture lines.
  int firstRaster = 51;
  // Pixel columns 0 .. blackColumns - 1 lie under the black sprite column, over the three
  // character columns that the late (forced) bad lines leave without colours.
  int blackColumns = 0;
  // The "Ass Lace" checkerboard of 2 x 1 pixel blocks over every frame.
  bool checkerboard = false;
};

ViewerDisplay viewerDisplay(Viewer viewer);

// A 320 x 200 picture of C64 colour indices 0..15, pixel (x, y) at y * 320 + x.
using C64Picture = std::vector<uint8_t>;

// Frame `frame` (0..2 for frame 1..3) of the assembled data exactly as its bitmap and
// screen bytes give it, without anything a viewer adds or hides. `data` holds at least
// dataSize(form) bytes.
C64Picture decodeC64Frame(std::span<const uint8_t> data, DataForm form, int frame);

// The three frames (frame 1, 2, 3) of data in `form` as `viewer` shows them: the black column in
// black, and in the mask viewer the checkerboard in black over the
// pixel pairs with x / 2 + y even. That is the mask colour the viewer starts with (the space bar
// steps it) and the phase frame 3 gets on the first video frame; the checkerboard inverts every
// video frame while the frames rotate in threes, so every frame shows under both phases in turn.
std::array<C64Picture, 3> c64DisplayedFrames(std::span<const uint8_t> data, DataForm form,
                                             Viewer viewer);

}  // namespace peltrix
