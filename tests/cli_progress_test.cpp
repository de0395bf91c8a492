// The progress line on a terminal: how long a line takes on screen, how a line too long for
// the terminal is shortened, and what the redrawn bar leaves on a line (nothing but itself).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frontends/cli/progress_bar.hpp"

namespace peltrix::cli {
namespace {

const std::string kEllipsis = "\u2026";

TEST(CliProgress, CellsCountCharactersNotBytesAndWideOnesTwice) {
  EXPECT_EQ(terminalCells("cat.jpg"), 7);
  EXPECT_EQ(terminalCells("caf\u00e9.jpg"), 8);     // é: two bytes, one cell
  EXPECT_EQ(terminalCells("\u5199\u771f.png"), 8);  // 写真: three bytes and two cells each
  EXPECT_EQ(terminalCells(kEllipsis), 1);
  EXPECT_EQ(terminalCells("a\xff\xc3"), 3);  // bytes that are no UTF-8: a cell each
}

TEST(CliProgress, ALineThatFitsStaysAsItIs) {
  const std::string bar = progressLine(12, 3);
  const std::string line = "[2/9] cat.jpg " + bar;
  EXPECT_EQ(fittedLine("[2/9] ", "cat.jpg", bar, 0), line);
  EXPECT_EQ(fittedLine("[2/9] ", "cat.jpg", bar, terminalCells(line) + 1), line);
  EXPECT_EQ(fittedLine("", "", bar, 120), bar);  // one picture: the bar alone
}

TEST(CliProgress, ALineTooLongLosesTheMiddleOfTheNameAndNeverTheLastColumn) {
  const std::string bar = progressLine(0, 0);
  // Eight cells for the name, one column kept free.
  const int columns = terminalCells("[2/9] ") + 8 + 1 + terminalCells(bar) + 1;
  EXPECT_EQ(fittedLine("[2/9] ", "building-52mp.jpg", bar, columns),
            "[2/9] buil" + kEllipsis + "jpg " + bar);
  EXPECT_EQ(fittedLine("[2/9] ", "building-52mp.jpg", bar,
                       terminalCells("[2/9] building-52mp.jpg ") + terminalCells(bar)),
            "[2/9] building" + kEllipsis + "2mp.jpg " + bar);
  // Wide characters count twice and are never split: 3 cells of the start hold only 写.
  const std::string cut =
      fittedLine("", "\u5199\u5199\u771f\u771f.png", bar, 7 + 1 + terminalCells(bar) + 1);
  EXPECT_EQ(cut, "\u5199" + kEllipsis + "png " + bar);
}

TEST(CliProgress, ATerminalNarrowerThanTheBarCutsTheLineAtItsEnd) {
  const std::string bar = progressLine(5, 1);
  const std::string line = fittedLine("[2/9] ", "building-52mp.jpg", bar, 40);
  EXPECT_EQ(terminalCells(line), 39);
  EXPECT_EQ(line, ("[2/9] " + kEllipsis + " " + bar).substr(0, 39 + kEllipsis.size() - 1));
}

// One terminal line after `output`: "\r" returns to the first column, every other character
// takes a cell. `furthest` is the most cells any moment had written.
struct Line {
  std::vector<std::string> cells;
  std::size_t furthest = 0;
  std::string text() const {
    std::string out;
    for (const std::string& c : cells) out += c;
    return out.substr(0, out.find_last_not_of(' ') + 1);
  }
};

Line shown(const std::string& output) {
  Line line;
  std::size_t column = 0;
  for (std::size_t i = 0; i < output.size();) {
    std::size_t n = 1;
    while (i + n < output.size() && (static_cast<unsigned char>(output[i + n]) >> 6) == 2) ++n;
    const std::string c = output.substr(i, n);
    i += n;
    if (c == "\r") {
      column = 0;
      continue;
    }
    if (line.cells.size() <= column) line.cells.resize(column + 1, " ");
    line.cells[column++] = c;
    line.furthest = std::max(line.furthest, column);
  }
  return line;
}

// Everything written to `file` so far.
std::string written(std::FILE* file) {
  std::fflush(file);
  std::string out;
  std::rewind(file);
  for (int c; (c = std::fgetc(file)) != EOF;) out += static_cast<char>(c);
  return out;
}

TEST(CliProgress, EachDrawingCoversThePreviousAndErasingLeavesABlankLine) {
  for (int columns : {200, 60}) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ProgressBar bar(file, "[1/9] ", "building-52mp.jpg", [=] { return columns; });
    bar.update(0);  // "~--:-- left", wider than the "~0:00 left" that follows
    bar.update(25);
    // The line shows the last drawing alone, with nothing of the wider one before it.
    const std::string output = written(file);
    const std::string last = output.substr(output.rfind('\r') + 1);
    const Line done = shown(output);
    EXPECT_EQ(done.text(), last.substr(0, last.find_last_not_of(' ') + 1)) << columns;
    EXPECT_NE(done.text().find("25/25 rows"), std::string::npos) << columns;
    EXPECT_LT(done.furthest, static_cast<std::size_t>(columns));
    bar.erase();
    const Line erased = shown(written(file));
    EXPECT_EQ(erased.text(), "") << columns;
    EXPECT_LT(erased.furthest, static_cast<std::size_t>(columns));
    std::fclose(file);
  }
}

}  // namespace
}  // namespace peltrix::cli
