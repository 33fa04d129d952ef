#include "help/win32/help_window.h"

#include "core/error.h"
#include "help/win32/help_window_layout.h"
#include "res/resource_ids.h"
#include "ui/win32/dpi.h"
#include "ui/win32/fonts.h"
#include "ui/win32/modal_window.h"
#include "ui/win32/window_text.h"

#include <algorithm>

namespace quillon::win32view {

namespace {

const wchar_t* const kClassName = L"TFormHelp";

const HelpPlacement& placementOf(HelpControlId id) {
    for (const HelpPlacement& p : kHelpLayout) {
        if (p.id == id) {
            return p;
        }
    }
    return kHelpLayout[0];
}

} // namespace

HelpWindow::HelpWindow(TFormHelp& form, HINSTANCE instance, HWND owner)
    : form_(form), instance_(instance), owner_(owner) {
    form_.ShowModalView = [this] { showModal(); };
}

HelpWindow::~HelpWindow() {
    form_.ShowModalView = nullptr;
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
}

void HelpWindow::create() {
    const ToolWindowClass windowClass{kClassName, &viewWindowProc<HelpWindow>,
                                      LoadIconW(instance_, MAKEINTRESOURCEW(IDI_QUILLON))};
    if (!createToolWindow(instance_, windowClass, form_.Caption, {640, 480}, owner_, this)) {
        throw QuillonError(u"无法创建帮助窗口。");
    }
    for (const HelpPlacement& p : kHelpLayout) {
        const wchar_t* cls = WC_BUTTONW;
        DWORD controlStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        DWORD exStyle = 0;
        ustring text;
        switch (p.id) {
        case kHelpClose:
            controlStyle |= BS_DEFPUSHBUTTON;
            text = form_.Button1.caption;
            break;
        case kHelpLink:
            cls = WC_LINK;
            text = u"<a href=\"" + form_.url + u"\">" + form_.LinkLabel1.caption + u"</a>";
            break;
        case kHelpText:
            // Lines wrap at the field's width; read, scrolled and copied, never changed.
            cls = WC_EDITW;
            controlStyle |= WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        }
        CreateWindowExW(exStyle, cls, wide(text), controlStyle, 0, 0, 10, 10, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)), instance_, nullptr);
    }
    // The text is longer than an edit control's default limit.
    SendMessageW(item(kHelpText), EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(item(kHelpText), wide(form_.Memo1));
    annotations_.setName(item(kHelpText), CHILDID_SELF, form_.Memo1Name);

    applyDpi(dpiOf(hwnd_));
    centreOnDesktop(hwnd_);
}

void HelpWindow::applyDpi(UINT dpi) {
    dpi_ = dpi;
    font_ = makeFont(kDialogFont, dpi_);
    for (const HelpPlacement& p : kHelpLayout) {
        SendMessageW(item(p.id), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }
    setTabStop();
    const SIZE size = windowSizeForClient(hwnd_, scale(kHelpClientWidth, dpi_),
                                          scale(kHelpClientHeight, dpi_), dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    layout();
}

// The text puts one tab between a command (or a key word) and what it does: one tab stop past
// the longest of them lines up every description.
void HelpWindow::setTabStop() {
    HDC dc = GetDC(hwnd_);
    const HGDIOBJ old = SelectObject(dc, font_.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    LONG widest = 0;
    const ustring& text = form_.Memo1;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(u"\r\n", start);
        end = end == ustring::npos ? text.size() : end;
        const std::size_t tab = text.find(u'\t', start);
        if (tab < end) {
            widest = std::max(widest,
                              textExtent(hwnd_, font_.get(), text.substr(start, tab - start)).cx);
        }
        start = end + 2;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    // Tab stops are in dialog units, four to the font's average character width.
    const int average = std::max<int>(1, metrics.tmAveCharWidth);
    UINT stop = static_cast<UINT>((widest + scale(16, dpi_)) * 4 / average + 1);
    SendMessageW(item(kHelpText), EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
}

void HelpWindow::layout() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    for (const HelpPlacement& p : kHelpLayout) {
        int w = scale(p.w, dpi_);
        if (p.id == kHelpText) {
            w = client.right - client.left;
        } else if (p.id == kHelpLink) {
            // The whole address shows, up to the button.
            const int needed =
                textExtent(hwnd_, font_.get(), form_.LinkLabel1.caption).cx + scale(4, dpi_);
            const int room = scale(placementOf(kHelpClose).x - p.x - 8, dpi_);
            w = std::min(std::max(w, needed), room);
        }
        SetWindowPos(item(p.id), nullptr, scale(p.x, dpi_), scale(p.y, dpi_), w, scale(p.h, dpi_),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void HelpWindow::showModal() {
    if (open_) {
        return;
    }
    // Made on first use: most runs never show it, and its long text is slow to lay out.
    if (!hwnd_) {
        create();
    }
    open_ = true;
    runModal(hwnd_, owner_, item(kHelpClose), open_,
             [this](const MSG& msg) { return translateKey(msg); });
}

void HelpWindow::close() {
    open_ = false;
}

bool HelpWindow::translateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != hwnd_ && GetParent(msg.hwnd) != hwnd_)) {
        return false;
    }
    Key key{};
    switch (msg.wParam) {
    case VK_TAB:
        key = Key::Tab;
        break;
    case VK_ESCAPE:
        key = Key::Escape;
        break;
    case VK_RETURN:
        key = Key::Enter;
        break;
    default:
        return false;
    }
    const HWND focus = GetFocus();
    const KeyStroke stroke{key, GetKeyState(VK_MENU) < 0, GetKeyState(VK_CONTROL) < 0,
                           GetKeyState(VK_SHIFT) < 0};
    switch (form_.keyCommand(stroke, focus == item(kHelpText))) {
    case HelpKeyCommand::Close:
        form_.Button1Click();
        close();
        return true;
    case HelpKeyCommand::NextControl:
    case HelpKeyCommand::PreviousControl: {
        const bool previous = stroke.shift;
        if (const HWND next = GetNextDlgTabItem(hwnd_, focus, previous)) {
            SetFocus(next);
        }
        return true;
    }
    case HelpKeyCommand::None:
        break;
    }
    return false;
}

LRESULT HelpWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kHelpClose && HIWORD(wParam) == BN_CLICKED) {
            form_.Button1Click();
            if (form_.modalResult != ModalResult::None) {
                close();
            }
        } else if (LOWORD(wParam) == IDCANCEL) {
            close(); // Esc
        }
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(kHelpClose, DC_HASDEFID);
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom == kHelpLink &&
            (header->code == NM_CLICK || header->code == NM_RETURN)) {
            const auto* link = reinterpret_cast<const NMLINK*>(lParam);
            form_.LinkLabel1LinkClick(platform::win32::fromWide(link->item.szUrl));
        }
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (reinterpret_cast<HWND>(lParam) == item(kHelpText)) {
            // Read-only, the text still reads as a page, in the theme's window colours.
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
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
        close(); // the close box hides the window; it lives until the program ends
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
