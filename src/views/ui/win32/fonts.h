// The fonts of the windows, made for the DPI of the monitor they are on.
#pragma once

#include "ui/win32/gdi_handles.h"

namespace quillon::win32view {

struct FontDesc {
    const wchar_t* face;
    int heightAt96; // negative: the character height in pixels at 96 dpi
    BYTE charset;
    int weight = FW_NORMAL;
};

// The hotkey dialog's and the help window's font; Windows' font linking supplies the Chinese.
constexpr FontDesc kDialogFont{L"Tahoma", -11, DEFAULT_CHARSET};

Font makeFont(const FontDesc& desc, UINT dpi);

// WM_SETFONT to every child window.
void setFontOfChildren(HWND parent, HFONT font);

} // namespace quillon::win32view
