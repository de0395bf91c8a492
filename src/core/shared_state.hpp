// All state the converter shares between its commands, its window and its worker threads,
// in one place. One SharedState is created at start-up and lives until the process ends;
// nothing in it is reallocated afterwards: pictures, jobs and saves overwrite it in place.
#pragma once

#include <array>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <vector>

#include "colour/geometry.hpp"
#include "colour/palettes.hpp"
#include "colour/picture.hpp"
#include "colour/source_prep.hpp"
#include "colour/tables.hpp"
#include "core/job_wake_up.hpp"
#include "core/worker.hpp"
#include "engine/search.hpp"
#include "output/c64data.hpp"
#include "output/preview_arrays.hpp"

namespace peltrix {

constexpr int kOutputBufferSize = 40961;

// Flags and counters through which the GUI thread and the workers talk. Each has a single
// writer at a time; the done flags are stored with release and loaded with acquire, so a
// worker's result arrays are complete once the GUI has seen its done flag.
struct JobFlags {
  std::atomic<bool> busy{false};  // from "Process" until the completion step
  std::atomic<int> workerCount{0};
  std::array<WorkerSignals, 2> workers;  // worker A (even columns), worker B (odd columns)
  JobWakeUp wakeUp;                      // rings when a worker's row advances and when it is done
};

// Which pair list "Process" copied: all 121 pairs ("Brute Force") or the first 75.
enum class PairListMode { Full, Reduced };

// What one worker owns: its search engine (with its scratch) and its cell buffer set.
struct WorkerScratch {
  engine::Searcher searcher;
  engine::CellBuffers cell;
};

// Set by the command line's SIGINT and SIGTERM handler and read while it waits for a job:
// the one value a signal handler may write, which is why it cannot live in SharedState.
inline volatile std::sig_atomic_t interruptRequested = 0;

struct SharedState {
  // The picture "Open Bitmap" loaded (black 320 x 200 before any), and the arrays that
  // source preparation makes of it; the searches read only the arrays.
  SourcePicture sourceImage;
  std::vector<uint32_t> sourceRgb = std::vector<uint32_t>(kPixels, 0);
  std::vector<uint16_t> sourceLuma = std::vector<uint16_t>(kPixels, 16);
  int ditherLevel = kDefaultDitherLevel;
  Tone tone;                         // brightness, contrast, saturation, gamma, before the dither
  bool preparationDeferred = false;  // a dither change arrived while a job ran

  // Working tables, filled by "Process" and read-only while a job runs.
  std::array<uint8_t, kFullPairCount> pairList{};
  std::array<uint8_t, kExclusionCount> exclusionList{};
  PairListMode pairListMode = PairListMode::Full;
  // The colours the next job aims at; "Process" copies them into jobPalette, which the
  // workers and the completion step read, so a change during a job waits for the next.
  Palette palette = kPalette;
  Palette jobPalette = kPalette;

  // "Luma only mode", kept current by the window and read by the workers before every cell.
  std::atomic<bool> lumaOnly{false};

  JobFlags job;
  // The layout of the running (or last) job's frames, captured by "Process": the completion
  // step assembles in this form whatever "Per 2 line FLI" says by then.
  DataForm jobForm = DataForm::NonFli;
  std::array<WorkerScratch, 2> workers;  // worker A, worker B

  // Blend picture and frame pictures (RGB), written by the workers.
  PreviewArrays preview;

  // The last finished job's C64 data and the layout it was assembled in.
  std::array<uint8_t, kOutputBufferSize> outputBuffer{};
  DataForm outputForm = DataForm::NonFli;
  Palette outputPalette = kPalette;  // the palette it was made with
  bool resultReady = false;          // "Save Raw" and "Save Prg" need it
};

}  // namespace peltrix
