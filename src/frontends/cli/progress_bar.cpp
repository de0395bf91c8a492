#include "frontends/cli/progress_bar.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/files.hpp"

namespace peltrix::cli {

namespace {

constexpr int kRows = 25;
constexpr int kBarWidth = 25;
constexpr std::string_view kEllipsis = "\u2026";

std::string minutesSeconds(double seconds) {
  const long s = std::max(0L, static_cast<long>(seconds + 0.5));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

// The characters terminals show two cells wide (East Asian Wide and Fullwidth, emoji).
bool wide(uint32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
         (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
         (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// One character of a UTF-8 text as the terminal shows it.
struct Glyph {
  std::size_t bytes;
  int cells;
};

Glyph glyphAt(std::string_view s, std::size_t i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  const std::size_t n = lead < 0x80           ? 1
                        : (lead >> 5) == 0x6  ? 2
                        : (lead >> 4) == 0xE  ? 3
                        : (lead >> 3) == 0x1E ? 4
                                              : 0;
  if (n == 0 || n > s.size() - i) return {1, 1};
  uint32_t c = n == 1 ? lead : lead & (0x7Fu >> n);
  for (std::size_t k = 1; k < n; ++k) {
    const auto next = static_cast<unsigned char>(s[i + k]);
    if ((next >> 6) != 2) return {1, 1};
    c = c << 6 | (next & 0x3Fu);
  }
  return {n, wide(c) ? 2 : 1};
}

std::vector<Glyph> glyphsOf(std::string_view s) {
  std::vector<Glyph> out;
  for (std::size_t i = 0; i < s.size(); i += out.back().bytes) out.push_back(glyphAt(s, i));
  return out;
}

// The longest start of `s` within `cells`.
std::string_view head(std::string_view s, int cells) {
  std::size_t bytes = 0;
  for (const Glyph& g : glyphsOf(s)) {
    if (g.cells > cells) break;
    cells -= g.cells;
    bytes += g.bytes;
  }
  return s.substr(0, bytes);
}

// The longest end of `s` within `cells`.
std::string_view tail(std::string_view s, int cells) {
  const std::vector<Glyph> glyphs = glyphsOf(s);
  std::size_t bytes = 0;
  for (auto g = glyphs.rbegin(); g != glyphs.rend() && g->cells <= cells; ++g) {
    cells -= g->cells;
    bytes += g->bytes;
  }
  return s.substr(s.size() - bytes);
}

// `name` within `cells` (at least one): its start and its end around "…".
std::string shortened(const std::string& name, int cells) {
  if (terminalCells(name) <= cells) return name;
  const int kept = cells - 1;
  return std::string(head(name, (kept + 1) / 2)) + std::string(kEllipsis) +
         std::string(tail(name, kept / 2));
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

int terminalCells(std::string_view text) {
  int cells = 0;
  for (const Glyph& g : glyphsOf(text)) cells += g.cells;
  return cells;
}

std::string fittedLine(const std::string& counter, const std::string& name, const std::string& bar,
                       int columns) {
  const std::string gap = name.empty() ? "" : " ";
  const std::string line = counter + name + gap + bar;
  const int room = columns - 1;
  if (columns <= 0 || terminalCells(line) <= room) return line;
  const int nameRoom = room - terminalCells(counter) - terminalCells(gap) - terminalCells(bar);
  const std::string cut = name.empty() ? "" : shortened(name, std::max(nameRoom, 1));
  return std::string(head(counter + cut + gap + bar, std::max(room, 0)));
}

ProgressBar::ProgressBar(std::FILE* out, std::string counter, std::string name,
                         std::function<int()> columns)
    : out_(out),
      counter_(std::move(counter)),
      name_(std::move(name)),
      columns_(std::move(columns)),
      start_(std::chrono::steady_clock::now()) {}

int ProgressBar::columns() const {
  return columns_ ? columns_() : terminalColumns(out_);
}

void ProgressBar::update(int rowsDone) {
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
  const int width = columns();
  const std::string line =
      fittedLine(counter_, name_, progressLine(rowsDone, elapsed.count()), width);
  if (line == last_) return;
  // Spaces over whatever the previous line drew past this one's end.
  const int cells = terminalCells(line);
  int pad = std::max(lastCells_ - cells, 0);
  if (width > 0) pad = std::min(pad, std::max(width - 1 - cells, 0));
  std::fprintf(out_, "\r%s%s", line.c_str(), std::string(pad, ' ').c_str());
  std::fflush(out_);
  last_ = line;
  lastCells_ = cells + pad;
  widestCells_ = std::max(widestCells_, lastCells_);
}

void ProgressBar::finish() {
  if (last_.empty()) return;
  std::fputc('\n', out_);
  std::fflush(out_);
}

void ProgressBar::erase() {
  if (last_.empty()) return;
  const int width = columns();
  const int blank = width > 0 ? std::min(widestCells_, width - 1) : widestCells_;
  std::fprintf(out_, "\r%s\r", std::string(std::max(blank, 0), ' ').c_str());
  std::fflush(out_);
  last_.clear();
  lastCells_ = widestCells_ = 0;
}

}  // namespace peltrix::cli
