// The Win32 view of TFormHelp: a sizeable tool window that is created when first shown, then
// hidden between showings, and shown modally over the main window whenever the model asks.
#pragma once

#include "help/tform_help.h"
#include "ui/win32/accessibility.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/view_window_proc.h"

namespace quillon::win32view {

class HelpWindow {
public:
    HelpWindow(TFormHelp& form, HINSTANCE instance, HWND owner);
    ~HelpWindow();
    HelpWindow(const HelpWindow&) = delete;
    HelpWindow& operator=(const HelpWindow&) = delete;

    HWND hwnd() const { return hwnd_; }

private:
    // Creates the hidden window and its controls.
    void create();
    // Shows the window with its owner disabled and returns once it is closed.
    void showModal();
    friend LRESULT CALLBACK viewWindowProc<HelpWindow>(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void applyDpi(UINT dpi);
    void layout();
    void setTabStop();
    void close();
    // Tab, Shift+Tab, Escape and Enter as the model says; true when the message was one.
    bool translateKey(const MSG& msg);
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

    TFormHelp& form_;
    HINSTANCE instance_;
    HWND owner_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    Font font_;
    bool open_ = false;
    AccessibleAnnotations annotations_;
};

} // namespace quillon::win32view
