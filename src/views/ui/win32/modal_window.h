// What the views of the program's own modal windows (the help window, the differences window)
// share: their place on the desktop and their modal loop.
#pragma once

#include "core/text.h"
#include "ui/win32/gdi_handles.h"

#include <functional>

namespace quillon::win32view {

struct ToolWindowClass {
    const wchar_t* name;
    WNDPROC windowProc;
    HICON icon;
};

// Registers `windowClass` and creates, hidden, a sizeable tool window of it over `owner`: narrow
// caption, close box only, on the button-face background. `self` reaches the window procedure
// with WM_NCCREATE. Null when the window cannot be made.
HWND createToolWindow(HINSTANCE instance, const ToolWindowClass& windowClass,
                      const ustring& caption, SIZE size, HWND owner, void* self);

// Centres the window on the desktop's work area.
void centreOnDesktop(HWND window);

// Shows `window` over `owner`, which takes no input meanwhile, with the focus on `focus`, and
// dispatches messages until `open` turns false: first to `translateKey` (true when it handled
// the message), then as dialog keys, then as they are. Then the owner takes input again, before
// the window is hidden, so that it becomes the active one. An end asked for meanwhile (a
// command-line run asks before the help shows) is held until then.
void runModal(HWND window, HWND owner, HWND focus, const bool& open,
              const std::function<bool(const MSG&)>& translateKey);

} // namespace quillon::win32view
