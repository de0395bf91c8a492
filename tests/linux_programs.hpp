// Some tests ask a Linux program (ImageMagick's convert) for a second opinion. A Windows build
// of the tests, run under wine, cannot start it.
#pragma once

#include <string>

namespace peltrix::fixtures {

// Why the Linux program at `path` cannot be run from these tests; empty when it can.
std::string whyNoLinuxProgram(const std::string& path);

}  // namespace peltrix::fixtures
