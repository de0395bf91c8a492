// What the window's command line asks for: `peltrix [--reset] [PICTURE]`, as a file manager's
// "Open with" or a drop on the program's icon starts it. The same for both windows.
#pragma once

#include <string>
#include <vector>

namespace peltrix {

struct WindowStart {
  enum class Action { Run, Help, Version, Refused } action = Action::Run;
  std::string picture;  // opened at start when not empty (UTF-8)
  std::string message;  // why it was refused
  bool reset = false;   // start with the default choices, not the remembered ones
};

// `args` without the program's name (and, on Linux, without the toolkit's own options).
// Only the first PICTURE is opened, as only the first of several dropped files is.
WindowStart parseWindowArguments(const std::vector<std::string>& args);

// The text --help shows.
std::string windowUsage();

}  // namespace peltrix
