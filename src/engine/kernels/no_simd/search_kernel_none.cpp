// No SIMD kernels: the build for a processor that has none of ours (neither x86-64 nor
// WebAssembly). available() is false, so every Searcher runs the portable kernels; the
// entry points exist only for the linker and run the portable kernels too.
#include "engine/kernels/search_kernel.hpp"

namespace peltrix::engine::simd {

const char* name() {
  return "no SIMD";
}
bool available() {
  return false;
}
Winner searchTriples(const JobTables& t, const CellPixels& px, Distance d, Workspace& w) {
  return portable::searchTriples(t, px, d, w);
}
Winner searchSingles(const JobTables& t, const CellPixels& px, Distance d, Workspace& w) {
  return portable::searchSingles(t, px, d, w);
}

}  // namespace peltrix::engine::simd
