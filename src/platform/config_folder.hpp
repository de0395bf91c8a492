// Where the user's programs keep their settings: $XDG_CONFIG_HOME (or ~/.config) on Linux,
// %APPDATA% on Windows. config_folder_posix.cpp and config_folder_windows.cpp tell it.
#pragma once

#include <string>

namespace peltrix {

// The folder `program` keeps its settings in (UTF-8), inside the user's configuration folder;
// "" when the environment names no such folder. The folder need not exist yet.
std::string userConfigFolder(const std::string& program);

}  // namespace peltrix
