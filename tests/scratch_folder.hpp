// A fresh private folder under the temporary directory, named by mkdtemp: process ids do
// not tell test processes apart everywhere (every WebAssembly process has the same one).
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace peltrix::testing {

inline std::filesystem::path makeScratchFolder(const std::string& prefix) {
  std::string name = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (::mkdtemp(name.data()) == nullptr) {
    throw std::runtime_error("cannot make a scratch folder " + name);
  }
  return name;
}

}  // namespace peltrix::testing
