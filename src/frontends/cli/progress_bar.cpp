#include "frontends/cli/progress_bar.hpp"

#include <algorithm>
#include <utility>

namespace peltrix::cli {

namespace {

constexpr int kRows = 25;
constexpr int kBarWidth = 25;

std::string minutesSeconds(double seconds) {
  const long s = std::max(0L, static_cast<long>(seconds + 0.5));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

}  // namespace

std::string progressLine(int rowsDone, double elapsedSeconds) {
  rowsDone = std::clamp(rowsDone, 0, kRows);
  std::string bar(kBarWidth, '.');
  std::fill(bar.begin(), bar.begin() + rowsDone * kBarWidth / kRows, '#');
  std::string left = "--:--";
  if (rowsDone == kRows) {
    left = "0:00";
  } else if (rowsDone > 0) {
    left = minutesSeconds(elapsedSeconds * (kRows - rowsDone) / rowsDone);
  }
  char text[128];
  std::snprintf(text, sizeof text, "[%s] %2d/%d rows  %s elapsed  ~%s left", bar.c_str(), rowsDone,
                kRows, minutesSeconds(elapsedSeconds).c_str(), left.c_str());
  return text;
}

ProgressBar::ProgressBar(std::FILE* out, std::string label)
    : out_(out), label_(std::move(label)), start_(std::chrono::steady_clock::now()) {}

void ProgressBar::update(int rowsDone) {
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
  const std::string line = label_ + progressLine(rowsDone, elapsed.count());
  if (line == last_) return;
  std::fprintf(out_, "\r%s", line.c_str());
  std::fflush(out_);
  last_ = line;
}

void ProgressBar::finish() {
  if (last_.empty()) return;
  std::fputc('\n', out_);
  std::fflush(out_);
}

void ProgressBar::erase() {
  if (last_.empty()) return;
  std::fprintf(out_, "\r%s\r", std::string(last_.size(), ' ').c_str());
  std::fflush(out_);
  last_.clear();
}

}  // namespace peltrix::cli
