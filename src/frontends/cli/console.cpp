#include "frontends/cli/console.hpp"

#include <cstdio>

namespace peltrix::cli {

void printError(const std::string& message) {
  std::fprintf(stderr, "peltrix-convert: %s\n", message.c_str());
}

void printWarning(const std::string& message) {
  std::fprintf(stderr, "peltrix-convert: warning: %s\n", message.c_str());
}

}  // namespace peltrix::cli
