// A one-line progress bar on a terminal: rows done, time elapsed and an estimate of the
// time left, redrawn in place.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace peltrix::cli {

class ProgressBar {
 public:
  explicit ProgressBar(std::FILE* out);
  // rowsDone 0..25 (25 while a super flicker job runs its post-pass).
  void update(int rowsDone);
  void finish();  // ends the line

 private:
  std::FILE* out_;
  std::chrono::steady_clock::time_point start_;
  std::string last_;
};

// The bar's text for a moment of the job; split out so that it can be checked on its own.
std::string progressLine(int rowsDone, double elapsedSeconds);

}  // namespace peltrix::cli
