// The dialogs the window's commands show, the same for every skin.
#pragma once

#include <functional>
#include <string>

#include "colour/tone.hpp"

namespace peltrix {

// Which file a save command writes.
enum class SaveForm { Raw, Program };

// The one entry of the save dialog's type list for each form.
inline const char* saveDescription(SaveForm form) {
  return form == SaveForm::Raw ? "RAW (*.raw)" : "PRG (*.prg)";
}

// The dialogs the commands show. Each window fills them with its real modal dialogs; tests
// replace them to answer without a person at the screen.
struct DialogHooks {
  std::function<std::string()> chooseOpenPath;          // "" when cancelled
  std::function<std::string(SaveForm)> chooseSavePath;  // "" when cancelled
  std::function<void(const std::string&)> showMessage;  // a failure the user must know of
  std::function<void()> showAbout;
  // "Adjust…": the tone sliders, starting at `start`; `changed` hears every move and
  // "Reset", so the source view follows at once. Returns when the dialog is closed.
  std::function<void(const Tone& start, const std::function<void(const Tone&)>& changed)>
      adjustTone;
};

}  // namespace peltrix
