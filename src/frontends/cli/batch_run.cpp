#include "frontends/cli/batch_run.hpp"

#include <chrono>
#include <cstdio>

#include "frontends/cli/console.hpp"
#include "frontends/cli/picture_run.hpp"

namespace peltrix::cli {

namespace {

std::string secondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

std::string counter(int index, int count) {
  char text[32];
  std::snprintf(text, sizeof text, "[%d/%d] ", index, count);
  return text;
}

}  // namespace

std::string pictureLine(int index, int count, const std::string& input, bool ok,
                        const std::string& error, double seconds) {
  if (ok) return counter(index, count) + input + ": " + secondsText(seconds);
  return counter(index, count) + input + ": failed: " + error;
}

std::string summaryLine(const BatchResult& result, int count) {
  std::string line = std::to_string(result.converted) + " of " + std::to_string(count) +
                     (count == 1 ? " picture" : " pictures") + " converted in " +
                     secondsText(result.seconds);
  if (result.failed > 0) line += ", " + std::to_string(result.failed) + " failed";
  if (result.interrupted) line += ", interrupted";
  return line;
}

BatchResult runBatch(SharedState& state, const std::vector<PlannedPicture>& pictures,
                     const Request& r, bool onTerminal) {
  const auto start = std::chrono::steady_clock::now();
  const bool lines = onTerminal && !r.quiet;
  const int count = static_cast<int>(pictures.size());
  BatchResult result;
  for (int i = 0; i < count; ++i) {
    const PlannedPicture& picture = pictures[i];
    PictureReporting reporting;
    reporting.progressBar = lines;
    reporting.warnings = !r.quiet;
    reporting.barCounter = counter(i + 1, count);
    reporting.barName = picture.input;
    reporting.barKeepsItsLine = false;
    const PictureResult p = convertPicture(state, picture, r, reporting);
    if (p.status == PictureResult::Status::Interrupted) {
      printError("interrupted; nothing written for " + picture.input);
      result.interrupted = true;
      break;
    }
    const bool ok = p.status == PictureResult::Status::Converted;
    (ok ? result.converted : result.failed) += 1;
    if (lines) {
      std::fprintf(stderr, "%s\n",
                   pictureLine(i + 1, count, picture.input, ok, p.error, p.seconds).c_str());
    } else if (!ok) {
      printError(p.error);
    }
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (lines) std::fprintf(stderr, "%s\n", summaryLine(result, count).c_str());
  return result;
}

}  // namespace peltrix::cli
