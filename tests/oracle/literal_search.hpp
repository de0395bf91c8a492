// The cell searches written out literally, step by step, candidate table and all: the
// oracle the fast engine is checked against, bit for bit. Deliberately slow and plain.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <vector>

#include "colour/cielab.hpp"
#include "colour/linear_light.hpp"
#include "colour/tables.hpp"

namespace peltrix::oracle {

inline constexpr int32_t kExclusionMarker = 0x1234567;

struct LiteralInputs {
  const uint32_t* sourceRgb = nullptr;  // pixel (x, y) at y * 320 + x
  const uint16_t* sourceLuma = nullptr;
  const uint8_t* pairList = nullptr;          // 121 bytes of room
  int pairListMode = 0;                       // 0: 121 entries, 1: 75 entries
  const uint8_t* exclusionList = nullptr;     // 48 pair codes
  const uint32_t* palette = kPalette.data();  // the 16 colours aimed at
  // The eye match: a slot's blend is the linear-light mean of its three colours, rounded to
  // the nearest linear value, measured in CIELAB (L* alone for luma) in quarters, plus the
  // cost of the three colours' flicker; at most 1022.
  bool eye = false;
};

// The blend colour and the C64 colour index of each frame, per pixel of the cell.
struct LiteralBuffers {
  uint32_t blend[65] = {};
  uint8_t frame1[65] = {}, frame2[65] = {}, frame3[65] = {};
};

struct LiteralResult {
  int j = 0, k = 0, l = 0;
  int32_t error = 0;
};

class LiteralSearch {
 public:
  explicit LiteralSearch(const LiteralInputs& in) : in_(in), candidateTable_(16777217) {
    if (!in_.eye) return;
    // The eye blend of every ordered colour triple, made once: making it per candidate
    // would take minutes per cell.
    eyeLab_.resize(4096);
    eyeRgb_.resize(4096);
    eyeCost_.resize(4096);
    for (int t = 0; t < 4096; ++t) {
      eyeBlend(t >> 8, (t >> 4) & 15, t & 15, eyeLab_[t], eyeRgb_[t]);
      eyeCost_[t] = flickerCost(t >> 8, (t >> 4) & 15, t & 15);
    }
  }

  LiteralResult standardCell(int cx, int cy, bool lumaOnly, LiteralBuffers& out) {
    return search(cx, cy, 0, 8, false, lumaOnly, out);
  }
  LiteralResult superFlickerCell(int cx, int cy, bool lumaOnly, LiteralBuffers& out) {
    return search(cx, cy, 0, 8, true, lumaOnly, out);
  }
  LiteralResult fliBand(int cx, int cy, int s, bool lumaOnly, LiteralBuffers& out) {
    return search(cx, cy, s, 2, false, lumaOnly, out);
  }
  LiteralResult fliSuperFlickerBand(int cx, int cy, int s, bool lumaOnly, LiteralBuffers& out) {
    return search(cx, cy, s, 2, true, lumaOnly, out);
  }

  static int32_t blendOperation(int32_t a, int32_t b, int32_t c) {
    const int32_t r = (((a >> 16) & 0xFF) + ((b >> 16) & 0xFF) + ((c >> 16) & 0xFF)) / 3;
    const int32_t g = (((a >> 8) & 0xFF) + ((b >> 8) & 0xFF) + ((c >> 8) & 0xFF)) / 3;
    const int32_t bl = ((a & 0xFF) + (b & 0xFF) + (c & 0xFF)) / 3;
    return (r << 16) | (g << 8) | bl;
  }
  static int32_t colourDistance(int32_t a, int32_t b) {
    return std::abs(((a >> 16) & 0xFF) - ((b >> 16) & 0xFF)) +
           std::abs(((a >> 8) & 0xFF) - ((b >> 8) & 0xFF)) + std::abs((a & 0xFF) - (b & 0xFF));
  }
  static int32_t lumaOf(int32_t rgb) {
    const double y =
        0.257 * ((rgb >> 16) & 0xFF) + 0.504 * ((rgb >> 8) & 0xFF) + 0.098 * (rgb & 0xFF) + 16.0;
    // rint rounds as nearbyint does (nearest, halves to even), and mingw's nearbyint,
    // which saves and restores the x87 state, would make this loop 25 times slower there.
    return static_cast<int16_t>(std::rint(y));
  }

 private:
  bool listed(int a, int b) const {
    const int code = a < b ? a * 16 + b : b * 16 + a;
    for (int e = 0; e < 48; ++e) {
      if (in_.exclusionList[e] == code) return true;
    }
    return false;
  }

  // The eye match's blend of three palette colours: linear light, its CIELAB colour and the
  // sRGB value nearest to it.
  void eyeBlend(int f1, int f2, int f3, Lab& lab, int32_t& rgb) const {
    uint16_t mean[3];
    for (int shift = 16, ch = 0; ch < 3; shift -= 8, ++ch) {
      const auto lin = [&](int f) { return uint32_t{linearOf((in_.palette[f] >> shift) & 0xFF)}; };
      mean[ch] = static_cast<uint16_t>((lin(f1) + lin(f2) + lin(f3) + 1) / 3);
    }
    lab = labOfLinear(mean[0], mean[1], mean[2]);
    rgb = (srgbOf(mean[0]) << 16) | (srgbOf(mean[1]) << 8) | srgbOf(mean[2]);
  }

  // 300 quarters for a flicker amplitude of full light: the amplitude |Ya + w Yb + w^2 Yc| / 3
  // of the three colours' luminances (BT.709 weights on linear light, 0..65535).
  int32_t flickerCost(int f1, int f2, int f3) const {
    int64_t y[3];
    const int f[3] = {f1, f2, f3};
    for (int i = 0; i < 3; ++i) {
      const uint32_t c = in_.palette[f[i]];
      y[i] = (2126 * int64_t{linearOf((c >> 16) & 0xFF)} +
              7152 * int64_t{linearOf((c >> 8) & 0xFF)} + 722 * int64_t{linearOf(c & 0xFF)}) /
             10000;
    }
    const int64_t v = ((y[0] - y[1]) * (y[0] - y[1]) + (y[1] - y[2]) * (y[1] - y[2]) +
                       (y[2] - y[0]) * (y[2] - y[0])) /
                      2;
    int64_t root = 0;
    while ((root + 1) * (root + 1) <= v) ++root;
    return static_cast<int32_t>(root / 3 * 300 / 65535);
  }

  // Steps 3 and 4: the 8 blend colours, excluded slots replaced by the marker.
  void buildSlots(int h1, int o1, int h2, int o2, int h3, int o3) {
    for (int s = 0; s < 8; ++s) {
      const int f1 = (s & 4) ? o1 : h1;
      const int f2 = (s & 2) ? o2 : h2;
      const int f3 = (s & 1) ? o3 : h3;
      if (in_.eye) {
        blendLab_[s] = eyeLab_[f1 * 256 + f2 * 16 + f3];
        blendColours_[s] = eyeRgb_[f1 * 256 + f2 * 16 + f3];
        blendCost_[s] = eyeCost_[f1 * 256 + f2 * 16 + f3];
      } else {
        blendColours_[s] = blendOperation(static_cast<int32_t>(in_.palette[f1]),
                                          static_cast<int32_t>(in_.palette[f2]),
                                          static_cast<int32_t>(in_.palette[f3]));
      }
      if (listed(f1, f2) || listed(f1, f3) || listed(f2, f3)) blendColours_[s] = kExclusionMarker;
    }
  }

  int32_t distance(int pixel, int s, bool lumaOnly) const {
    if (blendColours_[s] == kExclusionMarker) return kExclusionMarker;
    if (in_.eye) {
      const Lab& source = sourceLab_.at(pixel);
      const int32_t d =
          lumaOnly ? std::abs(source.L - blendLab_[s].L) / 16 : labDistance(source, blendLab_[s]);
      return std::min(d + blendCost_[s], 1022);
    }
    if (lumaOnly)
      return std::abs(static_cast<int32_t>(in_.sourceLuma[pixel]) - lumaOf(blendColours_[s]));
    return colourDistance(static_cast<int32_t>(in_.sourceRgb[pixel]), blendColours_[s]);
  }

  LiteralResult search(int cx, int cy, int firstRow, int rowCount, bool single, bool lumaOnly,
                       LiteralBuffers& out) {
    const int n = in_.pairListMode == 1 ? 75 : 121;
    if (in_.eye) {  // each pixel's CIELAB colour, once
      for (int row = firstRow; row < firstRow + rowCount; ++row) {
        for (int col = 0; col < 8; ++col) {
          const int pixel = (cy * 8 + row) * 320 + cx * 8 + col;
          sourceLab_[pixel] = labOf(in_.sourceRgb[pixel]);
        }
      }
    }
    int records = 0;
    for (int j = 0; j < n; ++j) {
      for (int k = j; k < (single ? j + 1 : n); ++k) {
        for (int l = k; l < (single ? k + 1 : n); ++l) {
          const int h1 = in_.pairList[j] >> 4, o1 = in_.pairList[j] & 15;
          const int h2 = in_.pairList[k] >> 4, o2 = in_.pairList[k] & 15;
          const int h3 = in_.pairList[l] >> 4, o3 = in_.pairList[l] & 15;
          buildSlots(h1, o1, h2, o2, h3, o3);
          int32_t error = 0;
          for (int row = firstRow; row < firstRow + rowCount; ++row) {
            for (int col = 0; col < 8; ++col) {
              const int pixel = (cy * 8 + row) * 320 + cx * 8 + col;
              for (int s = 0; s < 8; ++s) slotDistances_[s] = distance(pixel, s, lumaOnly);
              int32_t least = slotDistances_[0];
              for (int s = 1; s < 8; ++s) {
                if (slotDistances_[s] < least) least = slotDistances_[s];
              }
              error += least;
            }
          }
          int32_t* record = &candidateTable_[records * 8];
          record[0] = records;
          record[1] = error;
          record[2] = h1, record[3] = o1, record[4] = h2, record[5] = o2, record[6] = h3,
          record[7] = o3;
          ++records;
        }
      }
    }
    // Step 7a: the first record with the smallest error.
    int best = 0;
    for (int r = 1; r < records; ++r) {
      if (candidateTable_[r * 8 + 1] < candidateTable_[best * 8 + 1]) best = r;
    }
    const int32_t* winner = &candidateTable_[best * 8];
    // Step 7b, 7c: rebuild and assign, ties to the lowest slot.
    buildSlots(winner[2], winner[3], winner[4], winner[5], winner[6], winner[7]);
    for (int row = firstRow; row < firstRow + rowCount; ++row) {
      for (int col = 0; col < 8; ++col) {
        const int pixel = (cy * 8 + row) * 320 + cx * 8 + col;
        for (int s = 0; s < 8; ++s) {
          slotDistances_[2 * s] = s;
          slotDistances_[2 * s + 1] = distance(pixel, s, lumaOnly);
        }
        int slot = slotDistances_[0];
        int32_t least = slotDistances_[1];
        for (int s = 1; s < 8; ++s) {
          if (slotDistances_[2 * s + 1] < least) {
            slot = slotDistances_[2 * s];
            least = slotDistances_[2 * s + 1];
          }
        }
        const int e = row * 8 + col;
        out.blend[e] = static_cast<uint32_t>(blendColours_[slot]);
        out.frame1[e] = static_cast<uint8_t>((slot & 4) ? winner[3] : winner[2]);
        out.frame2[e] = static_cast<uint8_t>((slot & 2) ? winner[5] : winner[4]);
        out.frame3[e] = static_cast<uint8_t>((slot & 1) ? winner[7] : winner[6]);
      }
    }
    // The entries behind the winning sequence number, for the caller's convenience.
    LiteralResult result;
    result.error = winner[1];
    int seq = 0;
    for (int j = 0; j < n; ++j) {
      for (int k = j; k < (single ? j + 1 : n); ++k) {
        for (int l = k; l < (single ? k + 1 : n); ++l) {
          if (seq++ == winner[0]) result = {j, k, l, winner[1]};
        }
      }
    }
    return result;
  }

  LiteralInputs in_;
  int32_t blendColours_[8] = {};
  Lab blendLab_[8] = {};
  std::vector<Lab> eyeLab_;
  std::vector<int32_t> eyeRgb_;
  std::vector<int32_t> eyeCost_;
  int32_t blendCost_[8] = {};
  std::map<int, Lab> sourceLab_;
  int32_t slotDistances_[16] = {};
  std::vector<int32_t> candidateTable_;
};

}  // namespace peltrix::oracle
