// Shared by the engine tests: a whole source picture, the job's lists, and a side-by-side
// run of the literal search and the engine (both kernel builds) on one cell or band.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "colour/geometry.hpp"
#include "colour/luma.hpp"
#include "colour/tables.hpp"
#include "engine/search.hpp"
#include "oracle/literal_search.hpp"
#include "output/pictures.hpp"

namespace peltrix::testing {

enum class Search { Standard, SuperFlicker, FliBand, FliSuperFlicker };

inline const char* searchName(Search s) {
  switch (s) {
    case Search::Standard:
      return "standard";
    case Search::SuperFlicker:
      return "super flicker";
    case Search::FliBand:
      return "FLI band";
    case Search::FliSuperFlicker:
      return "FLI super flicker";
  }
  return "?";
}

// The source arrays of one job, black until painted.
struct SourceArrays {
  std::vector<uint32_t> rgb = std::vector<uint32_t>(kPixels + 1, 0);
  std::vector<uint16_t> luma = std::vector<uint16_t>(kPixels + 1, 16);

  void set(int x, int y, uint32_t colour) {
    rgb[y * kWidth + x] = colour;
    luma[y * kWidth + x] = lumaOfRgb(colour);
  }
  void fillCell(int cx, int cy, uint32_t colour) {
    for (int r = 0; r < 8; ++r) {
      for (int c = 0; c < 8; ++c) set(cx * 8 + c, cy * 8 + r, colour);
    }
  }
};

// The job's lists: pair list with 121 bytes of room and an exclusion list.
struct JobLists {
  uint8_t pairs[121] = {};
  int mode = 0;
  uint8_t exclusions[48] = {};

  JobLists(bool bruteForce, bool overload) {
    mode = bruteForce ? 0 : 1;
    for (int i = 0; i < (bruteForce ? kFullPairCount : kReducedPairCount); ++i) {
      pairs[i] = bruteForce ? kFullPairs[i] : kReducedPairs[i];
    }
    const auto& list = overload ? kOverloadExclusions : kBasicExclusions;
    for (int i = 0; i < 48; ++i) exclusions[i] = list[i];
  }
  Palette palette = kPalette;  // the colours aimed at
  engine::Match match = engine::Match::Classic;
  int count() const { return mode == 1 ? 75 : 121; }
};

inline engine::SearchInputs engineInputs(const SourceArrays& src, const JobLists& lists) {
  engine::SearchInputs in;
  in.sourceRgb = src.rgb.data();
  in.sourceLuma = src.luma.data();
  in.pairs = lists.pairs;
  in.pairCount = lists.count();
  in.exclusions = lists.exclusions;
  in.palette = &lists.palette;
  in.match = lists.match;
  return in;
}

inline oracle::LiteralInputs literalInputs(const SourceArrays& src, const JobLists& lists) {
  oracle::LiteralInputs in;
  in.sourceRgb = src.rgb.data();
  in.sourceLuma = src.luma.data();
  in.pairList = lists.pairs;
  in.pairListMode = lists.mode;
  in.exclusionList = lists.exclusions;
  in.palette = lists.palette.data();
  in.eye = lists.match == engine::Match::Eye;
  return in;
}

inline engine::SearchResult runEngine(engine::Searcher& s, Search search, int cx, int cy, int band,
                                      engine::Metric m, engine::CellBuffers& out) {
  switch (search) {
    case Search::Standard:
      return s.standardCell(cx, cy, m, out);
    case Search::SuperFlicker:
      return s.superFlickerCell(cx, cy, m, out);
    case Search::FliBand:
      return s.fliBand(cx, cy, band, m, out);
    case Search::FliSuperFlicker:
      return s.fliSuperFlickerBand(cx, cy, band, m, out);
  }
  return {};
}

inline oracle::LiteralResult runLiteral(oracle::LiteralSearch& s, Search search, int cx, int cy,
                                        int band, bool luma, oracle::LiteralBuffers& out) {
  switch (search) {
    case Search::Standard:
      return s.standardCell(cx, cy, luma, out);
    case Search::SuperFlicker:
      return s.superFlickerCell(cx, cy, luma, out);
    case Search::FliBand:
      return s.fliBand(cx, cy, band, luma, out);
    case Search::FliSuperFlicker:
      return s.fliSuperFlickerBand(cx, cy, band, luma, out);
  }
  return {};
}

inline bool isBandSearch(Search s) {
  return s == Search::FliBand || s == Search::FliSuperFlicker;
}

// Runs the literal search and both engine builds on one cell (band < 0) or band and
// expects the same triple, error and colour indices, and the blend picture's colour made of
// those indices to be the literal blend; rows outside a band stay untouched.
class Differential {
 public:
  // Keeps its own copy of the lists; `src` must outlive it.
  Differential(const SourceArrays& src, const JobLists& lists)
      : lists_(lists),
        literal_(std::make_unique<oracle::LiteralSearch>(literalInputs(src, lists_))) {
    fast_.prepare(engineInputs(src, lists_));
    portable_.prepare(engineInputs(src, lists_));
  }

  void check(Search search, engine::Metric metric, int cx, int cy, int band = 0) {
    SCOPED_TRACE(std::string(searchName(search)) +
                 (metric == engine::Metric::Luma ? " luma" : " colour") + " cell (" +
                 std::to_string(cx) + ", " + std::to_string(cy) + ") band " + std::to_string(band));
    oracle::LiteralBuffers want;
    const oracle::LiteralResult expected =
        runLiteral(*literal_, search, cx, cy, band, metric == engine::Metric::Luma, want);
    const int first = isBandSearch(search) ? band : 0;
    const int rows = isBandSearch(search) ? 2 : 8;
    for (engine::Searcher* s : {&fast_, &portable_}) {
      SCOPED_TRACE(std::string(s->kernelName()) + " kernels");
      engine::CellBuffers got;
      for (auto& f : got.frames) f.fill(0xEE);
      const engine::SearchResult r = runEngine(*s, search, cx, cy, band, metric, got);
      ASSERT_EQ(r.j, expected.j);
      ASSERT_EQ(r.k, expected.k);
      ASSERT_EQ(r.l, expected.l);
      ASSERT_EQ(r.error, expected.error);
      for (int i = 0; i < 64; ++i) {
        const bool written = i / 8 >= first && i / 8 < first + rows;
        ASSERT_EQ(got.frames[0][i], written ? want.frame1[i] : 0xEE) << "element " << i;
        ASSERT_EQ(got.frames[1][i], written ? want.frame2[i] : 0xEE) << "element " << i;
        ASSERT_EQ(got.frames[2][i], written ? want.frame3[i] : 0xEE) << "element " << i;
        if (written) {
          ASSERT_EQ(blends_.of(got.frames[0][i], got.frames[1][i], got.frames[2][i]),
                    want.blend[i] & 0xFFFFFF)
              << "element " << i;
        }
      }
    }
  }

 private:
  JobLists lists_;
  BlendColours blends_{lists_.palette, lists_.exclusions, lists_.match};
  std::unique_ptr<oracle::LiteralSearch> literal_;
  engine::Searcher fast_{engine::KernelChoice::Fastest};
  engine::Searcher portable_{engine::KernelChoice::Portable};
};

}  // namespace peltrix::testing
