// The user's configuration folder as the XDG base directories name it.
#include <cstdlib>

#include "platform/config_folder.hpp"
#include "platform/files.hpp"

namespace peltrix {

std::string userConfigFolder(const std::string& program) {
  // A relative XDG_CONFIG_HOME is invalid and must be ignored, as an empty one is.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return joinPath(config, program);
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return joinPath(joinPath(home, ".config"), program);
  return "";
}

}  // namespace peltrix
