#include "linux_programs.hpp"

namespace peltrix::fixtures {

std::string whyNoLinuxProgram(const std::string& path) {
  return "a Windows program cannot start the Linux program " + path +
         " (the Linux build of these tests runs this check)";
}

}  // namespace peltrix::fixtures
