// The searches' worked examples, their guarantees on real pictures, and their contract:
// bands write only their rows, only the first N pairs are read, bad calls are refused.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <thread>

#include "engine/blend_table.hpp"
#include "oracle/engine_harness.hpp"
#include "oracle/photo_cells.hpp"
#include "output/pictures.hpp"

namespace peltrix::testing {
namespace {

using engine::CellBuffers;
using engine::KernelChoice;
using engine::Metric;
using engine::Searcher;

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kCyan = 0x70A4B2;

class EngineExamples : public ::testing::TestWithParam<KernelChoice> {
 protected:
  // Converts cell (0, 0) of `src` with the given lists.
  engine::SearchResult run(const SourceArrays& src, const JobLists& lists, Search search, Metric m,
                           CellBuffers& out, int band = 0) {
    Searcher s(GetParam());
    s.prepare(engineInputs(src, lists));
    return runEngine(s, search, 0, 0, band, m, out);
  }
};

// C64 colour indices of the colours above.
constexpr uint8_t kBlackIndex = 0, kWhiteIndex = 1, kDarkGreyIndex = 11, kGreyIndex = 12,
                  kLightGreyIndex = 15;

// Every pixel of the rows shows frame colours f1, f2, f3, which the blend picture shows as
// `blend` with the lists' exclusions.
void expectEveryPixel(const CellBuffers& b, const JobLists& lists, uint32_t blend, uint8_t f1,
                      uint8_t f2, uint8_t f3, int firstRow = 0, int rows = 8) {
  ASSERT_EQ(BlendColours(lists.palette, lists.exclusions).of(f1, f2, f3), blend);
  for (int i = firstRow * 8; i < (firstRow + rows) * 8; ++i) {
    ASSERT_EQ(b.frames[0][i], f1) << "pixel " << i;
    ASSERT_EQ(b.frames[1][i], f2) << "pixel " << i;
    ASSERT_EQ(b.frames[2][i], f3) << "pixel " << i;
  }
}

TEST_P(EngineExamples, MidGreyNeedsThreeDifferentPairs) {
  SourceArrays src;
  src.fillCell(0, 0, 0x555555);
  CellBuffers out;
  // Black, black, white would blend to 0x555555, but 0x01 is excluded: slot 3 of
  // (0x00, 0x0C, 0x0F) shows black, grey, light grey: (0 + 108 + 149) / 3 = 85.
  const JobLists lists(true, false);
  const auto r = run(src, lists, Search::Standard, Metric::Colour, out);
  EXPECT_EQ(r.j, 0);
  EXPECT_EQ(r.k, 12);
  EXPECT_EQ(r.l, 15);
  EXPECT_EQ(r.error, 0);
  expectEveryPixel(out, lists, 0x555555, kBlackIndex, kGreyIndex, kLightGreyIndex);
}

TEST_P(EngineExamples, MidGreyWithSuperFlicker) {
  SourceArrays src;
  src.fillCell(0, 0, 0x555555);
  CellBuffers out;
  // Entry 111 is 0xBC; slots 1, 2 and 4 blend alike and slot 1 wins the tie.
  const JobLists lists(true, false);
  const auto r = run(src, lists, Search::SuperFlicker, Metric::Colour, out);
  EXPECT_EQ(r.j, 111);
  EXPECT_EQ(r.k, 111);
  EXPECT_EQ(r.l, 111);
  EXPECT_EQ(r.error, 768);  // 64 pixels x 3 channels x (85 - 81)
  expectEveryPixel(out, lists, 0x515151, kDarkGreyIndex, kDarkGreyIndex, kGreyIndex);
}

TEST_P(EngineExamples, UniformWhiteTakesTheFirstPairWithWhite) {
  SourceArrays src;
  src.fillCell(0, 0, kWhite);
  CellBuffers out;
  const JobLists full(true, false), reduced(false, false);
  auto r = run(src, full, Search::Standard, Metric::Colour, out);
  EXPECT_EQ(r.j, 1);  // entry 0x01, slot 7: white in all frames
  EXPECT_EQ(r.k, 1);
  EXPECT_EQ(r.l, 1);
  EXPECT_EQ(r.error, 0);
  expectEveryPixel(out, full, kWhite, kWhiteIndex, kWhiteIndex, kWhiteIndex);
  r = run(src, reduced, Search::Standard, Metric::Colour, out);
  EXPECT_EQ(r.j, 56);  // entry 0x13, slot 0
  EXPECT_EQ(r.k, 56);
  EXPECT_EQ(r.l, 56);
  expectEveryPixel(out, reduced, kWhite, kWhiteIndex, kWhiteIndex, kWhiteIndex);
}

TEST_P(EngineExamples, UniformBlackIsTheFirstTriple) {
  SourceArrays src;
  for (bool bruteForce : {true, false}) {
    for (Metric m : {Metric::Colour, Metric::Luma}) {
      CellBuffers out;
      const JobLists lists(bruteForce, true);
      const auto r = run(src, lists, Search::Standard, m, out);
      EXPECT_EQ(r.j + r.k + r.l, 0);
      EXPECT_EQ(r.error, 0);
      expectEveryPixel(out, lists, kBlack, kBlackIndex, kBlackIndex, kBlackIndex);
    }
  }
}

TEST_P(EngineExamples, BlackOverWhiteFliCell) {
  SourceArrays src;
  for (int y = 4; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) src.set(x, y, kWhite);
  }
  CellBuffers out;
  const JobLists lists(true, false);
  for (int band = 0; band < 8; band += 2) {
    const auto r = run(src, lists, Search::FliBand, Metric::Colour, out, band);
    const int want = band < 4 ? 0 : 1;
    EXPECT_EQ(r.j, want);
    EXPECT_EQ(r.k, want);
    EXPECT_EQ(r.l, want);
    EXPECT_EQ(r.error, 0);
  }
  expectEveryPixel(out, lists, kBlack, kBlackIndex, kBlackIndex, kBlackIndex, 0, 4);
  expectEveryPixel(out, lists, kWhite, kWhiteIndex, kWhiteIndex, kWhiteIndex, 4, 4);
}

TEST_P(EngineExamples, LumaOnlyMatchesLumaWithAColouredBlend) {
  SourceArrays src;
  src.fillCell(0, 0, 0x555555);
  src.set(3, 3, 0x70A4B2);
  CellBuffers out;
  const JobLists lists(true, false);
  run(src, lists, Search::Standard, Metric::Luma, out);
  // The uniform 0x555555 cell (luma 101) in luma mode is matched by a coloured blend.
  const uint32_t b = BlendColours(lists.palette, lists.exclusions)
                         .of(out.frames[0][0], out.frames[1][0], out.frames[2][0]);
  EXPECT_FALSE(((b >> 16) & 0xFF) == (b & 0xFF) && ((b >> 8) & 0xFF) == (b & 0xFF))
      << std::hex << b;
}

TEST_P(EngineExamples, OnlyTheFirst75PairsAreRead) {
  std::mt19937 rng(3);
  SourceArrays src;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) src.set(x, y, rng() & 0xFFFFFF);
  }
  JobLists lists(false, false), dirty(false, false);
  for (int i = 75; i < 121; ++i) dirty.pairs[i] = 0x01;  // white with black: tempting
  for (Search search : {Search::Standard, Search::SuperFlicker}) {
    CellBuffers a, b;
    const auto ra = run(src, lists, search, Metric::Colour, a);
    const auto rb = run(src, dirty, search, Metric::Colour, b);
    EXPECT_EQ(ra.j, rb.j);
    EXPECT_EQ(ra.k, rb.k);
    EXPECT_EQ(ra.l, rb.l);
    EXPECT_EQ(a.frames, b.frames);
  }
}

TEST_P(EngineExamples, ABandDependsOnlyOnItsOwnPixels) {
  std::mt19937 rng(4);
  SourceArrays src;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) src.set(x, y, rng() & 0xFFFFFF);
  }
  CellBuffers before, after;
  const auto r1 = run(src, JobLists(false, true), Search::FliBand, Metric::Colour, before, 2);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (x >= 8 || y < 2 || y > 3) src.set(x, y, 0x00FF00);
    }
  }
  const auto r2 = run(src, JobLists(false, true), Search::FliBand, Metric::Colour, after, 2);
  EXPECT_EQ(r1.j, r2.j);
  EXPECT_EQ(r1.k, r2.k);
  EXPECT_EQ(r1.l, r2.l);
  EXPECT_EQ(r1.error, r2.error);
  for (int i = 16; i < 32; ++i) {
    for (int f = 0; f < 3; ++f) EXPECT_EQ(before.frames[f][i], after.frames[f][i]);
  }
}

TEST_P(EngineExamples, RefusesCallsOutsideThePicture) {
  Searcher s(GetParam());
  CellBuffers out;
  EXPECT_THROW(s.standardCell(0, 0, Metric::Colour, out), std::logic_error);
  SourceArrays src;
  JobLists lists(true, false);
  engine::SearchInputs in = engineInputs(src, lists);
  in.pairCount = 0;
  EXPECT_THROW(s.prepare(in), std::invalid_argument);
  in.pairCount = 122;
  EXPECT_THROW(s.prepare(in), std::invalid_argument);
  in = engineInputs(src, lists);
  in.sourceLuma = nullptr;
  EXPECT_THROW(s.prepare(in), std::invalid_argument);
  s.prepare(engineInputs(src, lists));
  EXPECT_THROW(s.standardCell(40, 0, Metric::Colour, out), std::out_of_range);
  EXPECT_THROW(s.superFlickerCell(0, 25, Metric::Colour, out), std::out_of_range);
  EXPECT_THROW(s.fliBand(-1, 0, 0, Metric::Colour, out), std::out_of_range);
  EXPECT_THROW(s.fliBand(0, 0, 1, Metric::Colour, out), std::out_of_range);
  EXPECT_THROW(s.fliSuperFlickerBand(0, 0, 8, Metric::Colour, out), std::out_of_range);
  EXPECT_NO_THROW(s.fliSuperFlickerBand(39, 24, 6, Metric::Luma, out));
}

INSTANTIATE_TEST_SUITE_P(BothKernels, EngineExamples,
                         ::testing::Values(KernelChoice::Fastest, KernelChoice::Portable),
                         [](const ::testing::TestParamInfo<KernelChoice>& info) {
                           return info.param == KernelChoice::Fastest ? "Fastest" : "Portable";
                         });

// Whole photos through every search: every frame value is a colour of that frame's pair.
TEST(EngineOnPhotos, EveryPixelShowsItsPairsColours) {
  std::string why;
  const std::vector<SourceArrays> photos = loadPhotos(&why);
  if (photos.empty()) GTEST_SKIP() << why;
  Searcher s;
  for (size_t p = 0; p < 2; ++p) {
    JobLists lists(p == 0, p == 1);
    s.prepare(engineInputs(photos[p], lists));
    for (Search search :
         {Search::Standard, Search::SuperFlicker, Search::FliBand, Search::FliSuperFlicker}) {
      for (int cell = 0; cell < 1000; cell += 7) {
        const Metric m = cell % 2 ? Metric::Luma : Metric::Colour;
        CellBuffers out;
        for (int band = 0; band < (isBandSearch(search) ? 8 : 1); band += 2) {
          const auto r = runEngine(s, search, cell % 40, cell / 40, band, m, out);
          const int entries[3] = {r.j, r.k, r.l};
          for (int i = isBandSearch(search) ? band * 8 : 0;
               i < (isBandSearch(search) ? band * 8 + 16 : 64); ++i) {
            for (int f = 0; f < 3; ++f) {
              const uint8_t pair = lists.pairs[entries[f]];
              const int v = out.frames[f][i];
              ASSERT_TRUE(v == pair >> 4 || v == (pair & 15));
            }
          }
        }
      }
    }
  }
}

// Two Searchers on two threads give what one gives alone: no shared scratch.
TEST(EngineConcurrency, TwoSearchersAtOnce) {
  std::mt19937 rng(8);
  SourceArrays src;
  for (int i = 0; i < kPixels; ++i) src.set(i % kWidth, i / kWidth, rng() & 0xFFFFFF);
  JobLists lists(false, false);
  auto convert = [&](int parity, std::vector<engine::SearchResult>* results) {
    Searcher s;
    s.prepare(engineInputs(src, lists));
    CellBuffers out;
    for (int cx = parity; cx < 40; cx += 2) {
      results->push_back(s.standardCell(cx, 3, Metric::Colour, out));
      results->push_back(s.fliBand(cx, 4, 2, Metric::Luma, out));
    }
  };
  std::vector<engine::SearchResult> a, b, alone;
  std::thread ta(convert, 0, &a), tb(convert, 1, &b);
  ta.join();
  tb.join();
  convert(1, &alone);
  ASSERT_EQ(b.size(), alone.size());
  for (size_t i = 0; i < b.size(); ++i) {
    EXPECT_EQ(b[i].j, alone[i].j);
    EXPECT_EQ(b[i].k, alone[i].k);
    EXPECT_EQ(b[i].l, alone[i].l);
    EXPECT_EQ(b[i].error, alone[i].error);
  }
}

TEST(EngineBlendTable, HoldsEveryBlendOnceWithItsLuma) {
  const engine::BlendTable t;
  std::vector<int> seen(engine::kBlendCount, 0);
  for (int a = 0; a < 16; ++a) {
    for (int b = 0; b < 16; ++b) {
      for (int c = 0; c < 16; ++c) {
        const int id = t.of(a, b, c);
        ASSERT_EQ(id, t.of(c, a, b));
        ASSERT_EQ(t.rgb[id], engine::blendRgb(kPalette[a], kPalette[b], kPalette[c]));
        if (a <= b && b <= c) ++seen[id];
      }
    }
  }
  for (int n = 0; n < engine::kBlendCount; ++n) {
    EXPECT_EQ(seen[n], 1);
    EXPECT_EQ(t.luma[n], lumaOfRgb(t.rgb[n]));
  }
  EXPECT_EQ(engine::blendRgb(kBlack, kBlack, kWhite), 0x555555u);
  EXPECT_EQ(engine::blendRgb(kWhite, kWhite, kBlack), 0xAAAAAAu);
  EXPECT_EQ(engine::blendRgb(kCyan, kCyan, kCyan), kCyan);
}

}  // namespace
}  // namespace peltrix::testing
