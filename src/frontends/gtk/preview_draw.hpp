// Drawing the converter's 320 x 200 pictures into the window's images (GdkPixbufs).
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdint>
#include <span>

namespace peltrix {

// A black 320 x 200 24-bit image, as every picture view shows at start-up.
GdkPixbuf* newBlackPicture();

// Copies 320 x 200 RGB values (red in bits 16-23) into a 320 x 200 image, every pixel.
void drawRgbPicture(std::span<const uint32_t> rgb, GdkPixbuf* image);

// A new width x height 24-bit image of `rgb` (row by row), e.g. the flicker map's scale.
GdkPixbuf* newRgbPicture(std::span<const uint32_t> rgb, int width, int height);

}  // namespace peltrix
