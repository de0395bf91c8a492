#include "output/flicker_picture.hpp"

#include <algorithm>
#include <cmath>

#include "colour/geometry.hpp"
#include "colour/rgb.hpp"

namespace peltrix {

namespace {

// Stops of the scale, every 0.02 of amplitude, after a perceptually even dark-to-light ramp.
constexpr uint32_t kStops[] = {0x000004, 0x3B0F70, 0x8C2981, 0xDE4968, 0xFE9F6D, 0xFCFDBF};
constexpr double kStep = 0.02;

}  // namespace

uint32_t flickerColour(double amplitude) {
  const double at = std::clamp(amplitude / kStep, 0.0, double(std::size(kStops) - 1));
  const int low = std::min(static_cast<int>(at), static_cast<int>(std::size(kStops)) - 2);
  const double t = at - low;
  const auto mix = [t](uint32_t a, uint32_t b) {
    return static_cast<int>(std::lround(a + (double(b) - double(a)) * t));
  };
  const uint32_t a = kStops[low], b = kStops[low + 1];
  return packRgb(mix(red(a), red(b)), mix(green(a), green(b)), mix(blue(a), blue(b)));
}

RgbPicture flickerPicture(std::span<const double> amplitudes) {
  RgbPicture out(kPixels);
  for (int i = 0; i < kPixels; ++i) out[i] = flickerColour(amplitudes[i]);
  return out;
}

RgbPicture flickerScale(int width, int height) {
  RgbPicture out(static_cast<size_t>(width) * height);
  const double top = kStep * (std::size(kStops) - 1);
  for (int x = 0; x < width; ++x) {
    const double amplitude = top * x / std::max(width - 1, 1);
    // The column nearest each inner multiple of the step carries the tick.
    const double steps = amplitude / kStep;
    const double perColumn = top / std::max(width - 1, 1) / kStep;
    const bool tick =
        x > 0 && x < width - 1 && std::fabs(steps - std::round(steps)) < perColumn / 2;
    for (int y = 0; y < height; ++y)
      out[y * width + x] = tick ? 0xFFFFFF : flickerColour(amplitude);
  }
  return out;
}

}  // namespace peltrix
