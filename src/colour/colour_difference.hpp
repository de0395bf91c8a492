// Colour difference as the reports measure it, in double precision: CIELAB (D65, sRGB
// primaries) of linear light and the CIEDE2000 difference. Reports only: nothing here may
// decide a byte of a conversion (colour/cielab.hpp is the exact one for that).
#pragma once

namespace peltrix {

struct LabValue {
  double L, a, b;
};

// CIELAB of linear-light sRGB channels 0..1: the colour's own, whatever its sRGB encoding.
LabValue labOfLight(double r, double g, double b);

// CIEDE2000 (kL = kC = kH = 1) as written out by Sharma, Wu and Dalal (2005); symmetric.
double ciede2000(const LabValue& p, const LabValue& q);

}  // namespace peltrix
