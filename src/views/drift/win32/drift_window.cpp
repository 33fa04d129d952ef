#include "drift/win32/drift_window.h"

#include "drift/win32/drift_window_layout.h"
#include "res/resource_ids.h"
#include "ui/win32/dpi.h"

#include <algorithm>

namespace quillon::win32view {

namespace {

constexpr ToolWindowTraits kDriftWindow{
    L"TFormDrift", IDI_QUILLON, kDriftClientWidth,        kDriftClientHeight,
    kDriftClose,   kDriftText,  u"无法创建配置差异窗口。"};

} // namespace

DriftWindow::DriftWindow(TFormDrift& form, HINSTANCE instance, HWND owner)
    : ToolWindow(form, kDriftWindow, instance, owner), form_(form) {}

void DriftWindow::createControls() {
    // In tab order: the text can be scrolled and copied from with the keyboard.
    makeText();
    makeControl(kDriftApply, WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, 0, form_.Button_Apply.caption);
    makeControl(kDriftClose, WC_BUTTONW, WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                form_.Button_Close.caption);
}

void DriftWindow::layout() {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int margin = scale(kDriftMargin, dpi());
    const int buttonHeight = scale(kDriftButtonHeight, dpi());
    const int closeWidth = scale(kDriftCloseWidth, dpi());
    const int applyWidth = scale(kDriftApplyWidth, dpi());
    const int buttonTop = client.bottom - margin - buttonHeight;
    const int closeLeft = client.right - margin - closeWidth;
    SetWindowPos(item(kDriftText), nullptr, 0, 0, client.right, std::max(0, buttonTop - margin),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(item(kDriftApply), nullptr, closeLeft - margin - applyWidth, buttonTop, applyWidth,
                 buttonHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(item(kDriftClose), nullptr, closeLeft, buttonTop, closeWidth, buttonHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void DriftWindow::beforeShow() {
    SetWindowTextW(item(kDriftText), wide(form_.Memo1));
    EnableWindow(item(kDriftApply), form_.Button_Apply.enabled ? TRUE : FALSE);
}

void DriftWindow::onCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return;
    }
    if (id == kDriftApply) {
        form_.Button_ApplyClick();
        close();
    } else if (id == kDriftClose) {
        form_.Button_CloseClick();
        close();
    }
}

ToolKeyCommand DriftWindow::keyCommand(const KeyStroke& stroke, bool inText) const {
    return form_.keyCommand(stroke, inText);
}

void DriftWindow::cancel() {
    form_.Button_CloseClick();
    close();
}

} // namespace quillon::win32view
