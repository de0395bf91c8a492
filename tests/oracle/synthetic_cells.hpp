// Cells that stress the search's tie rules and bounds: noise, uniform colours, cells of two
// to four colours (some of them exact palette colours or blends, where many triples tie).
#pragma once

#include <random>

#include "engine/blend_table.hpp"
#include "oracle/engine_harness.hpp"

namespace peltrix::testing {

enum class CellKind {
  Noise,
  Uniform,
  TwoColours,
  ThreeColours,
  FourColours,
  PaletteBlends,
  UniformBlend
};
inline constexpr CellKind kCellKinds[] = {
    CellKind::Noise,       CellKind::Uniform,       CellKind::TwoColours,  CellKind::ThreeColours,
    CellKind::FourColours, CellKind::PaletteBlends, CellKind::UniformBlend};

inline uint32_t randomBlend(std::mt19937& rng) {
  std::uniform_int_distribution<int> c(0, 15);
  return engine::blendRgb(kPalette[c(rng)], kPalette[c(rng)], kPalette[c(rng)]);
}

// Paints cell (cx, cy) with content of the given kind.
inline void paintCell(SourceArrays& src, int cx, int cy, CellKind kind, std::mt19937& rng) {
  std::uniform_int_distribution<uint32_t> any(0, 0xFFFFFF);
  std::uniform_int_distribution<int> pick(0, 3);
  uint32_t colours[4];
  for (auto& c : colours) c = kind == CellKind::PaletteBlends ? randomBlend(rng) : any(rng);
  const int distinct = kind == CellKind::TwoColours     ? 2
                       : kind == CellKind::ThreeColours ? 3
                       : kind == CellKind::Uniform      ? 1
                                                        : 4;
  if (kind == CellKind::UniformBlend) colours[0] = randomBlend(rng);
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) {
      uint32_t v = colours[pick(rng) % distinct];
      if (kind == CellKind::Noise) v = any(rng);
      if (kind == CellKind::UniformBlend) v = colours[0];
      src.set(cx * 8 + c, cy * 8 + r, v);
    }
  }
}

}  // namespace peltrix::testing
