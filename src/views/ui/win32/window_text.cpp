#include "ui/win32/window_text.h"

#include <string>

namespace quillon::win32view {

ustring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return ustring(text.begin(), text.end());
}

void setWindowText(HWND window, const ustring& text) {
    if (windowText(window) != text) {
        SetWindowTextW(window, wide(text));
    }
}

SIZE textExtent(HWND window, HFONT font, const ustring& text) {
    SIZE size{0, 0};
    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, wide(text), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size;
}

void syncComboBox(HWND combo, const ComboBox& model, StringList& shown) {
    if (shown != model.items) {
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const ustring& text : model.items) {
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text)));
        }
        shown = model.items;
    }
    const int index = model.shownIndex();
    if (static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)) != index) {
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

} // namespace quillon::win32view
