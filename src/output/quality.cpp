// The quality report: eye view, blur, CIEDE2000 and flicker, over all pixels.
#include "output/quality.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>

#include "colour/colour_difference.hpp"
#include "colour/geometry.hpp"
#include "colour/linear_light.hpp"
#include "colour/rgb.hpp"

namespace peltrix {
namespace {

using Plane = std::vector<double>;  // 320 x 200 values, y * 320 + x

// The light (0..1) of an sRGB code, by the sRGB EOTF.
double lightOf(uint32_t code) {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> light{};
    for (int c = 0; c < 256; ++c) {
      const double x = c / 255.0;
      light[c] = x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    }
    return light;
  }();
  return table[code & 0xFF];
}

// The three channels' light (0..1) of RGB values.
struct LightPlanes {
  std::array<Plane, 3> channel{Plane(kPixels), Plane(kPixels), Plane(kPixels)};
};

// Gaussian blur of sigma 1, separable, over 7 taps; at an edge the taps inside the picture
// are scaled to sum to 1 (per direction, which for a separable kernel on a rectangle is the
// same as over the square).
void blur(Plane& plane) {
  constexpr int kRadius = 3;
  std::array<double, 2 * kRadius + 1> weight{};
  for (int d = -kRadius; d <= kRadius; ++d) weight[d + kRadius] = std::exp(-0.5 * d * d);
  const auto pass = [&](int length, int count, int along, int across) {
    std::vector<double> line(length);
    for (int k = 0; k < count; ++k) {
      double* p = plane.data() + k * across;
      for (int i = 0; i < length; ++i) line[i] = p[i * along];
      for (int i = 0; i < length; ++i) {
        double sum = 0, total = 0;
        for (int d = std::max(-kRadius, -i); d <= std::min(kRadius, length - 1 - i); ++d) {
          sum += weight[d + kRadius] * line[i + d];
          total += weight[d + kRadius];
        }
        p[i * along] = sum / total;
      }
    }
  };
  pass(kWidth, kHeight, 1, kWidth);  // rows
  pass(kHeight, kWidth, kWidth, 1);  // columns
}

// The light of each frame's palette colours at every pixel, frame by frame.
std::array<LightPlanes, 3> frameLight(const engine::FramePlanes& planes, const Palette& palette) {
  std::array<LightPlanes, 3> light;
  for (int f = 0; f < 3; ++f) {
    for (int i = 0; i < kPixels; ++i) {
      const uint32_t rgb = palette[planes.frames[f].load(i) & 0x0F];
      light[f].channel[0][i] = lightOf(red(rgb));
      light[f].channel[1][i] = lightOf(green(rgb));
      light[f].channel[2][i] = lightOf(blue(rgb));
    }
  }
  return light;
}

std::vector<double> flickerOf(std::array<LightPlanes, 3>& light) {
  std::array<Plane, 3> luminance;
  for (int f = 0; f < 3; ++f) {
    luminance[f].resize(kPixels);
    const auto& c = light[f].channel;
    for (int i = 0; i < kPixels; ++i) {
      luminance[f][i] = 0.2126 * c[0][i] + 0.7152 * c[1][i] + 0.0722 * c[2][i];
    }
    blur(luminance[f]);
  }
  const std::complex<double> w = std::polar(1.0, 2 * std::numbers::pi / 3);
  std::vector<double> amplitude(kPixels);
  for (int i = 0; i < kPixels; ++i) {
    amplitude[i] = std::abs(luminance[0][i] + w * luminance[1][i] + w * w * luminance[2][i]) / 3;
  }
  return amplitude;
}

}  // namespace

RgbPicture eyePicture(const engine::FramePlanes& planes, const Palette& palette) {
  // 4096 triples of colours, of which a picture shows few: each is worked out once.
  std::array<uint32_t, 16 * 16 * 16> mean;
  for (int t = 0; t < 16 * 16 * 16; ++t) {
    mean[t] = linearMeanRgb(palette[t >> 8], palette[(t >> 4) & 0x0F], palette[t & 0x0F]);
  }
  RgbPicture picture(kPixels);
  for (int i = 0; i < kPixels; ++i) {
    picture[i] = mean[(planes.frames[0].load(i) & 0x0F) << 8 |
                      (planes.frames[1].load(i) & 0x0F) << 4 | (planes.frames[2].load(i) & 0x0F)];
  }
  return picture;
}

std::vector<double> flickerMap(const engine::FramePlanes& planes, const Palette& palette) {
  auto light = frameLight(planes, palette);
  return flickerOf(light);
}

QualityReport qualityReport(std::span<const uint32_t> source, const engine::FramePlanes& planes,
                            const Palette& palette) {
  auto light = frameLight(planes, palette);
  const std::vector<double> flicker = flickerOf(light);

  // The eye view (the frames' mean light, unrounded) and the source, blurred in light.
  LightPlanes eye, original;
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < kPixels; ++i) {
      eye.channel[c][i] =
          (light[0].channel[c][i] + light[1].channel[c][i] + light[2].channel[c][i]) / 3;
      const uint32_t rgb = source[i];
      original.channel[c][i] = lightOf(c == 0 ? red(rgb) : c == 1 ? green(rgb) : blue(rgb));
    }
    blur(eye.channel[c]);
    blur(original.channel[c]);
  }
  std::vector<double> error(kPixels);
  for (int i = 0; i < kPixels; ++i) {
    const auto lab = [i](const LightPlanes& p) {
      return labOfLight(p.channel[0][i], p.channel[1][i], p.channel[2][i]);
    };
    error[i] = ciede2000(lab(original), lab(eye));
  }

  QualityReport report{};
  for (int i = 0; i < kPixels; ++i) {
    report.errorMean += error[i];
    report.flickerMean += flicker[i];
    report.flickerShareAbove002 += flicker[i] > kVisibleFlicker ? 1 : 0;
  }
  report.errorMean /= kPixels;
  report.flickerMean /= kPixels;
  report.flickerShareAbove002 /= kPixels;
  // Nearest rank: the smallest value that at least 95% of the pixels do not exceed.
  constexpr int kRank = (kPixels * 95 + 99) / 100;  // 60,800
  std::nth_element(error.begin(), error.begin() + (kRank - 1), error.end());
  report.errorP95 = error[kRank - 1];
  return report;
}

std::string qualityFigures(const QualityReport& q) {
  char text[128];
  std::snprintf(text, sizeof text,
                "%.2f mean, %.2f p95 (CIEDE2000); flicker %.4f mean, %.1f %% above 0.02",
                q.errorMean, q.errorP95, q.flickerMean, 100 * q.flickerShareAbove002);
  return text;
}

}  // namespace peltrix
