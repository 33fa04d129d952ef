// The Win32 view of TFormDrift: a sizeable tool window with the read-only text and two buttons,
// created when first shown, hidden between showings, shown modally over the main window.
#pragma once

#include "drift/tform_drift.h"
#include "ui/win32/accessibility.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/view_window_proc.h"

namespace quillon::win32view {

class DriftWindow {
public:
    DriftWindow(TFormDrift& form, HINSTANCE instance, HWND owner);
    ~DriftWindow();
    DriftWindow(const DriftWindow&) = delete;
    DriftWindow& operator=(const DriftWindow&) = delete;

private:
    void create();
    void showModal();
    bool translateKey(const MSG& msg);
    friend LRESULT CALLBACK viewWindowProc<DriftWindow>(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void applyDpi(UINT dpi);
    void layout();
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

    TFormDrift& form_;
    HINSTANCE instance_;
    HWND owner_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    Font font_;
    bool open_ = false;
    AccessibleAnnotations annotations_;
};

} // namespace quillon::win32view
