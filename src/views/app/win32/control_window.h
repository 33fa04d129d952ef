// Makes the controls of the main window's layout table, with the class and styles its kind
// takes. The start-up yardstick in the test bed builds the same controls through it, so that
// it measures exactly the window the program makes.
#pragma once

#include "app/win32/main_window_layout.h"
#include "ui/win32/theme.h"

#include <windows.h>

#include <commctrl.h>

namespace quillon::win32view {

inline HWND createLayoutControl(const Placement& p, HWND parent, HINSTANCE instance) {
    const wchar_t* cls = WC_BUTTONW;
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (p.kind) {
    case Kind::GroupBox:
        style |= BS_GROUPBOX;
        break;
    case Kind::ListView:
        cls = WC_LISTVIEWW;
        style |= WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case Kind::Button:
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
    case Kind::SplitButton:
        style |= WS_TABSTOP | BS_SPLITBUTTON;
        break;
    case Kind::FlatButton:
        style |= WS_TABSTOP | BS_OWNERDRAW;
        break;
    case Kind::Label:
        cls = WC_STATICW;
        style |= SS_LEFT | SS_NOTIFY;
        break;
    case Kind::Combo:
        cls = WC_COMBOBOXW;
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        break;
    case Kind::CheckBox:
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
    }
    return CreateWindowExW(exStyle, cls, L"", style, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)), instance, nullptr);
}

// The list view's look and its columns (widths are set by the layout).
inline void addLayoutColumns(HWND list, const char16_t* const* captions, int count) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES |
                                                LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
    // The Explorer look gives the hot-tracking highlight under the mouse.
    setWindowTheme(list, L"Explorer");
    for (int i = 0; i < count; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(captions[i]));
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&column));
    }
}

} // namespace quillon::win32view
