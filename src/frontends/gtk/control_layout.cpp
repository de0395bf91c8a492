#include "frontends/gtk/control_layout.hpp"

#include <stdexcept>

namespace peltrix::gui {

const ControlSpec& controlSpec(ControlId id) {
  for (const ControlSpec& spec : kControlLayout) {
    if (spec.id == id) return spec;
  }
  throw std::out_of_range("no control with this identifier");
}

}  // namespace peltrix::gui
