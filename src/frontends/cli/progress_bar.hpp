// A one-line progress bar on a terminal: rows done, time elapsed and an estimate of the
// time left, redrawn in place.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace peltrix::cli {

class ProgressBar {
 public:
  // `label` goes in front of the bar (a batch names the picture there).
  explicit ProgressBar(std::FILE* out, std::string label = {});
  // rowsDone 0..25 (25 while a super flicker job runs its post-pass).
  void update(int rowsDone);
  void finish();  // ends the line
  void erase();   // blanks the line, so that another can take its place

 private:
  std::FILE* out_;
  std::string label_;
  std::chrono::steady_clock::time_point start_;
  std::string last_;
};

// The bar's text for a moment of the job; split out so that it can be checked on its own.
std::string progressLine(int rowsDone, double elapsedSeconds);

}  // namespace peltrix::cli
