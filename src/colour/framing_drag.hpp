// Moving the framing by dragging the framed picture: the window's source view follows the
// mouse, and the framing it ends on is one the command line can name (--offset, with --fill
// too), in whole pixels of the picture.
#pragma once

#include <cstdint>

#include "colour/framing.hpp"

namespace peltrix {

// `start` after the framed picture of a width x height picture was dragged by (dx, dy) of the
// framed 320 x 200's pixels: the unscaled region, or the part Fill shows, moves the other way,
// by the picture's pixels those cover, rounded to whole ones and kept within the picture. Fit
// shows all of the picture and stays as it is.
Framing draggedFraming(const Framing& start, uint32_t width, uint32_t height, int dx, int dy);

}  // namespace peltrix
