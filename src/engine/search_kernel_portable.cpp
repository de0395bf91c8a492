// The search kernels for any CPU: the same source as the AVX2 build, with plain loops for
// the horizontal sums. Also the reference the AVX2 build is tested against.
#include <algorithm>
#include <cstdint>
#include <tuple>
#include <type_traits>

#include "engine/search_kernel.hpp"

// 32-byte vectors are passed between the kernel's own inlined helpers only.
#pragma GCC diagnostic ignored "-Wpsabi"

#define PELTRIX_KERNEL_AVX2 0
namespace peltrix::engine::portable {
#include "engine/search_kernel.inl"
}  // namespace peltrix::engine::portable
