// Finding the window to drive and the controls inside it.
#pragma once

#include "win.h"

#include <optional>

namespace qdriver {

// Which top-level window: every given criterion must hold.
struct WindowQuery {
    std::optional<ustring> windowClass;
    std::optional<ustring> titlePrefix;
    std::optional<DWORD> pid;

    bool empty() const { return !windowClass && !titlePrefix && !pid; }
    ustring describe() const;
};

// Which control inside it: every given criterion must hold; the index-th match (counted in
// EnumChildWindows order) is the one.
struct ControlQuery {
    std::optional<int> id;
    std::optional<ustring> windowClass;
    std::optional<ustring> caption;
    int index = 0;

    bool empty() const { return !id && !windowClass && !caption; }
    ustring describe() const;
};

// The current top-level window matching `query`, or nullptr. Visible windows win over hidden
// ones, and dialogs and menus (which may share a caption with the main window) never match
// unless asked for by class.
HWND findWindow(const WindowQuery& query);
// Waits up to the time limit for the window to appear.
HWND waitForWindow(const WindowQuery& query, DWORD timeoutMs);

// A caption matches as written, without its "&" markers, or without a "(&X)" mnemonic group.
bool captionMatches(const ustring& text, const ustring& wanted);

// The control of `top` matching `query`; when the query names no class, id or caption, the
// `index`-th control of `defaultClass`. A found control of another class than `defaultClass`
// (when one is given) is an error. Waits up to the time limit for the control to appear.
HWND findControl(HWND top, ControlQuery query, const wchar_t* defaultClass, DWORD timeoutMs);

} // namespace qdriver
