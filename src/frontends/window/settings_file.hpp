// The file in which both windows keep their choices between runs: window-settings.txt in the
// user's configuration folder for peltrix. Read once at start-up, written whenever a choice
// changes, always whole (beside it, then renamed over it), so it is never half-written.
#pragma once

#include <optional>
#include <string>

#include "frontends/window/window_settings.hpp"

namespace peltrix {

// What a window keeps of its settings file.
struct RememberedChoices {
  std::string path{};                      // "" while the window remembers nothing
  std::optional<WindowChoices> written{};  // what the file holds, when known
  bool applying = false;    // choices being shown: the controls' own signals write nothing
  bool saveFailed = false;  // a save failed and said so; later failures stay silent
};

// The settings file's path; "" when the environment names no configuration folder.
std::string windowSettingsPath();

// What a start-up makes of the settings file: its choices, or none (no file yet, or one that
// cannot be used) and then, for a file that is there but cannot be used, one line saying which
// file it is and why it is passed over.
struct LoadedChoices {
  std::optional<WindowChoices> choices{};
  std::string warning{};
};
LoadedChoices loadWindowChoices(const std::string& path);

// Writes `choices` to `path`, making its folder if need be. Throws FileWriteError.
void saveWindowChoices(const std::string& path, const WindowChoices& choices);

}  // namespace peltrix
