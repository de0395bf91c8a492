#!/usr/bin/env python3
"""Prints the sRGB tables that src/colour/linear_light.cpp and src/colour/cielab.cpp hold as
literal data, computed exactly (fractions, and decimal only for a first guess that is then
proved with integers):

  linearOf   256 values, round(65535 * EOTF(c / 255)), halves up (no value is a half)
  thresholds 255 values, ceil(65535 * EOTF((c + 0.5) / 255)): the least linear value that
             encodes to code c + 1 or more
  matrix     linear sRGB -> (X / Xn, Y / Yn, Z / Zn) under D65, derived from the primaries'
             and the white's chromaticities, each coefficient in units of 1/65536 and each
             row summing to exactly 65536, so that white maps to exactly 1

EOTF(x) = x / 12.92 for x <= 0.04045, else ((x + 0.055) / 1.055) ** 2.4 (IEC 61966-2-1).
Run it and paste its output over the tables it names; the files must not be edited by hand.
"""
from decimal import Decimal, getcontext
from fractions import Fraction as F

getcontext().prec = 60
SCALE = 65535


def linear_segment(x: F) -> bool:
    return x <= F(4045, 100000)


def scaled_eotf_guess(x: F) -> Decimal:
    """65535 * EOTF(x) to about 55 digits."""
    if linear_segment(x):
        v = x / F(1292, 100) * SCALE
        return Decimal(v.numerator) / Decimal(v.denominator)
    base = (x + F(55, 1000)) / F(1055, 1000)
    return (Decimal(base.numerator) / Decimal(base.denominator)) ** Decimal("2.4") * SCALE


def compare(x: F, k: F) -> int:
    """The sign of 65535 * EOTF(x) - k, exactly: above the linear segment
    65535 * base ** (12/5) <=> k  is  65535 ** 5 * base ** 12 <=> k ** 5."""
    if linear_segment(x):
        v = x / F(1292, 100) * SCALE
        return (v > k) - (v < k)
    base = (x + F(55, 1000)) / F(1055, 1000)
    lhs, rhs = F(SCALE) ** 5 * base**12, k**5
    return (lhs > rhs) - (lhs < rhs)


def rounded(x: F) -> int:
    k = int(scaled_eotf_guess(x) + Decimal("0.5"))
    # k - 1/2 <= 65535 * EOTF(x) < k + 1/2, and never equal to a half.
    assert compare(x, F(2 * k - 1, 2)) > 0 and compare(x, F(2 * k + 1, 2)) < 0, x
    return k


def ceiling(x: F) -> int:
    g = scaled_eotf_guess(x)
    k = int(g) + (0 if g == int(g) else 1)
    # k - 1 < 65535 * EOTF(x) <= k
    assert compare(x, F(k - 1)) > 0 and compare(x, F(k)) <= 0, x
    return k


def d65_matrix():
    def xyz(x, y):  # chromaticity -> XYZ with Y = 1
        return [x / y, F(1), (1 - x - y) / y]

    primaries = [xyz(F(64, 100), F(33, 100)), xyz(F(30, 100), F(60, 100)),
                 xyz(F(15, 100), F(6, 100))]
    white = xyz(F(3127, 10000), F(3290, 10000))
    # Scales s of the primaries with sum(s_i * primary_i) = white (Cramer's rule).
    m = [[primaries[j][i] for j in range(3)] for i in range(3)]

    def det(a):
        return (a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]))

    d = det(m)
    s = []
    for j in range(3):
        mj = [[white[i] if c == j else m[i][c] for c in range(3)] for i in range(3)]
        s.append(det(mj) / d)
    rows = []
    for i in range(3):
        exact = [m[i][j] * s[j] / white[i] for j in range(3)]
        assert sum(exact) == 1
        ints = [round(v * 65536) for v in exact]
        # Rows sum to 65536: the coefficient nearest a half takes the difference.
        while sum(ints) != 65536:
            step = 1 if sum(ints) < 65536 else -1
            j = min(range(3), key=lambda j: abs(exact[j] * 65536 - ints[j] - step / 2))
            ints[j] += step
        rows.append((ints, exact))
    return rows


def block(name, values, per_line):
    lines = [f"// {name}"]
    for i in range(0, len(values), per_line):
        lines.append(" ".join(f"{v}," for v in values[i:i + per_line]))
    return "\n".join(lines)


def main():
    linear = [rounded(F(c, 255)) for c in range(256)]
    thresholds = [ceiling(F(2 * c + 1, 510)) for c in range(255)]
    assert all(thresholds[c - 1] <= linear[c] < thresholds[c] for c in range(1, 255))
    assert linear[0] == 0 and linear[255] == SCALE
    print(block("kLinearOf: linear light of each sRGB code", linear, 12))
    print()
    print(block("kThresholds: least linear value of code c + 1 or more", thresholds, 12))
    print()
    print("// kToXyz: rows X / Xn, Y / Yn, Z / Zn of linear R, G, B, in units of 1/65536")
    for ints, exact in d65_matrix():
        print("{" + ", ".join(str(v) for v in ints) + "},  // " +
              " ".join(f"{float(v):.7f}" for v in exact))


if __name__ == "__main__":
    main()
