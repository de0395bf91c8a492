// The four sliders of the "Adjust…" dialog, the same in both windows and in the page's order:
// each one's label, range and the field of the tone it sets, and the value text beside it.
#pragma once

#include <array>
#include <string>

#include "colour/tone.hpp"

namespace peltrix {

struct ToneSlider {
  const char* label;
  ToneRange range;
  int Tone::*field;
};

inline constexpr std::array<ToneSlider, 4> kToneSliders = {{
    {"Brightness", kBrightnessRange, &Tone::brightness},
    {"Contrast", kContrastRange, &Tone::contrast},
    {"Saturation", kSaturationRange, &Tone::saturation},
    {"Gamma", kGammaRange, &Tone::gammaHundredths},
}};

// The value as the dialog shows it: whole steps, the gamma as "1.00".
std::string toneValueText(const ToneSlider& slider, int value);

}  // namespace peltrix
