#include <cstring>

#include "frontends/gtk/window_parts.hpp"

namespace peltrix::gui {

GtkWidget* buildMenuBar(MainWindow& main) {
  GtkWidget* bar = gtk_menu_bar_new();
  GtkWidget* currentMenu = nullptr;
  const char* currentTitle = nullptr;
  for (const MenuSpec& item : kMenuLayout) {
    if (currentTitle == nullptr || std::strcmp(currentTitle, item.menuTitle) != 0) {
      GtkWidget* title = gtk_menu_item_new_with_label(item.menuTitle);
      currentMenu = gtk_menu_new();
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(title), currentMenu);
      gtk_menu_shell_append(GTK_MENU_SHELL(bar), title);
      currentTitle = item.menuTitle;
    }
    GtkWidget* entry = gtk_menu_item_new_with_label(item.itemText);
    gtk_menu_shell_append(GTK_MENU_SHELL(currentMenu), entry);
    main.menuItems[item.id] = entry;
  }
  return bar;
}

}  // namespace peltrix::gui
