// A one-line progress bar on a terminal: rows done, time elapsed and an estimate of the
// time left, redrawn in place. Each drawing covers all that the one before it left, and no
// line reaches the terminal's last column, so none ever wraps onto a second line.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace peltrix::cli {

class ProgressBar {
 public:
  // `counter` and `name` go in front of the bar (a batch's "[2/9] " and the picture's name).
  // `columns` tells the terminal's width at the moment (0: unknown); by default the terminal
  // behind `out` is asked, at every drawing, so that a resized window is followed.
  explicit ProgressBar(std::FILE* out, std::string counter = {}, std::string name = {},
                       std::function<int()> columns = {});
  // rowsDone 0..25 (25 while a super flicker job runs its post-pass).
  void update(int rowsDone);
  void finish();  // ends the line
  void erase();   // blanks the widest line drawn, so that another can take its place

 private:
  int columns() const;

  std::FILE* out_;
  std::string counter_, name_;
  std::function<int()> columns_;
  std::chrono::steady_clock::time_point start_;
  std::string last_;
  int lastCells_ = 0;    // what the line on screen takes, padding included
  int widestCells_ = 0;  // the most any drawing took
};

// The bar's text for a moment of the job; split out so that it can be checked on its own.
std::string progressLine(int rowsDone, double elapsedSeconds);

// The terminal cells UTF-8 `text` takes: two for an East Asian wide character, one for any
// other character and for each byte that is not UTF-8 (a terminal shows a mark for it).
int terminalCells(std::string_view text);

// `counter`, then `name` and a space (when there is a name), then `bar`, in fewer cells than
// `columns` (0: no limit): a line in the last column wraps on some terminals. The name gives
// up its middle to "…" first; what still does not fit is cut off at the end.
std::string fittedLine(const std::string& counter, const std::string& name, const std::string& bar,
                       int columns);

}  // namespace peltrix::cli
