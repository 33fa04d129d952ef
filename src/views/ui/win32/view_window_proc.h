// The window procedure every view of a top-level window shares.
#pragma once

#include <windows.h>

namespace quillon::win32view {

// The view is CreateWindowExW's creation parameter: it learns its window (`hwnd_`) at
// WM_NCCREATE and handles every later message (`handle`). Views declare it a friend.
template <class View>
LRESULT CALLBACK viewWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<View*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<View*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->hwnd_) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return self->handle(msg, wParam, lParam);
}

} // namespace quillon::win32view
