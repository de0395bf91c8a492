// The eye match's error diffusion, after the exhaustive search: each cell (or band) keeps the
// three colour pairs the search chose, and each pixel, visited in reading order, takes again
// the slot of its region whose blend comes closest to its target, the source plus the error
// its neighbours left. The error is the difference in linear light (what the eye adds up),
// scaled by 4/5 and spread with Floyd-Steinberg's weights. Integers throughout: the same input
// gives the same frames on every platform, so a still picture does not crawl.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "colour/geometry.hpp"
#include "colour/palettes.hpp"
#include "engine/frame_planes.hpp"

namespace peltrix::engine {

// The pair bytes (colour pair of frame 1, 2, 3) the search chose for each cell, or for each
// band of two rows of a cell in the FLI searches.
class RegionChoices {
 public:
  RegionChoices() : pairs_(kCellColumns * kCellRows * 4) {}
  void set(int cx, int cy, int band, const std::array<uint8_t, 3>& pairs) {
    pairs_[(cy * kCellColumns + cx) * 4 + band] = pairs;
  }
  const std::array<uint8_t, 3>& at(int cx, int cy, int band) const {
    return pairs_[(cy * kCellColumns + cx) * 4 + band];
  }

 private:
  std::vector<std::array<uint8_t, 3>> pairs_;
};

struct DiffusionInputs {
  const uint32_t* sourceRgb = nullptr;  // the toned, undithered 320 x 200 source
  Palette palette{};
  std::span<const uint8_t> exclusions;  // pair codes that may not meet at a pixel
  bool bands = false;                   // regions are FLI bands (rows 2b, 2b + 1 of a cell)
  bool lightnessOnly = false;           // "Luma only mode": slots judged by L* alone
};

// Chooses every pixel's slot again as above and writes the frame planes. A pixel whose region
// has no allowed slot keeps what it shows.
void diffuseErrors(const DiffusionInputs& in, const RegionChoices& regions, FramePlanes& planes);

}  // namespace peltrix::engine
