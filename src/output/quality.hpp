// How well a conversion shows its source to the eye, and how much it flickers. The eye adds
// the light of the three frames a C64 shows in turn and blurs a little; the report measures
// both in double precision and decides no byte. The eye view itself is a picture, so it is
// made in integers (colour/linear_light.hpp) and is the same on every platform.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "colour/palettes.hpp"
#include "engine/frame_planes.hpp"
#include "output/pictures.hpp"

namespace peltrix {

// Each figure is taken over all 320 x 200 pixels after a Gaussian blur of sigma 1 pixel in
// linear light (radius 3 pixels; at the picture's edges the weights that remain are scaled
// to sum to 1).
struct QualityReport {
  double errorMean;             // CIEDE2000 between the source and the eye view: mean,
  double errorP95;              // and 95th percentile (nearest rank: the 60,800th smallest)
  double flickerMean;           // flicker amplitude (flickerMap): mean,
  double flickerShareAbove002;  // and the share of pixels above kVisibleFlicker
};

constexpr double kVisibleFlicker = 0.02;

// What the eye sees: at every pixel the linear-light mean of the three frames' palette
// colours, per channel srgbOf((linearOf(a) + linearOf(b) + linearOf(c) + 1) / 3), the
// mean rounded to the nearest linear value.
RgbPicture eyePicture(const engine::FramePlanes& planes, const Palette& palette);

// Per pixel (y * 320 + x) the amplitude of the brightness wave the three frames make at the
// display's frame rate: with Y0, Y1, Y2 each frame's blurred linear luminance (0..1, Rec. 709
// weights 0.2126, 0.7152, 0.0722), |Y0 + w Y1 + w^2 Y2| / 3 for w = e^(2 pi i / 3); 0 for a
// steady pixel, 1/3 for one frame white and two black.
std::vector<double> flickerMap(const engine::FramePlanes& planes, const Palette& palette);

// The report for `source`, the 320 x 200 RGB picture the conversion aimed at (framed and
// toned), and its three frames.
QualityReport qualityReport(std::span<const uint32_t> source, const engine::FramePlanes& planes,
                            const Palette& palette);

// The figures as every face words them, after "error" or "Error": "3.79 mean, 10.43 p95
// (CIEDE2000); flicker 0.0121 mean, 20.3 % above 0.02".
std::string qualityFigures(const QualityReport& report);

}  // namespace peltrix
