#include "core/commands.hpp"

#include <algorithm>

#include "core/job.hpp"
#include "output/writers.hpp"

namespace peltrix {

namespace {

CommandResult failed(std::string message) {
  return {Outcome::Failed, std::move(message)};
}

CommandResult writeOrReport(const std::string& path, std::span<const uint8_t> bytes) {
  try {
    writeFile(path, bytes);
  } catch (const FileWriteError& e) {
    return failed(e.what());
  }
  return {};
}

}  // namespace

bool canSave(const SharedState& state) {
  return state.resultReady && !jobRunning(state);
}

namespace {

template <class Load>
CommandResult openWith(SharedState& state, const std::string& path, Load load) {
  if (jobRunning(state)) return {Outcome::Refused, {}};
  try {
    // Decode first: only a picture that loaded completely replaces the current one.
    SourcePicture picture = load();
    state.sourceImage = std::move(picture);
  } catch (const PictureLoadError& e) {
    return failed(e.what());
  } catch (const std::bad_alloc&) {
    return failed(path + ": not enough memory to load the picture");
  }
  return {};
}

}  // namespace

CommandResult openPicture(SharedState& state, const std::string& path) {
  return openWith(state, path, [&] { return loadPicture(path); });
}

CommandResult openPicture(SharedState& state, const std::string& path, const Framing& framing) {
  return openWith(state, path, [&] { return loadFramedPicture(path, framing); });
}

void setDitherLevel(SharedState& state, int level) {
  state.chosen.ditherLevel = std::clamp(level, 0, 3);
}

CommandResult saveRaw(SharedState& state, const std::string& path) {
  if (!canSave(state)) return {Outcome::Refused, {}};
  return writeOrReport(path, rawFileBytes(state.result.c64Data, state.result.form()));
}

CommandResult saveProgram(SharedState& state, const std::string& path,
                          const ViewerOptions& options) {
  if (!canSave(state)) return {Outcome::Refused, {}};
  const Viewer viewer = chooseViewer(state.result.form() == DataForm::Fli, options);
  const std::vector<uint8_t> bytes =
      programFileBytes(state.result.c64Data, state.result.form(), viewer);
  return writeOrReport(path, bytes);
}

}  // namespace peltrix
