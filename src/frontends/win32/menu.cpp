#include <cstring>

#include "frontends/win32/window_parts.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::win32 {

HMENU buildMenu() {
  HMENU bar = CreateMenu();
  if (bar == nullptr) return nullptr;
  HMENU currentMenu = nullptr;
  const char* currentTitle = nullptr;
  for (const MenuSpec& item : kMenuLayout) {
    if (currentTitle == nullptr || std::strcmp(currentTitle, item.menuTitle) != 0) {
      currentMenu = CreatePopupMenu();
      AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(currentMenu),
                  toUtf16(item.menuTitle).c_str());
      currentTitle = item.menuTitle;
    }
    AppendMenuW(currentMenu, MF_STRING, static_cast<UINT_PTR>(item.id),
                toUtf16(item.itemText).c_str());
  }
  return bar;
}

}  // namespace peltrix::win32
