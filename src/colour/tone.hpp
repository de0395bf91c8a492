// Tone: brightness, contrast, saturation and gamma, applied to the framed 320 x 200 before
// the ordered dither, in the picture's own gamma-encoded 8-bit RGB (as photo editors' sliders
// work, and the space the search measures distances in). Neutral values change nothing.
// Integer steps and arithmetic of our own, so every platform makes the same bytes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace peltrix {

// The ranges every face offers, in whole steps.
struct ToneRange {
  int low, high;
  constexpr bool holds(int v) const { return v >= low && v <= high; }
};
inline constexpr ToneRange kBrightnessRange{-100, 100};
inline constexpr ToneRange kContrastRange{-100, 100};
inline constexpr ToneRange kSaturationRange{0, 200};
inline constexpr ToneRange kGammaRange{20, 500};  // hundredths

struct Tone {
  int brightness = 0;         // -100..100: percent of full scale added to each channel
  int contrast = 0;           // -100..100: percent steeper (or flatter) around mid-grey
  int saturation = 100;       // 0..200: percent of each pixel's colour kept around its grey
  int gammaHundredths = 100;  // 20..500: the gamma times 100; above 100 lightens mid-tones

  bool neutral() const {
    return brightness == 0 && contrast == 0 && saturation == 100 && gammaHundredths == 100;
  }
  bool withinRanges() const {
    return kBrightnessRange.holds(brightness) && kContrastRange.holds(contrast) &&
           kSaturationRange.holds(saturation) && kGammaRange.holds(gammaHundredths);
  }
  bool operator==(const Tone&) const = default;
};

// The tone as a per-channel table (gamma, then contrast, then brightness) and the
// saturation step after it.
class ToneMap {
 public:
  explicit ToneMap(const Tone& tone);
  uint32_t operator()(uint32_t rgb) const;

 private:
  std::array<uint8_t, 256> channel_{};
  int saturation_ = 100;
};

// A picture's pixels with the tone applied, as the source views show them.
std::vector<uint32_t> tonedPixels(std::span<const uint32_t> rgb, const Tone& tone);

}  // namespace peltrix
