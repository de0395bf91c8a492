// What peltrix-convert says on stderr: errors (always) and warnings (unless -q), one line
// each, after the program's name.
#pragma once

#include <string>

namespace peltrix::cli {

void printError(const std::string& message);
void printWarning(const std::string& message);

}  // namespace peltrix::cli
