// The cell conversion engine: for a cell (or an 8 x 2 band) it finds the three colour pairs
// and the per-pixel choices whose blend comes closest to the source, and the super flicker
// post-passes. Pure computation on read-only inputs plus one Searcher's own scratch.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "colour/palettes.hpp"

namespace peltrix::engine {

enum class Metric { Colour, Luma };

// How a blend is judged. Classic: the 8 blends of a triple are the truncated mean of their sRGB
// codes, measured by |dR| + |dG| + |dB| (luma difference in "Luma only mode"). Eye: the
// linear-light mean, as the eye mixes frames shown in turn, measured in CIELAB (L* alone in
// "Luma only mode"). Both searches are exhaustive and exact.
enum class Match { Classic, Eye };

// What every search of one job reads. Written only while no job runs.
struct SearchInputs {
  const uint32_t* sourceRgb = nullptr;   // 320 x 200 RGB values, pixel (x, y) at y * 320 + x
  const uint16_t* sourceLuma = nullptr;  // 320 x 200 lumas of the same pixels
  const uint8_t* pairs = nullptr;        // pair list; only the first pairCount entries are read
  int pairCount = 121;                   // 121 ("Brute Force") or 75
  const uint8_t* exclusions = nullptr;   // 48 pair codes
  const Palette* palette = nullptr;      // the colours aimed at; null: the converter's own
  Match match = Match::Classic;
};

// One cell (or band) as a search leaves it: the C64 colour index each frame shows at element
// row * 8 + col.
struct CellBuffers {
  std::array<std::array<uint8_t, 64>, 3> frames{};  // frame 1, frame 2, frame 3
};

// The winning candidate: pair-list entries for frames 1, 2, 3 and its error.
struct SearchResult {
  int j = 0, k = 0, l = 0;
  int32_t error = 0;
};

// Which build of the search kernels a Searcher runs. Both give identical results;
// Fastest takes the build's SIMD kernels (AVX2, or wasm SIMD in the browser build) when
// the CPU has them and PELTRIX_KERNEL is not "portable" (engine/kernels/kernel_choice.hpp).
enum class KernelChoice { Fastest, Portable };

// A worker's search engine with its own scratch. Two Searchers may run at once on
// different cells; neither writes anything shared.
class Searcher {
 public:
  explicit Searcher(KernelChoice choice = KernelChoice::Fastest);
  ~Searcher();
  Searcher(const Searcher&) = delete;
  Searcher& operator=(const Searcher&) = delete;

  // Binds the job's inputs; call once per job, before the first search. The inputs must
  // stay unchanged until the job ends. Throws std::invalid_argument for a missing array
  // or a pair count outside 1..121.
  void prepare(const SearchInputs& inputs);

  // True when this Searcher runs the SIMD build of the kernels, and that build's name
  // ("AVX2", "wasm SIMD"; "portable" for the other).
  bool usesSimd() const;
  const char* kernelName() const;

  SearchResult standardCell(int cx, int cy, Metric metric, CellBuffers& out);
  SearchResult superFlickerCell(int cx, int cy, Metric metric, CellBuffers& out);
  // Bands: rows bandStart and bandStart + 1 (0, 2, 4 or 6) of the cell; only those rows of
  // `out` are written. A cell or band outside the picture, or a search before prepare(),
  // throws std::out_of_range / std::logic_error instead of reading outside the arrays.
  SearchResult fliBand(int cx, int cy, int bandStart, Metric metric, CellBuffers& out);
  SearchResult fliSuperFlickerBand(int cx, int cy, int bandStart, Metric metric, CellBuffers& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

struct FramePlanes;

// Frame rotations after a super flicker job. They only permute each pixel's three frame
// colours, so every blend stays as it was.
void superFlickerPostPass(FramePlanes& planes);
void horizontalFrameRotation(FramePlanes& planes);

}  // namespace peltrix::engine
