#include "frontends/window/start_arguments.hpp"

namespace peltrix {

WindowStart parseWindowArguments(const std::vector<std::string>& args) {
  WindowStart start;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
      return {WindowStart::Action::Help, {}, {}};
    } else if (!optionsEnded && arg == "--version") {
      return {WindowStart::Action::Version, {}, {}};
    } else if (!optionsEnded && arg == "--reset") {
      start.reset = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return {WindowStart::Action::Refused, {}, "unknown option '" + arg + "'"};
    } else if (start.picture.empty()) {
      start.picture = arg;
    }
  }
  return start;
}

std::string windowUsage() {
  return "Usage: peltrix [--reset] [PICTURE]\n"
         "Opens the converter's window, with PICTURE (JPEG, PNG or BMP) opened as\n"
         "\"Open Bitmap\" would; a picture dropped on the window opens the same way.\n"
         "The window remembers its choices from one run to the next.\n"
         "      --reset    start with the default choices instead\n"
         "  -h, --help     show this help\n"
         "      --version  show the version\n";
}

}  // namespace peltrix
