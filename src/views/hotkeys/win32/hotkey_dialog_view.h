// The Win32 view of TForm2: a modal dialog owned by the main window and centred over it,
// scaled for its monitor's DPI like the main window. It turns clicks into model changes and
// handler calls and keeps the controls in step with the model; the model decides everything.
#pragma once

#include "hotkeys/hotkey_dialog.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/tooltips.h"

#include <exception>
#include <optional>

namespace quillon::win32view {

class HotkeyDialogView {
public:
    HotkeyDialogView(TForm2& form, HINSTANCE instance);
    HotkeyDialogView(const HotkeyDialogView&) = delete;
    HotkeyDialogView& operator=(const HotkeyDialogView&) = delete;

    // Shows the dialog over `owner` until it closes; returns kIdOk or kIdCancel. An error
    // raised inside the dialog closes it and is thrown from here, where the handler that
    // opened it reports it.
    int showModal(HWND owner);

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void onInit();
    void createControls();
    void applyFonts();
    void layout();
    void sync();
    void onCommand(int id, int code, HWND control);
    void close(int result);
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    int scale(int v) const;

    TForm2& form_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    UINT dpi_ = 96;
    Font font_;
    std::optional<Tooltips> tooltips_;
    StringList shownKeys_;
    bool syncing_ = false;
    std::exception_ptr failure_;
};

} // namespace quillon::win32view
