// The main window's menus, each one table: an item's caption, when it can be chosen and what
// choosing it does, side by side, so that an item is added in one place. TForm1 makes its
// `Menu`s from these tables; the view shows them and reports the position chosen.
#pragma once

#include "app/controls.h"

#include <vector>

namespace quillon {

class TForm1;

struct MenuCommand {
    const char16_t* caption; // "-" is a separator, which has neither rule nor handler
    bool (*enabled)(const TForm1&);
    void (*run)(TForm1&);
    bool checked = false;
};

// PopupMenu1: the enabled list's context menu.
Menu enabledListMenu();
// PopupMenu2: the 其它功能 button's menu.
Menu otherMenu();
// PopupMenu3: the disabled list's context menu.
Menu disabledListMenu();
// What FormCreate appends to the window's system menu.
Menu systemMenu();

} // namespace quillon
