// The search's result: three 320 x 200 planes of C64 colour indices, what frame 1, 2 and 3
// show at every pixel. Every picture of a conversion (blend, frames, C64 data) is made from
// them and a palette where it is needed. Workers store cells while the GUI thread reads at
// any moment, so every element is a relaxed atomic byte: a reader never sees a torn value.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "colour/geometry.hpp"
#include "platform/relaxed_atomic.hpp"

namespace peltrix::engine {

struct CellBuffers;

// One frame's colour indices 0..15, pixel (x, y) at element y * 320 + x; black before any job.
class IndexPlane {
 public:
  IndexPlane() : indices_(kPixels, 0) {}
  uint8_t load(int i) const { return relaxedLoad(indices_[i]); }
  void store(int i, uint8_t v) { relaxedStore(indices_[i], v); }
  uint8_t at(int x, int y) const { return load(y * kWidth + x); }

 private:
  mutable std::vector<uint8_t> indices_;
};

struct FramePlanes {
  std::array<IndexPlane, 3> frames;  // frame 1, frame 2, frame 3

  // Copies rows firstRow .. firstRow + rowCount - 1 of a worker's cell buffers into cell
  // (cx, cy); the cell's other rows keep what they hold.
  void storeRows(int cx, int cy, int firstRow, int rowCount, const CellBuffers& cell);
};

}  // namespace peltrix::engine
