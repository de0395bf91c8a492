#include "frontends/window/tone_sliders.hpp"

#include <cstdio>

namespace peltrix {

std::string toneValueText(const ToneSlider& slider, int value) {
  if (slider.field != &Tone::gammaHundredths) return std::to_string(value);
  char text[16];
  std::snprintf(text, sizeof text, "%d.%02d", value / 100, value % 100);
  return text;
}

}  // namespace peltrix
