// The "Framing" menu's items as framings, and what the window keeps to frame its picture
// anew: the file it opened, the framing it shows it with, and a drag of the source view.
#pragma once

#include <optional>
#include <string>

#include "colour/framing.hpp"
#include "frontends/window/window_layout.hpp"

namespace peltrix {

// The picture the window opened, as it shows it now.
struct OpenedPicture {
  std::string path;  // "" until a picture has been opened
  Framing framing;   // the framing it was loaded with, the viewer's hidden columns resolved
  // A drag of the source view under way: where it started (in the view's picture pixels)
  // and the framing chosen then.
  bool dragging = false;
  int dragX = 0, dragY = 0;
  Framing dragStart;
};

// `framing` with the mode of a framing item ("Top-left, unscaled" ... "Fill the visible
// area"): the region back at the top-left, the fill centred; nothing for another item.
inline std::optional<Framing> framingOfItem(MenuItemId item, Framing framing) {
  switch (item) {
    case kTopLeftFramingItem:
      framing.mode = Framing::Mode::Region;
      break;
    case kFitFramingItem:
    case kFitVisibleItem:
      framing.mode = Framing::Mode::Fit;
      break;
    case kFillFramingItem:
    case kFillVisibleItem:
      framing.mode = Framing::Mode::Fill;
      break;
    default:
      return std::nullopt;
  }
  framing.visible = item == kFitVisibleItem || item == kFillVisibleItem;
  framing.left = framing.top = 0;
  framing.fillFromOffset = false;
  return framing;
}

// The C64 pixel's shape an aspect item chooses, or nothing for another item.
inline std::optional<PixelAspect> aspectOfItem(MenuItemId item) {
  switch (item) {
    case kPalAspectItem:
      return PixelAspect::Pal;
    case kNtscAspectItem:
      return PixelAspect::Ntsc;
    case kSquareAspectItem:
      return PixelAspect::Square;
    default:
      return std::nullopt;
  }
}

}  // namespace peltrix
