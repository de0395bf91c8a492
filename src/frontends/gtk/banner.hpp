// The banner at the top of the main window as a GTK image (the decoding is
// frontends/window/banner's, shared with the Win32 window).
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdint>
#include <span>
#include <string>

#include "frontends/window/banner.hpp"

namespace peltrix::gui {

// Decodes PNG bytes into a new RGB image. Returns nullptr and sets `error` when the bytes are
// not a PNG picture.
GdkPixbuf* decodePngPicture(std::span<const uint8_t> png, std::string& error);

// The banner image: the built-in PNG decoded, or a black 980 x 80 picture (with a warning
// on stderr) should the built-in bytes ever fail to decode.
GdkPixbuf* loadBanner();

}  // namespace peltrix::gui
