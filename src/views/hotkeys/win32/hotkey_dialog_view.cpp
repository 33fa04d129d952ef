#include "hotkeys/win32/hotkey_dialog_view.h"

#include "core/error.h"
#include "hotkeys/win32/hotkey_dialog_layout.h"
#include "ui/win32/dpi.h"
#include "ui/win32/fonts.h"
#include "ui/win32/window_text.h"

#include <utility>

namespace quillon::win32view {

namespace {

// An empty dialog: the controls are made in WM_INITDIALOG at the monitor's DPI, the way the
// main window makes its own.
struct alignas(4) EmptyDialogTemplate {
    DLGTEMPLATE dialog;
    WORD menu;
    WORD windowClass;
    WORD title;
};

HWND makeControl(HWND parent, HINSTANCE instance, const wchar_t* cls, DWORD style, int id) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void setStyleBit(HWND control, DWORD bit, bool on) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    const DWORD wanted = on ? style | bit : style & ~bit;
    if (wanted != style) {
        SetWindowLongPtrW(control, GWL_STYLE, static_cast<LONG_PTR>(wanted));
    }
}

void syncState(HWND control, const Control& model) {
    if (static_cast<bool>(IsWindowEnabled(control)) != model.enabled) {
        EnableWindow(control, model.enabled);
    }
    // The window's own style: IsWindowVisible is false for every control until the dialog
    // itself shows.
    const bool shown = (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != model.visible) {
        ShowWindow(control, model.visible ? SW_SHOWNA : SW_HIDE);
    }
}

void syncCheck(HWND control, bool checked) {
    const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(SendMessageW(control, BM_GETCHECK, 0, 0)) != state) {
        SendMessageW(control, BM_SETCHECK, state, 0);
    }
}

} // namespace

HotkeyDialogView::HotkeyDialogView(TForm2& form, HINSTANCE instance)
    : form_(form), instance_(instance) {}

int HotkeyDialogView::scale(int v) const {
    return win32view::scale(v, dpi_);
}

int HotkeyDialogView::showModal(HWND owner) {
    EmptyDialogTemplate empty{};
    empty.dialog.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    empty.dialog.dwExtendedStyle = WS_EX_CONTROLPARENT;
    empty.dialog.cx = 10;
    empty.dialog.cy = 10;
    owner_ = owner;
    failure_ = nullptr;
    const INT_PTR result = DialogBoxIndirectParamW(instance_, &empty.dialog, owner, &dialogProc,
                                                   reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    tooltips_.reset();
    shownKeys_.clear();
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
    if (result == -1) {
        throw QuillonError(u"无法打开热键设置窗口。");
    }
    return result == IDOK ? platform::kIdOk : platform::kIdCancel;
}

void HotkeyDialogView::createControls() {
    // Creation order is tab order and z-order: the radio items, the side boxes, then the frame
    // below them all, which it must not paint over.
    for (int i = 0; i < kDialogRadioItems; ++i) {
        makeControl(hwnd_, instance_, WC_BUTTONW, BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0),
                    kDialogRadioItem0 + i);
    }
    makeControl(hwnd_, instance_, WC_BUTTONW, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP,
                kDialogCheckLeft);
    makeControl(hwnd_, instance_, WC_BUTTONW, BS_AUTOCHECKBOX | WS_TABSTOP, kDialogCheckRight);
    makeControl(hwnd_, instance_, WC_BUTTONW, BS_GROUPBOX | WS_GROUP | WS_CLIPSIBLINGS,
                kDialogRadioGroup);
    makeControl(hwnd_, instance_, WC_STATICW, SS_LEFT | WS_GROUP, kDialogLabel1);
    makeControl(hwnd_, instance_, WC_COMBOBOXW,
                CBS_DROPDOWNLIST | WS_VSCROLL | WS_GROUP | WS_TABSTOP, kDialogKeys);
    makeControl(hwnd_, instance_, WC_BUTTONW, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, kDialogOk);
    makeControl(hwnd_, instance_, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, kDialogCancel);
    tooltips_.emplace();
    tooltips_->create(hwnd_, instance_);
}

void HotkeyDialogView::applyFonts() {
    // Tahoma of 11 pixels at 96 dpi. Tahoma has no Chinese characters: with the default
    // character set the font mapper keeps Tahoma, and the system's font linking draws the
    // Chinese captions in the face linked to it.
    font_ = makeFont(kDialogFont, dpi_);
    setFontOfChildren(hwnd_, font_.get());
    tooltips_->setFont(font_.get(), dpi_);
}

void HotkeyDialogView::layout() {
    const SIZE outer =
        windowSizeForClient(hwnd_, scale(kDialogClientWidth), scale(kDialogClientHeight), dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const auto place = [&](int id, int x, int y, int w, int h) {
        SetWindowPos(item(id), nullptr, scale(x), scale(y), scale(w), scale(h),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (int i = 0; i < kDialogRadioItems; ++i) {
        place(kDialogRadioItem0 + i, kDialogItemLeft, kDialogItemTop + i * kDialogItemPitch,
              kDialogItemWidth, kDialogItemPitch);
    }
    for (const DialogPlacement& p : kDialogPlaces) {
        place(p.id, p.x, p.y, p.w, p.h);
    }
    tooltips_->updatePlaces();
}

void HotkeyDialogView::onInit() {
    keepDialogScalingToView(hwnd_);
    form_.FormShow();
    createControls();
    // Over the owner first, so that the DPI read is that of the monitor it is shown on.
    RECT over{};
    GetWindowRect(owner_, &over);
    centreWindow(hwnd_, over, workAreaOf(owner_));
    dpi_ = dpiOf(hwnd_);
    applyFonts();
    layout();
    centreWindow(hwnd_, over, workAreaOf(hwnd_));
    sync();

    // The focus starts on the chosen modifier, or where Tab would take it first.
    const int chosen = form_.RadioGroup1.itemIndex;
    HWND first = chosen >= 0 ? item(kDialogRadioItem0 + chosen) : nullptr;
    if (!first || !IsWindowEnabled(first)) {
        first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    }
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
}

void HotkeyDialogView::sync() {
    syncing_ = true;
    setWindowText(hwnd_, form_.Caption);
    const RadioGroup& group = form_.RadioGroup1;
    setWindowText(item(kDialogRadioGroup), group.caption);
    syncState(item(kDialogRadioGroup), group);
    // Tab reaches the group at its chosen item, or at its first item that can be chosen.
    int tabStop = -1;
    for (int i = 0; i < kDialogRadioItems; ++i) {
        const bool offered = group.itemEnabled[static_cast<std::size_t>(i)] && group.enabled;
        if (offered && (tabStop < 0 || i == group.itemIndex)) {
            tabStop = i;
        }
    }
    for (int i = 0; i < kDialogRadioItems; ++i) {
        HWND radio = item(kDialogRadioItem0 + i);
        const auto index = static_cast<std::size_t>(i);
        setWindowText(radio, group.items[index]);
        Control state;
        state.enabled = group.enabled && group.itemEnabled[index];
        state.visible = group.visible;
        syncState(radio, state);
        syncCheck(radio, i == group.itemIndex);
        setStyleBit(radio, WS_TABSTOP, i == tabStop);
    }
    for (const auto& [id, box] : {std::pair{kDialogCheckLeft, &form_.CheckBox_left},
                                  std::pair{kDialogCheckRight, &form_.CheckBox_right}}) {
        setWindowText(item(id), box->caption);
        syncState(item(id), *box);
        syncCheck(item(id), box->checked);
    }
    setWindowText(item(kDialogLabel1), form_.Label1.caption);
    syncState(item(kDialogLabel1), form_.Label1);

    HWND keys = item(kDialogKeys);
    const ComboBox& list = form_.ComboBox1;
    syncComboBox(keys, list, shownKeys_);
    syncState(keys, list);

    for (const auto& [id, button] :
         {std::pair{kDialogOk, &form_.Button1}, std::pair{kDialogCancel, &form_.Button2}}) {
        setWindowText(item(id), button->caption);
        syncState(item(id), *button);
    }

    // Resting the mouse anywhere on the dialog shows its hint.
    tooltips_->setWindowHint(form_.Hint);
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        tooltips_->setHint(child, form_.Hint);
    }
    syncing_ = false;
}

void HotkeyDialogView::close(int result) {
    if (form_.CloseQuery(result == IDOK ? platform::kIdOk : platform::kIdCancel)) {
        EndDialog(hwnd_, result);
    } else {
        sync();
    }
}

void HotkeyDialogView::onCommand(int id, int code, HWND control) {
    if (syncing_) {
        return;
    }
    const auto checked = [control] {
        return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    if (id == IDOK || id == IDCANCEL) {
        // 确定 and Enter; 取消, Esc and the close box.
        close(id);
        return;
    }
    if (id >= kDialogRadioItem0 && id < kDialogRadioItem0 + kDialogRadioItems) {
        if (code == BN_CLICKED && checked()) {
            form_.RadioGroup1.itemIndex = id - kDialogRadioItem0;
            form_.RadioGroup1Click();
            sync();
        }
        return;
    }
    if ((id == kDialogCheckLeft || id == kDialogCheckRight) && code == BN_CLICKED) {
        (id == kDialogCheckLeft ? form_.CheckBox_left : form_.CheckBox_right).checked = checked();
        form_.CheckBox_leftClick();
        sync();
        return;
    }
    if (id == kDialogKeys && code == CBN_SELCHANGE) {
        form_.ComboBox1.itemIndex = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
    }
}

INT_PTR HotkeyDialogView::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        onInit();
        return FALSE; // the focus is set
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        applyFonts();
        layout();
        const auto* suggested = reinterpret_cast<RECT*>(lParam);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK HotkeyDialogView::dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<HotkeyDialogView*>(lParam);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<HotkeyDialogView*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self || self->failure_) {
        return FALSE;
    }
    // No exception may cross the dialog manager: it closes the dialog and is thrown again by
    // showModal.
    try {
        return self->handle(msg, wParam, lParam);
    } catch (...) {
        self->failure_ = std::current_exception();
        EndDialog(hwnd, IDCANCEL);
        return TRUE;
    }
}

} // namespace quillon::win32view
