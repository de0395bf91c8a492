// peltrix-convert: converts picture files without the window, by running the very same job
// as the window's "Process" and writing the result with the same writers. Every output is
// planned and checked before the first conversion starts.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/commands.hpp"
#include "frontends/cli/batch_run.hpp"
#include "frontends/cli/cli_args.hpp"
#include "frontends/cli/console.hpp"
#include "frontends/cli/output_plan.hpp"
#include "frontends/cli/picture_run.hpp"
#include "frontends/cli/requested_palette.hpp"
#include "frontends/cli/warnings.hpp"
#include "platform/command_line.hpp"
#include "platform/files.hpp"

namespace peltrix::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFileError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

extern "C" void onInterrupt(int) {
  interruptRequested = 1;
}

int convert(const Request& r) {
  std::vector<PlannedPicture> pictures;
  try {
    pictures = planOutputs(r);
  } catch (const PlanError& e) {
    printError(e.what());
    return kExitUsage;
  }
  if (!r.quiet) {
    for (const std::string& w : optionWarnings(r)) printWarning(w);
  }

  // SharedState is large (the workers' scratch): it lives on the heap, one for all pictures.
  auto state = std::make_unique<SharedState>();
  const bool onTerminal = isTerminal(stderr);

  if (r.batch()) {
    const BatchResult result = runBatch(*state, pictures, r, onTerminal);
    if (result.interrupted) return kExitInterrupted;
    return result.failed > 0 ? kExitFileError : kExitOk;
  }

  PictureReporting reporting;
  reporting.progressBar = onTerminal && !r.quiet;
  reporting.warnings = !r.quiet;
  const PictureResult result = convertPicture(*state, pictures.at(0), r, reporting);
  switch (result.status) {
    case PictureResult::Status::Converted:
      return kExitOk;
    case PictureResult::Status::Interrupted:
      printError("interrupted; nothing written");
      return kExitInterrupted;
    case PictureResult::Status::Failed:
      break;
  }
  printError(result.error);
  return kExitFileError;
}

}  // namespace
}  // namespace peltrix::cli

int main(int argc, char** argv) {
  using namespace peltrix::cli;
  const peltrix::CommandLine commandLine(argc, argv);  // UTF-8 arguments on every platform
  Request request;
  try {
    request = parseArguments(commandLine.arguments());
    if (request.action == Request::Action::Convert)
      request.job.palette = loadRequestedPalette(request);
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
