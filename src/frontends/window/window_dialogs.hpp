// The dialogs the window's commands show, the same for every skin.
#pragma once

#include <functional>
#include <string>

namespace peltrix {

// Which file a save command writes.
enum class SaveForm { Raw, Program };

// The dialogs the commands show. Each window fills them with its real modal dialogs; tests
// replace them to answer without a person at the screen.
struct DialogHooks {
  std::function<std::string()> chooseOpenPath;          // "" when cancelled
  std::function<std::string(SaveForm)> chooseSavePath;  // "" when cancelled
  std::function<void(const std::string&)> showMessage;  // a failure the user must know of
  std::function<void()> showAbout;
};

}  // namespace peltrix
