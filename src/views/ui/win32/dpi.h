// Scaling for the monitor a window is on. The program is per-monitor DPI aware: every size is
// given in pixels at 96 dpi and scaled with the DPI of the window's monitor, which may differ
// from the primary monitor's. The DPI-aware calls are looked up at run time, so the program
// still starts on Windows that lack them (and there says that it does not run there).
#pragma once

#include "ui/win32/gdi_handles.h"

namespace quillon::win32view {

constexpr UINT kBaseDpi = 96;

// The DPI of the window's monitor; the system DPI where Windows cannot tell.
UINT dpiOf(HWND window);

inline int scale(int pixelsAt96, UINT dpi) {
    return MulDiv(pixelsAt96, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

// The outer size of a window whose client area is to be width x height device pixels, with
// the frame measured at `dpi` (AdjustWindowRectExForDpi).
SIZE windowSizeForClient(HWND window, int width, int height, UINT dpi);

// GetSystemMetricsForDpi; where it is missing, the system DPI's metric rescaled.
int systemMetric(int index, UINT dpi);

// The work area of the monitor that holds most of the window.
RECT workAreaOf(HWND window);

// Moves the window so that its centre is the centre of `area`, kept inside `bounds`.
void centreWindow(HWND window, const RECT& area, const RECT& bounds);

// Stops the dialog manager from rescaling a dialog on a DPI change by itself: the view
// scales its dialogs as it scales its windows. Nothing where Windows has no such rescaling.
void keepDialogScalingToView(HWND dialog);

} // namespace quillon::win32view
