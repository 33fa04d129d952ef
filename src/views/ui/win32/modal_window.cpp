#include "ui/win32/modal_window.h"

namespace quillon::win32view {

HWND createToolWindow(HINSTANCE instance, const ToolWindowClass& windowClass,
                      const ustring& caption, SIZE size, HWND owner, void* self) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = windowClass.windowProc;
    wc.hInstance = instance;
    wc.hIcon = windowClass.icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = windowClass.name;
    RegisterClassExW(&wc);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, windowClass.name, wide(caption),
                           style, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, owner, nullptr,
                           instance, self);
}

void centreOnDesktop(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void runModal(HWND window, HWND owner, HWND focus, const bool& open,
              const std::function<bool(const MSG&)>& translateKey) {
    const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetFocus(focus);

    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg{};
    while (open) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            continue;
        }
        if (translateKey && translateKey(msg)) {
            continue;
        }
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
    }
    ShowWindow(window, SW_HIDE);
    if (quit) {
        PostQuitMessage(static_cast<int>(quitCode));
    }
}

} // namespace quillon::win32view
