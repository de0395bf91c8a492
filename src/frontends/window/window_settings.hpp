// The choices a window remembers from one run to the next, and their text form: a first line
// naming the format and its version, then one `key=value` line per choice. Free of any
// toolkit and of the file system, so both windows share it and it is tested on its own.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "colour/framing.hpp"
#include "colour/tone.hpp"
#include "core/job_settings.hpp"
#include "frontends/window/blend_view_choice.hpp"
#include "frontends/window/window_layout.hpp"
#include "output/motion.hpp"

namespace peltrix {

// Every choice of the window that outlives it. The defaults are the window's start-up states.
struct WindowChoices {
  // The checkboxes.
  bool multithread = true;
  bool bruteForce = true;
  bool lumaOverload = true;
  bool fli = true;
  bool ntsc = false;
  bool superFlicker = false;
  bool assLace = false;
  bool lumaOnly = false;
  int ditherLevel = kDefaultDitherLevel;  // the "Dithering" spin, 0..kDitherMaximum
  int palette = 0;                        // a built-in palette, 0..kBuiltinPaletteCount - 1
  engine::Match match = engine::Match::Classic;
  EyeDither eyeDither = EyeDither::Diffusion;
  Tone tone{};
  Framing framing{};
  BlendViewShows view = BlendViewShows::Blend;
  MotionSpeed motionSpeed = MotionSpeed::Full;

  bool operator==(const WindowChoices&) const = default;
};

// The item of each radio group of the menus that shows these choices, in kMenuRadioGroups'
// order.
std::array<MenuItemId, kMenuRadioGroups.size()> radioItemsOf(const WindowChoices& choices);

// The text of a settings file holding `choices`.
std::string formatWindowChoices(const WindowChoices& choices);

// The choices a settings file's text holds, or why it holds none: a first line of another
// format, a line that is not `key=value`, a value out of its range. A choice the text does
// not name keeps its default; a key this version does not know (a later version's) is
// passed over.
struct ParsedChoices {
  std::optional<WindowChoices> choices;
  std::string problem;  // empty when `choices` holds them
};
ParsedChoices parseWindowChoices(std::string_view text);

}  // namespace peltrix
