// Visual styles of single controls. uxtheme is not imported by the program: it is no
// KnownDLL, so the loader would take a copy planted beside the program before any code runs.
// It is loaded from the system folder when first needed.
#pragma once

#include "ui/win32/gdi_handles.h"

namespace quillon::win32view {

// SetWindowTheme; nothing when uxtheme cannot be loaded.
void setWindowTheme(HWND window, const wchar_t* subAppName);

} // namespace quillon::win32view
