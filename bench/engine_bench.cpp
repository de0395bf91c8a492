// The conversion engine on whole pictures, side by side with the literal search.
//
// Each benchmark converts the whole 320 x 200 picture on one thread (time: the minimum over
// the iterations, "picture_s") and, interleaved with those runs so that both see the same
// machine load, times the literal search on a sample of cells or bands; the fastest sample
// times the number of cells (1000) or bands (4000) estimates the literal search's picture
// time ("literal_s"). "ratio" is literal_s / picture_s.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../tests/oracle/literal_search.hpp"
#include "colour/geometry.hpp"
#include "colour/luma.hpp"
#include "colour/picture.hpp"
#include "colour/source_prep.hpp"
#include "colour/tables.hpp"
#include "engine/frame_planes.hpp"
#include "engine/search.hpp"

namespace peltrix {
namespace {

using Clock = std::chrono::steady_clock;
using engine::Metric;

enum class Mode { Standard, Fli, SuperFlicker, FliSuperFlicker };

struct Picture {
  std::string name;
  std::vector<uint32_t> rgb = std::vector<uint32_t>(kPixels + 1, 0);
  std::vector<uint16_t> luma = std::vector<uint16_t>(kPixels + 1, 0);
};

struct Lists {
  uint8_t pairs[121] = {};
  uint8_t exclusions[48] = {};
  int count = 121;
};

Lists makeLists(int count) {
  Lists l;
  l.count = count;
  for (int i = 0; i < count; ++i) l.pairs[i] = count == 121 ? kFullPairs[i] : kReducedPairs[i];
  for (int i = 0; i < 48; ++i) l.exclusions[i] = kBasicExclusions[i];
  return l;
}

double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// One whole picture through the engine.
void convert(engine::Searcher& s, Mode mode, Metric m) {
  engine::CellBuffers out;
  for (int cy = 0; cy < kCellRows; ++cy) {
    for (int cx = 0; cx < kCellColumns; ++cx) {
      switch (mode) {
        case Mode::Standard:
          s.standardCell(cx, cy, m, out);
          break;
        case Mode::SuperFlicker:
          s.superFlickerCell(cx, cy, m, out);
          break;
        case Mode::Fli:
          for (int b = 0; b < 8; b += 2) s.fliBand(cx, cy, b, m, out);
          break;
        case Mode::FliSuperFlicker:
          for (int b = 0; b < 8; b += 2) s.fliSuperFlickerBand(cx, cy, b, m, out);
          break;
      }
      benchmark::DoNotOptimize(out);
    }
  }
}

// One sampled cell (or band) through the literal search.
void convertLiteral(oracle::LiteralSearch& s, Mode mode, Metric m, int sample) {
  oracle::LiteralBuffers out;
  const int cell = (sample * 379 + 123) % 1000;  // spread over the picture
  const int cx = cell % kCellColumns, cy = cell / kCellColumns, band = (sample % 4) * 2;
  const bool luma = m == Metric::Luma;
  switch (mode) {
    case Mode::Standard:
      s.standardCell(cx, cy, luma, out);
      break;
    case Mode::SuperFlicker:
      s.superFlickerCell(cx, cy, luma, out);
      break;
    case Mode::Fli:
      s.fliBand(cx, cy, band, luma, out);
      break;
    case Mode::FliSuperFlicker:
      s.fliSuperFlickerBand(cx, cy, band, luma, out);
      break;
  }
  benchmark::DoNotOptimize(out);
}

void runMode(benchmark::State& state, const Picture* pic, Mode mode, Metric m, int pairCount,
             int literalSamplesPerRun) {
  const Lists lists = makeLists(pairCount);
  engine::Searcher searcher;
  engine::SearchInputs in;
  in.sourceRgb = pic->rgb.data();
  in.sourceLuma = pic->luma.data();
  in.pairs = lists.pairs;
  in.pairCount = lists.count;
  in.exclusions = lists.exclusions;
  searcher.prepare(in);
  oracle::LiteralInputs lin;
  lin.sourceRgb = pic->rgb.data();
  lin.sourceLuma = pic->luma.data();
  lin.pairList = lists.pairs;
  lin.pairListMode = pairCount == 121 ? 0 : 1;
  lin.exclusionList = lists.exclusions;
  auto literal = std::make_unique<oracle::LiteralSearch>(lin);

  double best = 1e9, literalBest = 1e9;
  int sample = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    convert(searcher, mode, m);
    const auto t1 = Clock::now();
    state.SetIterationTime(seconds(t0, t1));
    best = std::min(best, seconds(t0, t1));
    for (int i = 0; i < literalSamplesPerRun; ++i) {
      const auto l0 = Clock::now();
      convertLiteral(*literal, mode, m, sample++);
      literalBest = std::min(literalBest, seconds(l0, Clock::now()));
    }
  }
  const bool bands = mode == Mode::Fli || mode == Mode::FliSuperFlicker;
  const double literalPicture = literalBest * (bands ? 4000 : 1000);
  state.counters["picture_s"] = best;
  state.counters["literal_s"] = literalPicture;
  state.counters["ratio"] = literalPicture / best;
}

void runPostPass(benchmark::State& state, bool full) {
  engine::FramePlanes pictures;
  for (int i = 0; i < kPixels; ++i) {
    for (int k = 0; k < 3; ++k) pictures.frames[k].store(i, static_cast<uint8_t>((i * 3 + k) & 15));
  }
  for (auto _ : state) {
    if (full) {
      engine::superFlickerPostPass(pictures);
    } else {
      engine::horizontalFrameRotation(pictures);
    }
    benchmark::ClobberMemory();
  }
}

std::vector<std::unique_ptr<Picture>> loadPictures() {
  std::vector<std::unique_ptr<Picture>> pictures;
  for (const char* file :
       {"fruits.jpg", "baboon.jpg", "butterfly.jpg", "smarties.png", "HappyFish.jpg"}) {
    try {
      const SourcePicture src = loadPicture(std::string(PELTRIX_SHARED_DIR) + "/testdata/" + file);
      auto p = std::make_unique<Picture>();
      p->name = file;
      prepareSource(src, kDefaultDitherLevel, p->rgb.data(), p->luma.data());
      pictures.push_back(std::move(p));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "skipping %s: %s\n", file, e.what());
    }
  }
  auto noise = std::make_unique<Picture>();  // prunes worst: no structure to exploit
  noise->name = "noise";
  std::mt19937 rng(7);
  for (int i = 0; i < kPixels; ++i) {
    noise->rgb[i] = rng() & 0xFFFFFF;
    noise->luma[i] = lumaOfRgb(noise->rgb[i]);
  }
  pictures.push_back(std::move(noise));
  return pictures;
}

}  // namespace
}  // namespace peltrix

int main(int argc, char** argv) {
  using namespace peltrix;
  static const auto pictures = loadPictures();
  const struct {
    Mode mode;
    const char* name;
    int iterations;
    int literalSamples;
  } modes[] = {{Mode::Standard, "standard", 3, 1},
               {Mode::Fli, "fli", 3, 2},
               {Mode::SuperFlicker, "superflicker", 10, 20},
               {Mode::FliSuperFlicker, "fli_superflicker", 10, 40}};
  for (const auto& mode : modes) {
    for (Metric m : {Metric::Colour, Metric::Luma}) {
      for (int pairs : {121, 75}) {
        for (const auto& pic : pictures) {
          const std::string name = std::string(mode.name) + "/" +
                                   (m == Metric::Colour ? "colour" : "luma") + "/" +
                                   std::to_string(pairs) + "/" + pic->name;
          benchmark::RegisterBenchmark(name.c_str(), runMode, pic.get(), mode.mode, m, pairs,
                                       mode.literalSamples)
              ->Iterations(mode.iterations)
              ->UseManualTime()
              ->Unit(benchmark::kMillisecond);
        }
      }
    }
  }
  benchmark::RegisterBenchmark("postpass/superflicker", runPostPass, true)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("postpass/horizontal", runPostPass, false)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
