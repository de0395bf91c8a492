// All state the converter shares between its commands, its window and its worker threads,
// in one place. One SharedState is created at start-up and lives until the process ends;
// pictures, jobs and saves overwrite it in place (only a result's C64 data is made anew).
#pragma once

#include <array>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <vector>

#include "colour/geometry.hpp"
#include "colour/picture.hpp"
#include "core/job_settings.hpp"
#include "core/job_wake_up.hpp"
#include "core/worker.hpp"
#include "engine/error_diffusion.hpp"
#include "engine/frame_planes.hpp"
#include "engine/search.hpp"
#include "output/c64data.hpp"

namespace peltrix {

// Flags and counters through which the GUI thread and the workers talk. Each has a single
// writer at a time; the done flags are stored with release and loaded with acquire, so a
// worker's planes are complete once the GUI has seen its done flag.
struct JobFlags {
  std::atomic<bool> busy{false};  // from "Process" until the completion step
  std::atomic<int> workerCount{0};
  std::array<WorkerSignals, 2> workers;  // worker A (even columns), worker B (odd columns)
  JobWakeUp wakeUp;                      // rings when a worker's row advances and when it is done
};

// What one worker owns: its search engine (with its scratch) and its cell buffer set.
struct WorkerScratch {
  engine::Searcher searcher;
  engine::CellBuffers cell;
};

// A finished conversion: its C64 data, assembled from the planes by the completion step, and
// the settings it was made with (its palette for its pictures, its mode for its viewer).
struct ConversionResult {
  std::vector<uint8_t> c64Data;
  JobSettings settings;
  DataForm form() const { return settings.fli ? DataForm::Fli : DataForm::NonFli; }
};

// Set by the command line's SIGINT and SIGTERM handler and read while it waits for a job:
// the one value a signal handler may write, which is why it cannot live in SharedState.
inline volatile std::sig_atomic_t interruptRequested = 0;

struct SharedState {
  // The picture "Open Bitmap" loaded (black 320 x 200 before any).
  SourcePicture sourceImage;
  // What the user chose so far for the next conversion: the palette and tone of the menus,
  // the dither level; a face fills in the options it reads when the job starts.
  JobSettings chosen;

  // The running (or last) job's copy of its settings, and the source arrays it prepared from
  // the source image with them: the searches read only these while it runs.
  JobSettings jobSettings;
  std::vector<uint32_t> sourceRgb = std::vector<uint32_t>(kPixels, 0);
  std::vector<uint16_t> sourceLuma = std::vector<uint16_t>(kPixels, 16);

  // "Luma only mode", kept current by the window and read by the workers before every cell.
  std::atomic<bool> lumaOnly{false};

  JobFlags job;
  std::array<WorkerScratch, 2> workers;  // worker A, worker B

  // What the workers write: the colour indices of the three frames, cell by cell, and the
  // pairs each cell (or band) chose. The pictures are made from them with jobSettings' palette.
  engine::FramePlanes planes;
  engine::RegionChoices regions;

  // The last finished job; "Save Raw" and "Save Prg" need it.
  ConversionResult result;
  bool resultReady = false;
};

}  // namespace peltrix
