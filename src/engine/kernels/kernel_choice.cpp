// The run-time choice of the search kernels (see kernel_choice.hpp).
#include "engine/kernels/kernel_choice.hpp"

#include <cstdlib>
#include <string_view>

#include "engine/kernels/search_kernel.hpp"

namespace peltrix::engine {

KernelChoice kernelAskedFor(KernelChoice choice, const char* variable) {
  if (variable != nullptr && std::string_view(variable) == "portable") {
    return KernelChoice::Portable;
  }
  return choice;
}

bool runsSimdKernels(KernelChoice choice) {
  return kernelAskedFor(choice, std::getenv("PELTRIX_KERNEL")) == KernelChoice::Fastest &&
         simd::available();
}

}  // namespace peltrix::engine
