#include "menus.h"

#include "target.h"

namespace qdriver {

HWND waitForPopupMenu(DWORD pid, DWORD timeoutMs) {
    HWND popup = poll(timeoutMs, [&]() -> HWND {
        const auto menus = visibleWindowsOf(pid, L"#32768");
        return menus.empty() ? nullptr : menus.front();
    });
    if (popup == nullptr) {
        fail(u"no popup menu opened within " + number(timeoutMs) + u" ms");
    }
    return popup;
}

std::vector<MenuEntry> readPopupMenu(ThreadHook& hook, HWND popup, DWORD timeoutMs) {
    const auto menu = reinterpret_cast<HMENU>(sendMessage(popup, MN_GETHMENU, 0, 0, timeoutMs));
    if (menu == nullptr) {
        fail(u"the popup menu window has no menu");
    }
    return hook.menuItems(popup, menu, timeoutMs);
}

std::vector<std::string> describeMenu(const std::vector<MenuEntry>& items) {
    std::vector<std::string> lines;
    for (const MenuEntry& item : items) {
        std::string line = "item " + std::to_string(item.index);
        if (item.separator()) {
            lines.push_back(line + " separator");
            continue;
        }
        line += " id=" + std::to_string(item.id) + " enabled=" + (item.enabled() ? "1" : "0") +
                " checked=" + (item.checked() ? "1" : "0");
        if (item.submenu) {
            line += " submenu=1";
        }
        lines.push_back(line + " " + quote(item.text));
    }
    return lines;
}

const MenuEntry& chooseItem(const std::vector<MenuEntry>& items, const MenuChoice& choice) {
    for (const MenuEntry& item : items) {
        if (item.separator()) {
            continue;
        }
        if ((choice.text && captionMatches(item.text, *choice.text)) ||
            (choice.id && item.id == *choice.id) || (choice.index && item.index == *choice.index)) {
            return item;
        }
    }
    fail(u"the menu has no such item");
}

namespace {

void postKey(HWND window, UINT key) {
    const auto scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    postMessage(window, WM_KEYDOWN, key, 1 | (scan << 16));
}

int highlighted(const std::vector<MenuEntry>& items) {
    for (const MenuEntry& item : items) {
        if (item.highlighted()) {
            return item.index;
        }
    }
    return -1;
}

void waitClosed(HWND popup, DWORD timeoutMs) {
    if (!poll(timeoutMs,
              [&] { return IsWindow(popup) == FALSE || IsWindowVisible(popup) == FALSE; })) {
        fail(u"the popup menu did not close within " + number(timeoutMs) + u" ms");
    }
}

} // namespace

void pickFromPopupMenu(ThreadHook& hook, HWND popup, const MenuChoice& choice, DWORD timeoutMs) {
    std::vector<MenuEntry> items = readPopupMenu(hook, popup, timeoutMs);
    const MenuEntry target = chooseItem(items, choice);
    if (!target.enabled()) {
        fail(u"the menu item \"" + target.text + u"\" is disabled");
    }
    // Home highlights the first item whatever the mouse did; each Down moves one item on. The
    // highlight is read back after each key, so items the keyboard skips need no counting.
    postKey(popup, VK_HOME);
    for (std::size_t step = 0;; ++step) {
        hook.sync(popup, timeoutMs);
        items = readPopupMenu(hook, popup, timeoutMs);
        if (highlighted(items) == target.index) {
            break;
        }
        if (step > items.size()) {
            fail(u"the keyboard does not reach the menu item \"" + target.text + u"\"");
        }
        postKey(popup, VK_DOWN);
    }
    postKey(popup, VK_RETURN);
    waitClosed(popup, timeoutMs);
}

void closePopupMenu(ThreadHook& hook, HWND popup, DWORD timeoutMs) {
    postKey(popup, VK_ESCAPE);
    hook.sync(popup, timeoutMs);
    waitClosed(popup, timeoutMs);
}

} // namespace qdriver
