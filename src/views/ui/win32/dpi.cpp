#include "ui/win32/dpi.h"

#include <algorithm>

namespace quillon::win32view {

namespace {

// A function of user32, which every Win32 program has loaded; null where it does not exist.
template <typename Function> Function user32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT systemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

} // namespace

UINT dpiOf(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    // From Windows 10 1607 on.
    static const auto getDpiForWindow = user32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) {
            return dpi;
        }
    }
    return systemDpi();
}

SIZE windowSizeForClient(HWND window, int width, int height, UINT dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = user32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, width, height};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    const BOOL menu = GetMenu(window) != nullptr && !(style & WS_CHILD);
    if (!adjustForDpi || !adjustForDpi(&rect, style, menu, exStyle, dpi)) {
        // Only the system DPI is known there, which is then also the window's.
        AdjustWindowRectEx(&rect, style, menu, exStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int systemMetric(int index, UINT dpi) {
    using GetMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto metricsForDpi = user32Function<GetMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (metricsForDpi) {
        return metricsForDpi(index, dpi);
    }
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(systemDpi()));
}

RECT workAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
        return info.rcWork;
    }
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

void centreWindow(HWND window, const RECT& area, const RECT& bounds) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    // The caption stays reachable: right and bottom give way to left and top.
    x = std::max(std::min(x, static_cast<int>(bounds.right) - w), static_cast<int>(bounds.left));
    y = std::max(std::min(y, static_cast<int>(bounds.bottom) - h), static_cast<int>(bounds.top));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void keepDialogScalingToView(HWND dialog) {
    using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    // From Windows 10 1703 on; DDC_DISABLE_ALL is 1 | 2 | 4.
    static const auto setBehavior = user32Function<SetBehaviorFn>("SetDialogDpiChangeBehavior");
    constexpr int kDisableAll = 7;
    if (setBehavior) {
        setBehavior(dialog, kDisableAll, kDisableAll);
    }
}

} // namespace quillon::win32view
