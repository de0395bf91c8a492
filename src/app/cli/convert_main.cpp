// peltrix-convert: converts a picture file without the window, by running the very same
// job as the window's "Process" (start the job, wait for its done flags, complete it) and
// writing the result with the same writers.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/cli/cli_args.hpp"
#include "app/cli/progress_bar.hpp"
#include "app/commands.hpp"
#include "app/job.hpp"
#include "output/writers.hpp"
#include "platform/files.hpp"

namespace peltrix::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFileError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

volatile std::sig_atomic_t interrupted = 0;
extern "C" void onInterrupt(int) {
  interrupted = 1;
}

void printError(const std::string& message) {
  std::fprintf(stderr, "peltrix-convert: %s\n", message.c_str());
}

// One file to write: opened (as a temporary beside the target) before the conversion, so
// an unwritable output is reported at once instead of after a long conversion.
struct PendingFile {
  AtomicFile file;
  std::function<std::vector<uint8_t>(const SharedState&)> content;
};

using Content = std::function<std::vector<uint8_t>(const SharedState&)>;

std::unique_ptr<PendingFile> pending(const std::string& path, Content content) {
  return std::unique_ptr<PendingFile>(new PendingFile{AtomicFile(path), std::move(content)});
}

std::vector<uint8_t> asVector(std::span<const uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

Content contentFor(OutputKind kind, const Request& r) {
  switch (kind) {
    case OutputKind::Raw:
      return
          [](const SharedState& s) { return asVector(rawFileBytes(s.outputBuffer, s.outputForm)); };
    case OutputKind::Program:
      return [&r](const SharedState& s) {
        return programFileBytes(s.outputBuffer, s.outputForm, r.job.superFlicker, r.ntsc,
                                r.assLace);
      };
    case OutputKind::Png:
      break;
  }
  return [](const SharedState& s) { return pngFileBytes(s.preview.blend); };
}

// Runs the job to its end, drawing the progress bar; a Ctrl-C stops it early.
bool runJob(SharedState& state, const Request& r) {
  std::string error;
  if (startJob(state, r.job, &error) != StartResult::Started) {
    printError(error);
    return false;
  }
  std::optional<ProgressBar> bar;
  if (!r.quiet && isTerminal(stderr)) bar.emplace(stderr);
  // Woken by every row and by the done flags; the timeout keeps the bar's clock and a
  // Ctrl-C (which cannot wake the wait) seen within a quarter of a second.
  for (;;) {
    if (interrupted) requestStop(state);
    const int seen = progressValue(state);
    if (bar) bar->update(seen - 1);
    if (waitForJob(state, seen, std::chrono::milliseconds(250))) break;
  }
  if (bar) {
    bar->update(25);
    bar->finish();
  }
  completeJob(state);
  return interrupted == 0;
}

int convert(const Request& r) {
  // SharedState is large (the workers' scratch): it lives on the heap.
  auto state = std::make_unique<SharedState>();
  setDitherLevel(*state, r.ditherLevel);
  const CommandResult opened = openPicture(*state, r.input);
  if (!opened.ok()) {
    printError(opened.message);
    return kExitFileError;
  }

  std::vector<std::unique_ptr<PendingFile>> files;
  try {
    for (const Output& o : r.outputs) files.push_back(pending(o.path, contentFor(o.kind, r)));
    if (!r.framesPrefix.empty()) {
      files.push_back(pending(r.framesPrefix + "-blend.png",
                              [](const SharedState& s) { return pngFileBytes(s.preview.blend); }));
      for (int f = 0; f < 3; ++f) {
        files.push_back(
            pending(r.framesPrefix + "-frame" + std::to_string(f + 1) + ".png",
                    [f](const SharedState& s) { return pngFileBytes(s.preview.frames[f]); }));
      }
    }
  } catch (const FileWriteError& e) {
    printError(e.what());
    return kExitFileError;  // the temporaries made so far are removed on the way out
  }

  state->lumaOnly.store(r.lumaOnly ? 1 : 0);
  if (!runJob(*state, r)) {
    if (interrupted) printError("interrupted; nothing written");
    return interrupted ? kExitInterrupted : kExitFileError;
  }

  // Everything is written before anything replaces a target: a failure leaves no output.
  try {
    for (auto& p : files) {
      p->file.write(p->content(*state));
      p->file.finish();
    }
    for (auto& p : files) p->file.commit();
  } catch (const FileWriteError& e) {
    printError(e.what());
    return kExitFileError;
  }
  return kExitOk;
}

}  // namespace
}  // namespace peltrix::cli

int main(int argc, char** argv) {
  using namespace peltrix::cli;
  Request request;
  try {
    request = parseArguments(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    printError(e.what());
    std::fprintf(stderr, "Try 'peltrix-convert --help' for more information.\n");
    return kExitUsage;
  }
  if (request.action == Request::Action::Help) {
    std::fputs(kHelpText, stdout);
    return kExitOk;
  }
  if (request.action == Request::Action::Version) {
    std::printf("peltrix-convert %s\n", PELTRIX_VERSION);
    return kExitOk;
  }
  std::signal(SIGINT, onInterrupt);
  std::signal(SIGTERM, onInterrupt);
  return convert(request);
}
