// The search kernels compiled for AVX2, chosen at run time when the CPU has it. Only this
// file's own code is built for AVX2 (the target pragma comes after every include), so no
// AVX2 instruction leaks into code shared with other files.
#include <algorithm>
#include <cstdint>
#include <tuple>
#include <type_traits>

#include "engine/search_kernel.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx2")
#define PELTRIX_KERNEL_AVX2 1
namespace peltrix::engine::avx2 {
#include "engine/search_kernel.inl"
}  // namespace peltrix::engine::avx2
#pragma GCC pop_options

namespace peltrix::engine::avx2 {
bool available() {
  return __builtin_cpu_supports("avx2");
}
}  // namespace peltrix::engine::avx2

#else

namespace peltrix::engine::avx2 {
bool available() {
  return false;
}
Winner searchTriples(const JobTables& t, const CellPixels& px, Distance d, Workspace& w) {
  return portable::searchTriples(t, px, d, w);
}
Winner searchSingles(const JobTables& t, const CellPixels& px, Distance d, Workspace& w) {
  return portable::searchSingles(t, px, d, w);
}
}  // namespace peltrix::engine::avx2

#endif
