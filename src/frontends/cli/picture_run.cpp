#include "frontends/cli/picture_run.hpp"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/commands.hpp"
#include "core/job.hpp"
#include "core/result_views.hpp"
#include "frontends/cli/console.hpp"
#include "frontends/cli/progress_bar.hpp"
#include "frontends/cli/warnings.hpp"
#include "output/c64_display.hpp"
#include "output/flicker_picture.hpp"
#include "output/quality.hpp"
#include "output/writers.hpp"
#include "platform/files.hpp"

namespace peltrix::cli {

namespace {

using Clock = std::chrono::steady_clock;
using Content = std::function<std::vector<uint8_t>(const SharedState&)>;

// One file to write: opened (as a temporary beside the target) before the conversion, so
// an unwritable output is reported at once instead of after a long conversion.
struct PendingFile {
  AtomicFile file;
  Content content;
};

std::vector<uint8_t> asVector(std::span<const uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

// The viewer a program file carries for the finished result, by the settings it was made with.
Viewer viewerFor(const ConversionResult& result) {
  return chooseViewer(result.form() == DataForm::Fli, result.settings.viewerOptions());
}

Content contentFor(const PlannedFile& f) {
  switch (f.kind) {
    case OutputKind::Raw:
      return [](const SharedState& s) {
        return asVector(rawFileBytes(s.result.c64Data, s.result.form()));
      };
    case OutputKind::Program:
      return [](const SharedState& s) {
        return programFileBytes(s.result.c64Data, s.result.form(), viewerFor(s.result));
      };
    case OutputKind::Png:
      break;
  }
  if (f.flickerMap) {
    return [](const SharedState& s) {
      return pngFileBytes(flickerPicture(flickerMap(s.planes, s.result.settings.palette)));
    };
  }
  if (f.eye) {
    return [](const SharedState& s) {
      return pngFileBytes(eyePicture(s.planes, s.result.settings.palette));
    };
  }
  if (f.frame == 0) {
    return [](const SharedState& s) {
      const JobSettings& made = s.result.settings;
      return pngFileBytes(blendPicture(s.planes, made.palette, exclusionListOf(made), made.match));
    };
  }
  const int frame = f.frame - 1;
  if (f.asC64Shows) {
    return [frame](const SharedState& s) {
      const auto shown = c64DisplayedFrames(s.result.c64Data, s.result.form(), viewerFor(s.result));
      return pngFileBytes(palettePicture(shown[frame], s.result.settings.palette));
    };
  }
  return [frame](const SharedState& s) {
    return pngFileBytes(framePicture(s.planes, frame, s.result.settings.palette));
  };
}

// Runs the job to its end, drawing the progress bar; an interrupt stops it early. Returns
// false when it could not start (the reason in `error`).
bool runJob(SharedState& state, const Request& r, const PictureReporting& reporting,
            std::string& error) {
  if (startJob(state, r.job, &error) != StartResult::Started) return false;
  std::optional<ProgressBar> bar;
  if (reporting.progressBar) bar.emplace(stderr, reporting.barCounter, reporting.barName);
  // Woken by every row and by the done flags; the timeout keeps the bar's clock and an
  // interrupt (whose handler cannot wake the wait) seen within a quarter of a second.
  for (;;) {
    if (interruptRequested) requestStop(state);
    const int seen = rowsDone(state);
    if (bar) bar->update(seen);
    if (waitForJob(state, seen, std::chrono::milliseconds(250))) break;
  }
  if (bar) {
    bar->update(25);
    if (reporting.barKeepsItsLine) {
      bar->finish();
    } else {
      bar->erase();
    }
  }
  completeJob(state);
  return true;
}

// A path as a JSON string: quotes, backslashes and control characters escaped.
std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + '"';
}

// --report: how close what the eye sees comes to the toned source, and how much it flickers.
void printReport(const std::string& input, const SharedState& state, Request::Report form) {
  const QualityReport q = resultQuality(state);
  if (form == Request::Report::Json) {
    std::printf(
        "{\"input\": %s, \"errorMean\": %.4f, \"errorP95\": %.4f, \"flickerMean\": %.5f, "
        "\"flickerShareAbove002\": %.4f}\n",
        jsonString(input).c_str(), q.errorMean, q.errorP95, q.flickerMean, q.flickerShareAbove002);
  } else {
    std::printf("%s: error %s\n", input.c_str(), qualityFigures(q).c_str());
  }
  std::fflush(stdout);
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

PictureResult convertPicture(SharedState& state, const PlannedPicture& picture, const Request& r,
                             const PictureReporting& reporting) {
  const Clock::time_point start = Clock::now();
  PictureResult result;
  auto fail = [&](std::string error) {
    result.status = PictureResult::Status::Failed;
    result.error = std::move(error);
    result.seconds = secondsSince(start);
    return result;
  };

  const CommandResult opened = openPicture(state, picture.input, r.job.framingToLoad());
  if (!opened.ok()) return fail(opened.message);
  if (reporting.warnings) {
    for (const std::string& w : pictureWarnings(picture.input, state.sourceImage, r)) {
      printWarning(w);
    }
  }

  std::vector<std::unique_ptr<PendingFile>> files;
  try {
    for (const PlannedFile& f : picture.files) {
      files.push_back(
          std::unique_ptr<PendingFile>(new PendingFile{AtomicFile(f.path), contentFor(f)}));
    }
  } catch (const FileWriteError& e) {
    return fail(e.what());  // the temporaries made so far are removed on the way out
  }

  std::string error;
  if (!runJob(state, r, reporting, error)) return fail(error);
  if (interruptRequested) {
    result.status = PictureResult::Status::Interrupted;
    result.seconds = secondsSince(start);
    return result;
  }

  // Everything is written before anything replaces a target: a failure leaves no output.
  try {
    for (auto& p : files) {
      p->file.write(p->content(state));
      p->file.finish();
    }
    for (auto& p : files) {
      if (r.force) {
        p->file.commit();
      } else {
        p->file.commitNew();
      }
    }
  } catch (const FileWriteError& e) {
    return fail(e.what());
  }
  if (r.report != Request::Report::None) printReport(picture.input, state, r.report);
  result.seconds = secondsSince(start);
  return result;
}

}  // namespace peltrix::cli
