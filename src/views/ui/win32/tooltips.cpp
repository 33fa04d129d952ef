#include "ui/win32/tooltips.h"

#include "ui/win32/dpi.h"

#include <algorithm>
#include <cstdint>

namespace quillon::win32view {

namespace {

// Tools on a control are known by the control's handle; the tools on its rectangle need
// another id on the same window. Window handles fit 32 bits (sign-extended at most), so a
// bit above them keeps the two apart.
static_assert(sizeof(UINT_PTR) == 8, "the rectangle ids need a 64-bit UINT_PTR");
constexpr UINT_PTR kRectangleTool = UINT_PTR{1} << 40;

UINT_PTR rectangleId(HWND control) {
    return kRectangleTool | static_cast<UINT_PTR>(static_cast<std::uint32_t>(
                                reinterpret_cast<std::uintptr_t>(control)));
}

// Tooltips break lines at CR LF; the hints carry a lone CR.
ustring tooltipText(const ustring& hint) {
    ustring out;
    for (const char16_t c : hint) {
        out += c;
        if (c == u'\r') {
            out += u'\n';
        }
    }
    return out;
}

} // namespace

Tooltips::~Tooltips() {
    if (tooltip_ && IsWindow(tooltip_)) {
        DestroyWindow(tooltip_);
    }
}

void Tooltips::create(HWND owner, HINSTANCE instance) {
    owner_ = owner;
    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, nullptr);
    SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
}

void Tooltips::setFont(HFONT font, UINT dpi) {
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, scale(640, dpi));
}

RECT Tooltips::placeOnOwner(HWND control) const {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, owner_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void Tooltips::attach(UINT flags, UINT_PTR id, const RECT& rect, const ustring& hint) {
    const ustring text = tooltipText(hint);
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = flags | TTF_SUBCLASS;
    info.hwnd = owner_;
    info.uId = id;
    info.rect = rect;
    info.lpszText = const_cast<wchar_t*>(wide(text));
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltips::detach(UINT_PTR id) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner_;
    info.uId = id;
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void Tooltips::setHint(HWND control, const ustring& hint) {
    auto tool = std::find_if(tools_.begin(), tools_.end(),
                             [&](const Tool& t) { return t.control == control; });
    if (tool != tools_.end()) {
        if (tool->hint == hint) {
            return;
        }
        detach(reinterpret_cast<UINT_PTR>(control));
        detach(rectangleId(control));
        tools_.erase(tool);
    }
    if (hint.empty() || !tooltip_) {
        return;
    }
    attach(TTF_IDISHWND, reinterpret_cast<UINT_PTR>(control), RECT{}, hint);
    attach(0, rectangleId(control), placeOnOwner(control), hint);
    tools_.push_back(Tool{control, hint});
}

void Tooltips::setWindowHint(const ustring& hint) {
    if (hint == windowHint_ || !tooltip_) {
        return;
    }
    if (!windowHint_.empty()) {
        detach(reinterpret_cast<UINT_PTR>(owner_));
    }
    windowHint_ = hint;
    if (!hint.empty()) {
        attach(TTF_IDISHWND, reinterpret_cast<UINT_PTR>(owner_), RECT{}, hint);
    }
}

void Tooltips::updatePlaces() {
    for (const Tool& tool : tools_) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof(info);
        info.hwnd = owner_;
        info.uId = rectangleId(tool.control);
        info.rect = placeOnOwner(tool.control);
        SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

} // namespace quillon::win32view
