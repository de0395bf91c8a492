#include <cstring>

#include "frontends/gtk/window_parts.hpp"

namespace peltrix::gui {

GtkWidget* buildMenuBar(MainWindow& main) {
  GtkWidget* bar = gtk_menu_bar_new();
  GtkWidget* currentMenu = nullptr;
  const char* currentTitle = nullptr;
  GSList* radioGroup = nullptr;
  for (const MenuSpec& item : menuLayout()) {
    if (currentTitle == nullptr || std::strcmp(currentTitle, item.menuTitle) != 0) {
      GtkWidget* title = gtk_menu_item_new_with_label(item.menuTitle);
      currentMenu = gtk_menu_new();
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(title), currentMenu);
      gtk_menu_shell_append(GTK_MENU_SHELL(bar), title);
      currentTitle = item.menuTitle;
    }
    if (item.separatorBefore) {
      gtk_menu_shell_append(GTK_MENU_SHELL(currentMenu), gtk_separator_menu_item_new());
    }
    GtkWidget* entry = nullptr;
    if (item.radio) {
      // The first of each group starts chosen: the default palette, match, dither and view.
      for (const MenuRadioGroup& group : kMenuRadioGroups) {
        if (group.first == item.id) radioGroup = nullptr;
      }
      entry = gtk_radio_menu_item_new_with_label(radioGroup, item.itemText);
      radioGroup = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(entry));
    } else {
      entry = gtk_menu_item_new_with_label(item.itemText);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(currentMenu), entry);
    main.menuItems[item.id] = entry;
  }
  return bar;
}

}  // namespace peltrix::gui
