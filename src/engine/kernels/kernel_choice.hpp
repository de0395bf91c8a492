// Which search kernels a Searcher runs, decided in this one place: the KernelChoice it was
// made with, the environment variable PELTRIX_KERNEL and the CPU.
#pragma once

#include "engine/search.hpp"

namespace peltrix::engine {

// `choice` once PELTRIX_KERNEL holds `variable` (null when unset): "portable" forces the
// portable kernels, so that a bug report or a test can tell the kernels apart; unset, empty,
// "auto" and any other value keep `choice`. A pure function of its arguments.
KernelChoice kernelAskedFor(KernelChoice choice, const char* variable);

// True when a Searcher made with `choice` runs the build's SIMD kernels: Fastest is asked
// for, PELTRIX_KERNEL does not force the portable ones, and the CPU has the instructions.
bool runsSimdKernels(KernelChoice choice);

}  // namespace peltrix::engine
