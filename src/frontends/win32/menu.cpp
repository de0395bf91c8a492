#include <cstring>
#include <string>

#include "frontends/win32/window_parts.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::win32 {

HMENU buildMenu() {
  HMENU bar = CreateMenu();
  if (bar == nullptr) return nullptr;
  HMENU currentMenu = nullptr;
  const char* currentTitle = nullptr;
  for (const MenuSpec& item : menuLayout()) {
    if (currentTitle == nullptr || std::strcmp(currentTitle, item.menuTitle) != 0) {
      currentMenu = CreatePopupMenu();
      AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(currentMenu),
                  toUtf16(item.menuTitle).c_str());
      currentTitle = item.menuTitle;
    }
    if (item.separatorBefore) AppendMenuW(currentMenu, MF_SEPARATOR, 0, nullptr);
    std::wstring text = toUtf16(item.itemText);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.fType = item.radio ? MFT_RADIOCHECK : 0;  // drawn with a dot when marked
    info.wID = static_cast<UINT>(item.id);
    info.dwTypeData = text.data();
    InsertMenuItemW(currentMenu, GetMenuItemCount(currentMenu), TRUE, &info);
  }
  for (const MenuRadioGroup& group : kMenuRadioGroups) markRadioItem(bar, group.first);
  return bar;
}

void markRadioItem(HMENU bar, MenuItemId item) {
  for (const MenuRadioGroup& group : kMenuRadioGroups) {
    if (!group.holds(item)) continue;
    // CheckMenuRadioItem looks for the items in the menu it is given, not in its submenus.
    for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i) {
      HMENU menu = GetSubMenu(bar, i);
      if (menu != nullptr && GetMenuState(menu, item, MF_BYCOMMAND) != UINT(-1)) {
        CheckMenuRadioItem(menu, group.first, group.last, item, MF_BYCOMMAND);
      }
    }
  }
}

}  // namespace peltrix::win32
