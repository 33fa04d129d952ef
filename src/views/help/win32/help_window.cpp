#include "help/win32/help_window.h"

#include "help/win32/help_window_layout.h"
#include "res/resource_ids.h"
#include "ui/win32/dpi.h"
#include "ui/win32/window_text.h"

#include <algorithm>

namespace quillon::win32view {

namespace {

constexpr ToolWindowTraits kHelpWindow{L"TFormHelp",         IDI_QUILLON, kHelpClientWidth,
                                       kHelpClientHeight,    kHelpClose,  kHelpText,
                                       u"无法创建帮助窗口。"};

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
    : ToolWindow(form, kHelpWindow, instance, owner), form_(form) {}

void HelpWindow::createControls() {
    for (const HelpPlacement& p : kHelpLayout) {
        switch (p.id) {
        case kHelpClose:
            makeControl(p.id, WC_BUTTONW, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, form_.Button1.caption);
            break;
        case kHelpLink:
            makeControl(p.id, WC_LINK, WS_TABSTOP, 0,
                        u"<a href=\"" + form_.url + u"\">" + form_.LinkLabel1.caption + u"</a>");
            break;
        case kHelpText:
            makeText();
            break;
        }
    }
    SetWindowTextW(item(kHelpText), wide(form_.Memo1));
}

// The text puts one tab between a command (or a key word) and what it does: one tab stop past
// the longest of them lines up every description.
void HelpWindow::fontChanged() {
    const HWND window = hwnd();
    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, font());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    LONG widest = 0;
    const ustring& text = form_.Memo1;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(u"\r\n", start);
        end = end == ustring::npos ? text.size() : end;
        const std::size_t tab = text.find(u'\t', start);
        if (tab < end) {
            widest =
                std::max(widest, textExtent(window, font(), text.substr(start, tab - start)).cx);
        }
        start = end + 2;
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    // Tab stops are in dialog units, four to the font's average character width.
    const int average = std::max<int>(1, metrics.tmAveCharWidth);
    UINT stop = static_cast<UINT>((widest + scale(16, dpi())) * 4 / average + 1);
    SendMessageW(item(kHelpText), EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
}

void HelpWindow::layout() {
    RECT client{};
    GetClientRect(hwnd(), &client);
    for (const HelpPlacement& p : kHelpLayout) {
        int w = scale(p.w, dpi());
        if (p.id == kHelpText) {
            w = client.right - client.left;
        } else if (p.id == kHelpLink) {
            // The whole address shows, up to the button.
            const int needed =
                textExtent(hwnd(), font(), form_.LinkLabel1.caption).cx + scale(4, dpi());
            const int room = scale(placementOf(kHelpClose).x - p.x - 8, dpi());
            w = std::min(std::max(w, needed), room);
        }
        SetWindowPos(item(p.id), nullptr, scale(p.x, dpi()), scale(p.y, dpi()), w,
                     scale(p.h, dpi()), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void HelpWindow::onCommand(int id, int code) {
    if (id == kHelpClose && code == BN_CLICKED) {
        form_.Button1Click();
        if (form_.modalResult != ModalResult::None) {
            close();
        }
    }
}

void HelpWindow::onNotify(const NMHDR& header) {
    if (header.idFrom == kHelpLink && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        const auto& link = reinterpret_cast<const NMLINK&>(header);
        form_.LinkLabel1LinkClick(platform::win32::fromWide(link.item.szUrl));
    }
}

ToolKeyCommand HelpWindow::keyCommand(const KeyStroke& stroke, bool inText) const {
    return form_.keyCommand(stroke, inText);
}

void HelpWindow::cancel() {
    form_.Button1Click();
    close();
}

} // namespace quillon::win32view
