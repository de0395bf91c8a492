// Framing: which 320 x 200 pixels of a picture the converter works on, decided before source
// preparation. By default the picture's top-left 320 x 200, unscaled; every face may pick
// another unscaled region or scale the whole picture to fit or to fill the C64 screen (or the
// part of it the viewer shows), keeping its shape on the chosen machine.
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
  // Region: the 320 x 200 pixels from (left, top). Fill with fillFromOffset: the top-left
  // corner of the part shown, in the picture's own pixels, kept within the picture.
  uint32_t left = 0, top = 0;
  bool fillFromOffset = false;            // Fill only; without it the part shown is centred
  PixelAspect aspect = PixelAspect::Pal;  // Fit and Fill only
  // Fit and Fill only: into the part of the screen the viewer shows, right of the columns
  // it hides (which stay black), rather than into the whole 320 x 200.
  bool visible = false;
  // How many columns the viewer hides: resolved from the conversion's viewer before the
  // picture is framed (JobSettings::framingToLoad), as the choices above do not name it.
  int hiddenColumns = 0;
  bool scales() const { return mode != Mode::Region; }
  // The first screen column the picture is scaled into; the columns left of it stay black.
  int firstColumn() const { return scales() && visible ? hiddenColumns : 0; }
  bool operator==(const Framing&) const = default;
};

// A C64 pixel's width over its height, as an exact fraction.
struct Ratio {
  int64_t numerator, denominator;
};
Ratio pixelAspectRatio(PixelAspect aspect);

// Where Fit puts a width x height picture in the screen's columns firstColumn..319 (all 200
// rows): a rectangle of whole C64 pixels of the picture's shape (within rounding), centred in
// them; the rest is black.
struct Placement {
  int left = 0, top = 0, width = 0, height = 0;
};
Placement fitPlacement(uint32_t width, uint32_t height, PixelAspect aspect, int firstColumn = 0);

// The part of a width x height picture that Fill shows in the screen's columns
// firstColumn..319: the centred region of their shape, the whole picture along one axis.
PictureRegion fillRegion(uint32_t width, uint32_t height, PixelAspect aspect, int firstColumn = 0);

// The part Fill shows with this framing: fillRegion's, moved to (left, top) with fillFromOffset.
PictureRegion filledPart(uint32_t width, uint32_t height, const Framing& framing);

// What a decode must keep for the framing.
KeepRequest keepRequestFor(const Framing& framing);

// The framed 320 x 200 of what a decode kept for keepRequestFor(framing). The picture's own
// size and its transparency note travel along.
SourcePicture framePicture(DecodedPicture&& kept, const Framing& framing);

// Reads, decodes and frames the picture file at `path`. Throws PictureLoadError.
SourcePicture loadFramedPicture(const std::string& path, const Framing& framing);

}  // namespace peltrix
