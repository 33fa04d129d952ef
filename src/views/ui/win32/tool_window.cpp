#include "ui/win32/tool_window.h"

#include "core/error.h"
#include "ui/win32/dpi.h"
#include "ui/win32/fonts.h"
#include "ui/win32/key_stroke.h"

#include <functional>

namespace quillon::win32view {

namespace {

// Centres the window on the desktop's work area.
void centreOnDesktop(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Shows `window` over `owner`, which takes no input meanwhile, with the focus on `focus`, and
// dispatches messages until `open` turns false: first to `translateKey` (true when it handled
// the message), then as dialog keys, then as they are. Then the owner takes input again, before
// the window is hidden, so that it becomes the active one. An end asked for meanwhile (a
// command-line run asks before the help shows) is held until then.
void runModal(HWND window, HWND owner, HWND focus, const bool& open,
              const std::function<bool(const MSG&)>& translateKey) {
    const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SetFocus(focus);

    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg{};
    while (open) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            continue;
        }
        if (translateKey(msg)) {
            continue;
        }
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
    }
    ShowWindow(window, SW_HIDE);
    if (quit) {
        PostQuitMessage(static_cast<int>(quitCode));
    }
}

} // namespace

ToolWindow::ToolWindow(ToolForm& form, const ToolWindowTraits& traits, HINSTANCE instance,
                       HWND owner)
    : model_(form), traits_(traits), instance_(instance), owner_(owner) {
    model_.ShowModalView = [this] { showModal(); };
}

ToolWindow::~ToolWindow() {
    model_.ShowModalView = nullptr;
    if (hwnd_) {
        // The derived view is gone already: the last messages go to the default handling.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

// Registers the class and creates, hidden, a sizeable tool window of it over the owner: narrow
// caption, close box only, on the button-face background.
void ToolWindow::create() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &viewWindowProc<ToolWindow>;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(traits_.iconId));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = traits_.className;
    RegisterClassExW(&wc);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    // Sized for the monitor's DPI once its controls are there.
    if (!CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, traits_.className,
                         wide(model_.Caption), style, CW_USEDEFAULT, CW_USEDEFAULT,
                         traits_.clientWidth, traits_.clientHeight, owner_, nullptr, instance_,
                         this)) {
        throw QuillonError(traits_.failure);
    }
    createControls();
    applyDpi(dpiOf(hwnd_));
    centreOnDesktop(hwnd_);
}

HWND ToolWindow::makeControl(int id, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                             const ustring& text) {
    return CreateWindowExW(exStyle, windowClass, wide(text), WS_CHILD | WS_VISIBLE | style, 0, 0,
                           10, 10, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           instance_, nullptr);
}

HWND ToolWindow::makeText() {
    // Lines wrap at the field's width; read, scrolled and copied, never changed.
    const HWND text =
        makeControl(traits_.textId, WC_EDITW,
                    WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                    WS_EX_CLIENTEDGE, {});
    // The texts are longer than an edit control's default limit.
    SendMessageW(text, EM_SETLIMITTEXT, 0, 0);
    annotations_.setName(text, CHILDID_SELF, model_.Memo1Name);
    return text;
}

void ToolWindow::applyDpi(UINT dpi) {
    dpi_ = dpi;
    font_ = makeFont(kDialogFont, dpi_);
    setFontOfChildren(hwnd_, font_.get());
    fontChanged();
    const SIZE size = windowSizeForClient(hwnd_, scale(traits_.clientWidth, dpi_),
                                          scale(traits_.clientHeight, dpi_), dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    layout();
}

void ToolWindow::showModal() {
    if (open_) {
        return;
    }
    // Made on first use: most runs never show it, and a long text is slow to lay out.
    if (!hwnd_) {
        create();
    }
    beforeShow();
    open_ = true;
    runModal(hwnd_, owner_, item(traits_.defaultButton), open_,
             [this](const MSG& msg) { return translateKey(msg); });
}

bool ToolWindow::translateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != hwnd_ && GetParent(msg.hwnd) != hwnd_)) {
        return false;
    }
    const std::optional<KeyStroke> stroke = keyStrokeOf(msg);
    if (!stroke) {
        return false;
    }
    const HWND focus = GetFocus();
    switch (keyCommand(*stroke, focus == item(traits_.textId))) {
    case ToolKeyCommand::Close:
        cancel();
        return true;
    case ToolKeyCommand::NextControl:
    case ToolKeyCommand::PreviousControl: {
        const bool previous = stroke->shift;
        if (const HWND next = GetNextDlgTabItem(hwnd_, focus, previous ? TRUE : FALSE)) {
            SetFocus(next);
        }
        return true;
    }
    case ToolKeyCommand::None:
        break;
    }
    return false;
}

LRESULT ToolWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            cancel(); // Esc
        } else {
            onCommand(LOWORD(wParam), HIWORD(wParam));
        }
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(traits_.defaultButton, DC_HASDEFID);
    case WM_NOTIFY:
        onNotify(*reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (reinterpret_cast<HWND>(lParam) == item(traits_.textId)) {
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
        cancel(); // the close box hides the window; it lives until the program ends
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
