// The GTK window's column of the window table (app/window_layout.hpp): the geometry of GTK's
// larger widgets and GTK's labels, which the window builds from and its tests check.
#pragma once

#include <array>

#include "frontends/window/window_layout.hpp"

namespace peltrix::gui {

using peltrix::ControlId;
using peltrix::ControlKind;
using peltrix::ControlSpec;
using peltrix::MenuItemId;

// Every control in the order the window creates it (later ones lie on top of earlier ones,
// so each checkbox sits above its group frame), with the geometry of GTK's larger widgets.
inline const std::array<ControlSpec, kControlCount>& kControlLayout = kGtkControls;

// The layout row of a control.
const ControlSpec& controlSpec(ControlId id);

}  // namespace peltrix::gui
