// CIELAB and CIEDE2000 in double precision, for reports.
#include "colour/colour_difference.hpp"

#include <cmath>
#include <numbers>

namespace peltrix {
namespace {

// Rows X / Xn, Y / Yn, Z / Zn of linear R, G, B, derived exactly from the sRGB primaries and
// the D65 white's chromaticities (as scripts/make_srgb_tables.py does for colour/cielab.cpp).
constexpr double kToXyz[3][3] = {
    {0.43388734556603986, 0.3762240091374987, 0.1898886452964614},
    {0.21263900587151036, 0.7151686787677559, 0.07219231536073371},
    {0.01775004007097326, 0.10944762085523849, 0.8728023390737882},
};

double f(double t) {
  constexpr double kEpsilon = 216.0 / 24389.0;  // (6/29)^3
  return t > kEpsilon ? std::cbrt(t) : t * (841.0 / 108.0) + 4.0 / 29.0;
}

double radians(double degrees) {
  return degrees * (std::numbers::pi / 180.0);
}

double degrees(double radians) {
  return radians * (180.0 / std::numbers::pi);
}

// Hues exactly opposite (one of the published pairs) differ by 180 degrees and take the
// formula's first branch, wherever atan2's last bit puts them: the turns allow 1e-9 degree.
constexpr double kHalfTurn = 180 + 1e-9;

}  // namespace

LabValue labOfLight(double r, double g, double b) {
  double t[3];
  for (int i = 0; i < 3; ++i) {
    t[i] = f(kToXyz[i][0] * r + kToXyz[i][1] * g + kToXyz[i][2] * b);
  }
  return {116.0 * t[1] - 16.0, 500.0 * (t[0] - t[1]), 200.0 * (t[1] - t[2])};
}

double ciede2000(const LabValue& p, const LabValue& q) {
  constexpr double k25To7 = 6103515625.0;  // 25^7
  const double meanC = (std::hypot(p.a, p.b) + std::hypot(q.a, q.b)) / 2;
  const double meanC7 = std::pow(meanC, 7);
  const double g = 0.5 * (1 - std::sqrt(meanC7 / (meanC7 + k25To7)));
  // a' stretched by 1 + G; C' and h' (degrees, 0..360, 0 for a neutral colour) from it.
  const double a1 = (1 + g) * p.a, a2 = (1 + g) * q.a;
  const double c1 = std::hypot(a1, p.b), c2 = std::hypot(a2, q.b);
  const auto hue = [](double b, double a) {
    if (a == 0 && b == 0) return 0.0;
    const double h = degrees(std::atan2(b, a));
    return h < 0 ? h + 360 : h;
  };
  const double h1 = hue(p.b, a1), h2 = hue(q.b, a2);

  const double dL = q.L - p.L, dC = c2 - c1;
  double dh = 0;  // of a neutral colour: no hue difference
  if (c1 * c2 != 0) {
    dh = h2 - h1;
    if (dh > kHalfTurn) dh -= 360;
    if (dh < -kHalfTurn) dh += 360;
  }
  const double dH = 2 * std::sqrt(c1 * c2) * std::sin(radians(dh / 2));

  const double meanL = (p.L + q.L) / 2, meanC2 = (c1 + c2) / 2;
  double meanH = h1 + h2;  // of a neutral colour: the other's hue
  if (c1 * c2 != 0) {
    if (std::abs(h1 - h2) > kHalfTurn) meanH += meanH < 360 ? 360 : -360;
    meanH /= 2;
  }
  const double t = 1 - 0.17 * std::cos(radians(meanH - 30)) + 0.24 * std::cos(radians(2 * meanH)) +
                   0.32 * std::cos(radians(3 * meanH + 6)) -
                   0.20 * std::cos(radians(4 * meanH - 63));
  const double dTheta = 30 * std::exp(-std::pow((meanH - 275) / 25, 2));
  const double meanC27 = std::pow(meanC2, 7);
  const double rC = 2 * std::sqrt(meanC27 / (meanC27 + k25To7));
  const double l50 = (meanL - 50) * (meanL - 50);
  const double sL = 1 + 0.015 * l50 / std::sqrt(20 + l50);
  const double sC = 1 + 0.045 * meanC2;
  const double sH = 1 + 0.015 * meanC2 * t;
  const double rT = -std::sin(radians(2 * dTheta)) * rC;
  const double l = dL / sL, c = dC / sC, h = dH / sH;
  return std::sqrt(l * l + c * c + h * h + rT * c * h);
}

}  // namespace peltrix
