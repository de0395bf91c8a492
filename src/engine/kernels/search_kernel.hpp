// What the search kernels share: the job's tables, one cell's (or band's) pixels, the
// per-Searcher scratch, and the kernel entry points. The kernels exist twice, compiled from
// one source: once for any CPU and once for the build's SIMD instructions; both give
// bit-identical winners.
#pragma once

#include <array>
#include <cstdint>
#include <tuple>

#include "engine/blend_table.hpp"
#include "engine/eye_blends.hpp"

namespace peltrix::engine {

constexpr int kMaxPairs = 121;
constexpr int kPaddedPairs = 128;  // rows of per-entry bounds, padded to whole vectors

// The job's pair list and exclusion list in the form the kernels read.
struct JobTables {
  int count = 0;                                         // N: 121 or 75
  alignas(32) std::array<uint8_t, kPaddedPairs> high{};  // high colour of entry j, then 0s
  alignas(32) std::array<uint8_t, kPaddedPairs> low{};   // low colour of entry j, then 0s
  std::array<bool, 16 * 16> clash{};  // [a * 16 + b]: pair code of a and b is excluded
  const BlendTable* blends = nullptr;
  const EyeBlends* eye = nullptr;  // the eye match's blends; null in the classic match
  // [a * 16 + b][c]: the luma of blend (a, b, c), and 0xFF where that slot is excluded.
  alignas(16) uint8_t lumaWith[256][16] = {};
  alignas(16) uint8_t excludedWith[256][16] = {};

  bool clashes(int a, int b) const { return clash[a * 16 + b]; }
};

// The pixels of one cell (64) or band (16), row by row.
struct CellPixels {
  int count = 64;
  std::array<uint32_t, 64> rgb{};
  // The eye match: each pixel's CIELAB colour (colour/cielab.hpp), one array per coordinate.
  alignas(32) std::array<int32_t, 64> labL{}, labA{}, labB{};
  std::array<uint16_t, 64> luma{};
};

// The winning entries for frames 1, 2, 3 (j == k == l for the super flicker searches).
struct Winner {
  int j = 0, k = 0, l = 0;
};

// The search's tie-break: of two triples with the same error, the one that comes first in
// enumeration order (by j, then k, then l) wins.
constexpr bool comesBefore(int j, int k, int l, const Winner& best) {
  return std::tie(j, k, l) < std::tie(best.j, best.k, best.l);
}

// Triple (j, k, l) with error e becomes the best if it has a lower error, or the same error
// and comes before it.
inline void offer(int64_t e, int j, int k, int l, int64_t& bestErr, Winner& best) {
  if (e < bestErr || (e == bestErr && comesBefore(j, k, l, best))) bestErr = e, best = {j, k, l};
}

// Scratch of one Searcher, allocated once: rows of per-pixel distances, 128 bytes each
// (64 pixels x 16 bits at most), and the bounds on pairs of entries.
struct alignas(64) Workspace {
  alignas(64) uint8_t distances[kBlendCount][128];  // pixel to each blend colour
  alignas(64) uint8_t pairBest[kColourPairs][128];  // best blend with two colours fixed
  alignas(64) uint8_t withEntry[16][128];           // best blend with one entry and a colour
  alignas(64) uint8_t withFirst[256][128];          // best slot per (frame 2, frame 3) colour
  alignas(64) uint8_t third[16][128];               // best slot per frame 3 colour
  alignas(64) uint8_t firstByLuma[16][64][16];      // luma: withFirst per pixel luma
  alignas(64) uint16_t pairBound[kMaxPairs][kPaddedPairs];  // bound on triples holding both
  std::array<uint16_t, kMaxPairs> entryBound{};
};

// Colour and Luma: the classic match's |dR| + |dG| + |dB| and luma difference. Eye and
// EyeLightness: CIELAB distance (labDistance) and L* difference, in quarters, to the eye match's
// blends.
enum class Distance { Colour, Luma, Eye, EyeLightness };

// The literal rule on candidate triples (j, k, base + i), whose errors are errors[i]: two
// mask bits per entry i, taken in order, each against the best so far.
inline void takeInOrder(int j, int k, int base, uint64_t candidates, const uint16_t* errors,
                        int64_t& bestErr, Winner& best) {
  for (; candidates != 0; candidates &= candidates - 1, candidates &= candidates - 1) {
    const int i = __builtin_ctzll(candidates) / 2, l = base + i;
    offer(errors[i], j, k, l, bestErr, best);
  }
}

namespace portable {
Winner searchTriples(const JobTables& t, const CellPixels& px, Distance d, Workspace& w);
Winner searchSingles(const JobTables& t, const CellPixels& px, Distance d, Workspace& w);
}  // namespace portable

// The kernels for the build's SIMD instructions; CMake compiles one folder of them:
// x86_avx2/ on x86-64 (used when the CPU has AVX2), wasm_simd128/ in the WebAssembly build,
// or no_simd/ on any other processor, where available() is false.
namespace simd {
const char* name();  // of the instruction set
bool available();    // on this CPU
Winner searchTriples(const JobTables& t, const CellPixels& px, Distance d, Workspace& w);
Winner searchSingles(const JobTables& t, const CellPixels& px, Distance d, Workspace& w);
}  // namespace simd

}  // namespace peltrix::engine
