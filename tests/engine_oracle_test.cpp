// The fast engine against the literal search, bit for bit (winning triple, error and the
// four cell buffers, both kernel builds), in every combination of pair list, exclusion list,
// distance and search, on synthetic cells and cells of the test photos. The literal search
// takes about a second per cell with 121 pairs, so those runs sample a few cells.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "oracle/engine_harness.hpp"
#include "oracle/photo_cells.hpp"
#include "oracle/synthetic_cells.hpp"

namespace peltrix::testing {
namespace {

using engine::Metric;

constexpr int kKinds = static_cast<int>(std::size(kCellKinds));

// Row 0 holds one cell of every synthetic kind; row 1 the same kinds drawn again.
SourceArrays syntheticPicture(unsigned seed) {
  std::mt19937 rng(seed);
  SourceArrays src;
  for (int row = 0; row < 2; ++row) {
    for (int i = 0; i < kKinds; ++i) paintCell(src, i, row, kCellKinds[i], rng);
  }
  return src;
}

struct Combination {
  bool bruteForce;
  bool overload;
  Metric metric;
};

class EngineMatchesLiteral : public ::testing::TestWithParam<std::tuple<bool, bool, Metric>> {
 protected:
  Combination combo() const {
    return {std::get<0>(GetParam()), std::get<1>(GetParam()), std::get<2>(GetParam())};
  }
  // A different seed per combination, so that together they cover more cells.
  unsigned seed() const {
    const Combination c = combo();
    return 11u + (c.bruteForce ? 1u : 0u) + (c.overload ? 2u : 0u) +
           (c.metric == Metric::Luma ? 4u : 0u);
  }
};

TEST_P(EngineMatchesLiteral, SyntheticCells) {
  const Combination c = combo();
  const SourceArrays src = syntheticPicture(seed());
  Differential diff(src, JobLists(c.bruteForce, c.overload));
  // With 121 pairs the standard and band searches sample three kinds (a different three
  // per combination); with 75 pairs every kind.
  for (int i = 0; i < kKinds * 2; ++i) {
    const int cx = i % kKinds, cy = i / kKinds;
    diff.check(Search::SuperFlicker, c.metric, cx, cy);
    for (int band = 0; band < 8; band += 2)
      diff.check(Search::FliSuperFlicker, c.metric, cx, cy, band);
    const bool sampled = !c.bruteForce || (i % kKinds) % 3 == static_cast<int>(seed() % 3);
    if (!sampled) continue;
    if (cy == 0 || !c.bruteForce) diff.check(Search::Standard, c.metric, cx, cy);
    diff.check(Search::FliBand, c.metric, cx, cy, (2 * i) % 8);
  }
}

TEST_P(EngineMatchesLiteral, PhotoCells) {
  std::string why;
  const std::vector<SourceArrays> photos = loadPhotos(&why);
  if (photos.empty()) GTEST_SKIP() << why;
  const Combination c = combo();
  const int expensive = c.bruteForce ? 1 : 3;  // standard cells and bands per photo
  for (size_t p = 0; p < photos.size(); ++p) {
    Differential diff(photos[p], JobLists(c.bruteForce, c.overload));
    for (int i = 0; i < 40; ++i) {
      int cx, cy;
      sampleCell(i + static_cast<int>(p) * 40 + static_cast<int>(seed()) * 7, &cx, &cy);
      diff.check(Search::SuperFlicker, c.metric, cx, cy);
      diff.check(Search::FliSuperFlicker, c.metric, cx, cy, (2 * i) % 8);
      if (i < expensive && (c.bruteForce ? p % 2 == seed() % 2 : true)) {
        diff.check(Search::Standard, c.metric, cx, cy);
      }
      if (i < expensive + 1) diff.check(Search::FliBand, c.metric, cx, cy, (2 * (i + p)) % 8);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllLists, EngineMatchesLiteral,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool(),
                                            ::testing::Values(Metric::Colour, Metric::Luma)),
                         [](const ::testing::TestParamInfo<std::tuple<bool, bool, Metric>>& info) {
                           return std::string(std::get<0>(info.param) ? "Pairs121" : "Pairs75") +
                                  (std::get<1>(info.param) ? "Overload" : "Basic") +
                                  (std::get<2>(info.param) == Metric::Luma ? "Luma" : "Colour");
                         });

// Every other palette as exactly: the blends, their lumas and the frames follow the colours.
TEST(EngineMatchesLiteralPalettes, PhotoCellsWithEachBuiltInPalette) {
  std::string why;
  const std::vector<SourceArrays> photos = loadPhotos(&why);
  if (photos.empty()) GTEST_SKIP() << why;
  // A palette may name one colour twice: then the first of the two wins every tie.
  std::vector<NamedPalette> palettes(builtinPalettes().begin() + 1, builtinPalettes().end());
  NamedPalette twice{"pepto-pal with grey 2 as grey 3", "", kPalette};
  twice.colours[12] = kPalette[15];
  palettes.push_back(twice);
  for (const NamedPalette& palette : palettes) {
    SCOPED_TRACE(palette.name);
    JobLists lists(false, true);
    lists.palette = palette.colours;
    Differential diff(photos[0], lists);
    for (int i = 0; i < 12; ++i) {
      int cx, cy;
      sampleCell(i * 5 + 3, &cx, &cy);
      for (Metric metric : {Metric::Colour, Metric::Luma}) {
        diff.check(Search::SuperFlicker, metric, cx, cy);
        diff.check(Search::FliBand, metric, cx, cy, (2 * i) % 8);
        if (i < 2) diff.check(Search::Standard, metric, cx, cy);
      }
    }
  }
}

// The eye match as exactly, in both distances, with both lists, another palette included:
// every search on synthetic cells and on cells of the photos.
TEST(EngineMatchesLiteralEye, SyntheticAndPhotoCells) {
  std::string why;
  std::vector<SourceArrays> pictures = loadPhotos(&why);
  pictures.insert(pictures.begin(), syntheticPicture(23));
  for (const bool bruteForce : {false, true}) {
    JobLists lists(bruteForce, !bruteForce);
    lists.match = engine::Match::Eye;
    if (bruteForce) lists.palette = builtinPalettes()[1].colours;
    for (size_t p = 0; p < std::min<size_t>(pictures.size(), 3); ++p) {
      SCOPED_TRACE("picture " + std::to_string(p) + (bruteForce ? ", 121 pairs" : ", 75 pairs"));
      Differential diff(pictures[p], lists);
      for (int i = 0; i < 6; ++i) {
        int cx = i % kKinds, cy = 0;
        if (p > 0) sampleCell(i * 11 + static_cast<int>(p), &cx, &cy);
        for (Metric metric : {Metric::Colour, Metric::Luma}) {
          diff.check(Search::SuperFlicker, metric, cx, cy);
          diff.check(Search::FliSuperFlicker, metric, cx, cy, (2 * i) % 8);
          diff.check(Search::FliBand, metric, cx, cy, (2 * i + 2) % 8);
          if (i < (bruteForce ? 1 : 2)) diff.check(Search::Standard, metric, cx, cy);
        }
      }
    }
  }
}

// Inputs outside what a job produces still give the literal result: lumas above 255, and an
// exclusion list that forbids showing one colour in two frames, so that whole triples (even
// black, black, black) have no allowed slot and the marker decides.
TEST(EngineMatchesLiteralOddInputs, LumasAbove255) {
  std::mt19937 rng(5);
  SourceArrays src = syntheticPicture(5);
  for (int i = 0; i < 64; ++i)
    src.luma[(i / 8) * kWidth + i % 8] = static_cast<uint16_t>(rng() % 1000);
  for (int i = 0; i < 64; ++i) src.luma[(i / 8) * kWidth + 8 + i % 8] = 300;
  Differential diff(src, JobLists(false, false));
  for (int cx : {0, 1}) {
    diff.check(Search::Standard, Metric::Luma, cx, 0);
    diff.check(Search::SuperFlicker, Metric::Luma, cx, 0);
    diff.check(Search::FliBand, Metric::Luma, cx, 0, 4);
    diff.check(Search::FliSuperFlicker, Metric::Luma, cx, 0, 6);
  }
}

TEST(EngineMatchesLiteralOddInputs, ExclusionsOfEqualColours) {
  const SourceArrays src = syntheticPicture(9);
  JobLists lists(false, false);
  for (int i = 0; i < 16; ++i)
    lists.exclusions[i] = static_cast<uint8_t>(i * 17);  // 0x00, 0x11, ...
  Differential diff(src, lists);
  for (int cx = 0; cx < 3; ++cx) {
    for (Metric m : {Metric::Colour, Metric::Luma}) {
      diff.check(Search::Standard, m, cx, 0);
      diff.check(Search::SuperFlicker, m, cx, 0);
      diff.check(Search::FliBand, m, cx, 0, 2);
      diff.check(Search::FliSuperFlicker, m, cx, 0, 0);
    }
  }
}

}  // namespace
}  // namespace peltrix::testing
