// The main window without the mouse: which keys it answers itself, where the keyboard focus
// goes when its control can no longer take it, and how a combo box's choice is confirmed.
// Plain data, decided here so that the view only reads keys and moves the focus.
#pragma once

namespace quillon {

// The keys the main window's own table knows; the view turns a virtual-key code into one.
enum class Key { F1, F4, F5, Enter, Space, Delete, Up, Down, Tab, Escape };

struct KeyStroke {
    Key key;
    bool alt = false;
    bool ctrl = false;
    bool shift = false;
};

// What a key does. `Click` presses the focused button; `OpenOtherMenu` drops down the
// 其它功能 menu, which the view shows.
enum class KeyCommand {
    None,
    Refresh,
    Help,
    RowAction, // the focused list's double-click
    Disable,
    Delete,
    MoveUp,
    MoveDown,
    OpenOtherMenu,
    Click,
    ConfirmChoice, // the focused combo box's choice
};

// One line of the table: a key with its modifiers, where the focus must be, and what it does.
enum class KeyScope {
    Anywhere,
    EnabledList,  // ListView1
    DisabledList, // ListView2
    EnabledGroup, // ListView1 or one of its buttons
    OtherButton,  // 其它功能
    PushButton,   // any push button of the window
    ChoiceCombo,  // a combo box whose choice is confirmed, not taken on each arrow press
};

struct Shortcut {
    KeyStroke stroke;
    KeyScope scope;
    KeyCommand command;
};

// The table, in the order it is searched; the help text lists it.
extern const Shortcut kShortcuts[];
extern const int kShortcutCount;

} // namespace quillon
