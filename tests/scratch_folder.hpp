// A fresh private folder under the temporary directory with a random name: process ids do
// not tell test processes apart everywhere (every WebAssembly process has the same one), and
// mkdtemp is not everywhere either (Windows).
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace peltrix::testing {

inline std::filesystem::path makeScratchFolder(const std::string& prefix) {
  std::random_device entropy;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        (prefix + "-" + std::to_string(entropy()) + "-" + std::to_string(attempt));
    // create_directory is false when the folder exists already: someone else's, try again.
    if (std::filesystem::create_directory(folder)) return folder;
  }
  throw std::runtime_error("cannot make a scratch folder for " + prefix);
}

}  // namespace peltrix::testing
