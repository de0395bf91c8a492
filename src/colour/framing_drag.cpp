#include "colour/framing_drag.hpp"

#include <algorithm>
#include <cmath>

namespace peltrix {

namespace {

// A position moved back by `drag` screen pixels of `scale` picture pixels each, rounded to a
// whole pixel, from 0 to `last` (the last position rounded up, so that it can be reached).
uint32_t moved(double from, int drag, double scale, double last) {
  const double to = std::round(from - drag * scale);
  return static_cast<uint32_t>(std::clamp(to, 0.0, std::max(0.0, std::ceil(last))));
}

}  // namespace

Framing draggedFraming(const Framing& start, uint32_t width, uint32_t height, int dx, int dy) {
  Framing f = start;
  switch (start.mode) {
    case Framing::Mode::Fit:
      break;
    case Framing::Mode::Region:
      f.left = moved(start.left, dx, 1.0, static_cast<double>(width) - kWidth);
      f.top = moved(start.top, dy, 1.0, static_cast<double>(height) - kHeight);
      break;
    case Framing::Mode::Fill: {
      // A screen pixel is not square: across and down it covers different lengths.
      const PictureRegion part = filledPart(width, height, start);
      const int columns = kWidth - start.firstColumn();
      f.left = moved(part.left, dx, part.width / columns, width - part.width);
      f.top = moved(part.top, dy, part.height / kHeight, height - part.height);
      f.fillFromOffset = true;
      break;
    }
  }
  return f;
}

}  // namespace peltrix
