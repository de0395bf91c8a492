// Framing: which 320 x 200 pixels of a picture the converter works on, decided before source
// preparation. The window always uses the picture's top-left 320 x 200, unscaled; the command
// line (and later the web page) may pick another unscaled region or scale the whole picture
// to fit or to fill the C64 screen, keeping its shape on the chosen machine.
#pragma once

#include <cstdint>
#include <string>

#include "colour/picture.hpp"
#include "colour/resample.hpp"

namespace peltrix {

// The shape of a C64 pixel on a PAL or an NTSC screen, or square (for an emulator window or a
// picture that is already in C64 pixels).
enum class PixelAspect { Pal, Ntsc, Square };

struct Framing {
  enum class Mode {
    Region,  // unscaled: the 320 x 200 pixels from (left, top); (0, 0) is the window's way
    Fit,     // the whole picture scaled into 320 x 200, centred on black
    Fill,    // scaled to cover 320 x 200, centred, the overflow cut
  } mode = Mode::Region;
  uint32_t left = 0, top = 0;             // Region only
  PixelAspect aspect = PixelAspect::Pal;  // Fit and Fill only
  // Fit and Fill only: into the part of the screen the viewer shows, right of the columns
  // it hides (which stay black), rather than into the whole 320 x 200.
  bool visible = false;
  bool scales() const { return mode != Mode::Region; }
  bool operator==(const Framing&) const = default;
};

// A C64 pixel's width over its height, as an exact fraction.
struct Ratio {
  int64_t numerator, denominator;
};
Ratio pixelAspectRatio(PixelAspect aspect);

// Where Fit puts a width x height picture in the 320 x 200: a rectangle of whole C64 pixels
// of the picture's shape (within rounding), centred; the rest is black.
struct Placement {
  int left = 0, top = 0, width = 0, height = 0;
};
Placement fitPlacement(uint32_t width, uint32_t height, PixelAspect aspect);

// The part of a width x height picture that Fill shows: the centred region of the screen's
// shape, the whole picture along one axis.
PictureRegion fillRegion(uint32_t width, uint32_t height, PixelAspect aspect);

// What a decode must keep for the framing.
KeepRequest keepRequestFor(const Framing& framing);

// The framed 320 x 200 of what a decode kept for keepRequestFor(framing). The picture's own
// size and its transparency note travel along.
SourcePicture framePicture(DecodedPicture&& kept, const Framing& framing);

// Reads, decodes and frames the picture file at `path`. Throws PictureLoadError.
SourcePicture loadFramedPicture(const std::string& path, const Framing& framing);

}  // namespace peltrix
