// The fast engine against the literal search, bit for bit, in every combination of pair
// list, exclusion list, distance and search.
#include <gtest/gtest.h>

#include <random>

#include "oracle/engine_harness.hpp"
#include "oracle/synthetic_cells.hpp"

namespace peltrix::testing {
namespace {

using engine::Metric;

TEST(EngineOracleDebug, Reduced) {
  std::mt19937 rng(1);
  SourceArrays src;
  int cx = 0;
  for (CellKind kind : kCellKinds) paintCell(src, cx++, 0, kind, rng);
  for (bool overload : {false, true}) {
    JobLists lists(false, overload);
    Differential diff(src, lists);
    for (Metric m : {Metric::Colour, Metric::Luma}) {
      for (int c = 0; c < cx; ++c) {
        diff.check(Search::SuperFlicker, m, c, 0);
        diff.check(Search::Standard, m, c, 0);
        diff.check(Search::FliBand, m, c, 0, 2);
      }
    }
  }
}

}  // namespace
}  // namespace peltrix::testing
namespace peltrix::testing {
TEST(EngineOracleDebug, Full) {
  std::mt19937 rng(2);
  SourceArrays src;
  int cx = 0;
  for (CellKind kind : kCellKinds) paintCell(src, cx++, 0, kind, rng);
  JobLists lists(true, false);
  Differential diff(src, lists);
  for (int c : {0, 4, 6}) {
    diff.check(Search::Standard, engine::Metric::Colour, c, 0);
    diff.check(Search::Standard, engine::Metric::Luma, c, 0);
  }
}
}  // namespace peltrix::testing
