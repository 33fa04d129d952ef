// Popup menus (context menus, split-button drop-downs) and the system menu.
#pragma once

#include "remote.h"

#include <optional>
#include <string>
#include <vector>

namespace qdriver {

// The visible popup menu window (class "#32768") of a process, waiting up to the time limit.
HWND waitForPopupMenu(DWORD pid, DWORD timeoutMs);
std::vector<MenuEntry> readPopupMenu(ThreadHook& hook, HWND popup, DWORD timeoutMs);
std::vector<std::string> describeMenu(const std::vector<MenuEntry>& items);

// Which item a user means: by text (exact, or without its "&" mnemonic markers), id or position.
struct MenuChoice {
    std::optional<ustring> text;
    std::optional<UINT> id;
    std::optional<int> index;
};
const MenuEntry& chooseItem(const std::vector<MenuEntry>& items, const MenuChoice& choice);

// Chooses an item of the open popup menu with the keyboard, as a user would: Home, Down until the
// item is highlighted, Enter; returns once the menu has closed.
void pickFromPopupMenu(ThreadHook& hook, HWND popup, const MenuChoice& choice, DWORD timeoutMs);
// Escape, and wait until the menu has closed.
void closePopupMenu(ThreadHook& hook, HWND popup, DWORD timeoutMs);

} // namespace qdriver
