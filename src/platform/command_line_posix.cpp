// POSIX systems hand the arguments over as bytes, which are UTF-8 in every UTF-8 locale.
#include "platform/command_line.hpp"

namespace peltrix {

CommandLine::CommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) arguments_.emplace_back(argv[i]);
}

CommandLine::~CommandLine() = default;

}  // namespace peltrix
