// Window texts between the core's UTF-16 strings and the controls.
#pragma once

#include "core/text.h"
#include "ui/win32/gdi_handles.h"

namespace quillon::win32view {

ustring windowText(HWND window);
// Sets the text only when it differs, so that an unchanged control does not flicker.
void setWindowText(HWND window, const ustring& text);
// The size of the text in `font`, in device pixels.
SIZE textExtent(HWND window, HFONT font, const ustring& text);

} // namespace quillon::win32view
