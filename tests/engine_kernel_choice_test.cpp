// PELTRIX_KERNEL's say in which search kernels run: only "portable" changes anything.
#include <gtest/gtest.h>

#include "engine/kernels/kernel_choice.hpp"

namespace peltrix::engine {
namespace {

TEST(KernelChoiceVariable, PortableForcesThePortableKernelsAndNothingElseMatters) {
  EXPECT_EQ(kernelAskedFor(KernelChoice::Fastest, "portable"), KernelChoice::Portable);
  for (const char* ignored : {static_cast<const char*>(nullptr), "", "auto", "avx2"}) {
    EXPECT_EQ(kernelAskedFor(KernelChoice::Fastest, ignored), KernelChoice::Fastest)
        << (ignored ? ignored : "unset");
  }
  // It never turns the SIMD kernels on where the portable ones were asked for.
  EXPECT_EQ(kernelAskedFor(KernelChoice::Portable, "auto"), KernelChoice::Portable);
}

}  // namespace
}  // namespace peltrix::engine
