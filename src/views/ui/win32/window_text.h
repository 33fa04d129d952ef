// Window texts between the core's UTF-16 strings and the controls.
#pragma once

#include "app/controls.h"
#include "core/text.h"
#include "ui/win32/gdi_handles.h"

namespace quillon::win32view {

ustring windowText(HWND window);
// Sets the text only when it differs, so that an unchanged control does not flicker.
void setWindowText(HWND window, const ustring& text);
// Brings a drop-down list in step with its model: the items only when they differ from
// `shown` (the items last put in), then the selection.
void syncComboBox(HWND combo, const ComboBox& model, StringList& shown);

// The size of the text in `font`, in device pixels.
SIZE textExtent(HWND window, HFONT font, const ustring& text);

} // namespace quillon::win32view
