#include "drift/win32/drift_window.h"

#include "core/error.h"
#include "drift/win32/drift_window_layout.h"
#include "res/resource_ids.h"
#include "ui/win32/dpi.h"
#include "ui/win32/fonts.h"
#include "ui/win32/modal_window.h"
#include "ui/win32/window_text.h"

#include <algorithm>

namespace quillon::win32view {

namespace {

const wchar_t* const kClassName = L"TFormDrift";

} // namespace

DriftWindow::DriftWindow(TFormDrift& form, HINSTANCE instance, HWND owner)
    : form_(form), instance_(instance), owner_(owner) {
    form_.ShowModalView = [this] { showModal(); };
}

DriftWindow::~DriftWindow() {
    form_.ShowModalView = nullptr;
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
}

void DriftWindow::create() {
    const ToolWindowClass windowClass{kClassName, &viewWindowProc<DriftWindow>,
                                      LoadIconW(instance_, MAKEINTRESOURCEW(IDI_QUILLON))};
    if (!createToolWindow(instance_, windowClass, form_.Caption, {640, 400}, owner_, this)) {
        throw QuillonError(u"无法创建配置差异窗口。");
    }
    struct Child {
        DriftControlId id;
        const wchar_t* cls;
        DWORD style;
        DWORD exStyle;
        const ustring* text;
    };
    // In tab order: the text can be scrolled and copied from with the keyboard.
    const Child children[] = {
        {kDriftText, WC_EDITW,
         WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, WS_EX_CLIENTEDGE,
         nullptr},
        {kDriftApply, WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0, &form_.Button_Apply.caption},
        {kDriftClose, WC_BUTTONW, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, &form_.Button_Close.caption},
    };
    for (const Child& c : children) {
        CreateWindowExW(c.exStyle, c.cls, c.text ? wide(*c.text) : L"",
                        WS_CHILD | WS_VISIBLE | c.style, 0, 0, 10, 10, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
    }
    SendMessageW(item(kDriftText), EM_SETLIMITTEXT, 0, 0);
    annotations_.setName(item(kDriftText), CHILDID_SELF, form_.Memo1Name);
    applyDpi(dpiOf(hwnd_));
    centreOnDesktop(hwnd_);
}

void DriftWindow::applyDpi(UINT dpi) {
    dpi_ = dpi;
    font_ = makeFont(kDialogFont, dpi_);
    for (const int id : {kDriftText, kDriftApply, kDriftClose}) {
        SendMessageW(item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }
    const SIZE size = windowSizeForClient(hwnd_, scale(kDriftClientWidth, dpi_),
                                          scale(kDriftClientHeight, dpi_), dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    layout();
}

void DriftWindow::layout() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int margin = scale(kDriftMargin, dpi_);
    const int buttonHeight = scale(kDriftButtonHeight, dpi_);
    const int closeWidth = scale(kDriftCloseWidth, dpi_);
    const int applyWidth = scale(kDriftApplyWidth, dpi_);
    const int buttonTop = client.bottom - margin - buttonHeight;
    const int closeLeft = client.right - margin - closeWidth;
    SetWindowPos(item(kDriftText), nullptr, 0, 0, client.right, std::max(0, buttonTop - margin),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(item(kDriftApply), nullptr, closeLeft - margin - applyWidth, buttonTop, applyWidth,
                 buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(item(kDriftClose), nullptr, closeLeft, buttonTop, closeWidth, buttonHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void DriftWindow::showModal() {
    if (open_) {
        return;
    }
    if (!hwnd_) {
        create();
    }
    SetWindowTextW(item(kDriftText), wide(form_.Memo1));
    EnableWindow(item(kDriftApply), form_.Button_Apply.enabled ? TRUE : FALSE);
    open_ = true;
    runModal(hwnd_, owner_, item(kDriftClose), open_,
             [this](const MSG& msg) { return translateKey(msg); });
}

// A multi-line text takes every key for itself, read only or not: from it, Tab and Shift+Tab
// go on to the buttons and Escape closes the window, as they do from the buttons.
bool DriftWindow::translateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.hwnd != item(kDriftText)) {
        return false;
    }
    if (msg.wParam == VK_ESCAPE) {
        form_.Button_CloseClick();
        open_ = false;
        return true;
    }
    if (msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
        const bool previous = GetKeyState(VK_SHIFT) < 0;
        if (const HWND next = GetNextDlgTabItem(hwnd_, msg.hwnd, previous ? TRUE : FALSE)) {
            SetFocus(next);
        }
        return true;
    }
    return false;
}

LRESULT DriftWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kDriftApply) {
            form_.Button_ApplyClick();
            open_ = false;
        } else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kDriftClose) {
            form_.Button_CloseClick();
            open_ = false;
        } else if (LOWORD(wParam) == IDCANCEL) {
            form_.Button_CloseClick(); // Esc
            open_ = false;
        }
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(kDriftClose, DC_HASDEFID);
    case WM_CTLCOLORSTATIC: {
        // The read-only text keeps the window colour of a text field.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_SIZE:
        layout();
        return 0;
    case WM_DPICHANGED: {
        applyDpi(HIWORD(wParam));
        const auto* suggested = reinterpret_cast<RECT*>(lParam);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        form_.Button_CloseClick();
        open_ = false;
        return 0;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

} // namespace quillon::win32view
