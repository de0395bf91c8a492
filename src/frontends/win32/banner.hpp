// The banner at the top of the main window as a Win32 picture (the decoding is
// frontends/window/banner's, shared with the GTK window).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "frontends/win32/preview_draw.hpp"
#include "frontends/window/banner.hpp"

namespace peltrix::win32 {

// Decodes PNG bytes into a new picture. Returns an empty picture (no bitmap) and sets `error`
// when the bytes are not a PNG picture.
DibPicture decodePngPicture(std::span<const uint8_t> png, std::string& error);

// The banner picture: the built-in PNG decoded, or a black 980 x 80 picture should the
// built-in bytes ever fail to decode.
DibPicture loadBanner();

}  // namespace peltrix::win32
