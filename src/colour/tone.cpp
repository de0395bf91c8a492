#include "colour/tone.hpp"

#include <algorithm>
#include <cmath>

#include "colour/rgb.hpp"

namespace peltrix {

namespace {

// x ** e for 0 < x <= 1 and e > 0, from additions, multiplications and divisions only
// (frexp and ldexp are exact): the C library's pow may round differently from platform to
// platform, and one step of 1/255 apart would change the bytes.
double power(double x, double e) {
  int exponent = 0;
  const double m = std::frexp(x, &exponent);  // x = m * 2^exponent, 0.5 <= m < 1
  // log(m) = 2 atanh(z), z = (m - 1) / (m + 1), |z| <= 1/3
  const double z = (m - 1) / (m + 1), z2 = z * z;
  double term = z, sum = 0;
  for (int k = 1; k < 60; k += 2, term *= z2) sum += term / k;
  const double ln2 = 0.6931471805599453;
  const double t = (2 * sum + exponent * ln2) * e;  // log(x) * e, <= 0
  // exp(t) = 2^n * exp(r), |r| <= ln2 / 2
  const double n = std::floor(t / ln2 + 0.5);
  const double r = t - n * ln2;
  double series = 1, item = 1;
  for (int k = 1; k < 30; ++k) {
    item = item * r / k;
    series += item;
  }
  return std::ldexp(series, static_cast<int>(n));
}

int clamp255(int v) {
  return std::clamp(v, 0, 255);
}

// a / b rounded half up, for any sign of a and b > 0.
int roundedDivision(int a, int b) {
  const int q = (2 * a + b) / (2 * b), rem = (2 * a + b) % (2 * b);
  return rem < 0 ? q - 1 : q;
}

}  // namespace

ToneMap::ToneMap(const Tone& tone) : saturation_(tone.saturation) {
  for (int v = 0; v < 256; ++v) {
    int u = v;
    if (tone.gammaHundredths != 100 && v > 0) {
      u = static_cast<int>(std::floor(255 * power(v / 255.0, 100.0 / tone.gammaHundredths) + 0.5));
    }
    u = 128 + roundedDivision((u - 128) * (100 + tone.contrast), 100);
    u += roundedDivision(tone.brightness * 255, 100);
    channel_[v] = static_cast<uint8_t>(clamp255(u));
  }
}

uint32_t ToneMap::operator()(uint32_t rgb) const {
  int r = channel_[red(rgb)], g = channel_[green(rgb)], b = channel_[blue(rgb)];
  if (saturation_ != 100) {
    const int grey = roundedDivision(r * 299 + g * 587 + b * 114, 1000);
    r = clamp255(grey + roundedDivision((r - grey) * saturation_, 100));
    g = clamp255(grey + roundedDivision((g - grey) * saturation_, 100));
    b = clamp255(grey + roundedDivision((b - grey) * saturation_, 100));
  }
  return packRgb(static_cast<uint32_t>(r), static_cast<uint32_t>(g), static_cast<uint32_t>(b));
}

std::vector<uint32_t> tonedPixels(std::span<const uint32_t> rgb, const Tone& tone) {
  const ToneMap map(tone);
  std::vector<uint32_t> out(rgb.size());
  std::transform(rgb.begin(), rgb.end(), out.begin(), map);
  return out;
}

}  // namespace peltrix
