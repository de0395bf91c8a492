#include <unistd.h>

#include "linux_programs.hpp"

namespace peltrix::fixtures {

std::string whyNoLinuxProgram(const std::string& path) {
  return ::access(path.c_str(), X_OK) == 0 ? "" : path + " is not installed";
}

}  // namespace peltrix::fixtures
