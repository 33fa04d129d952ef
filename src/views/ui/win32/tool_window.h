// The view of a read-only tool window (the help window, the differences window): a sizeable
// tool window over the main window, made when first shown and hidden between showings, shown
// modally whenever its model asks, scaled for its monitor's DPI, and closed by Escape and the
// close box as by its close button. A view derived from it makes its own controls, lays them
// out and answers its own buttons.
#pragma once

#include "app/tool_form.h"
#include "ui/win32/accessibility.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/view_window_proc.h"

namespace quillon::win32view {

// What a tool window is made of: its class, icon, size and the ids of its text and default button.
struct ToolWindowTraits {
    const wchar_t* className; // the test bed finds the window by it
    int iconId;
    int clientWidth, clientHeight; // at 96 dpi
    int defaultButton;             // has the focus when the window opens
    int textId;                    // the read-only text
    const char16_t* failure;       // the message when the window cannot be made
};

class ToolWindow {
public:
    ToolWindow(const ToolWindow&) = delete;
    ToolWindow& operator=(const ToolWindow&) = delete;

    HWND hwnd() const { return hwnd_; }

protected:
    ToolWindow(ToolForm& form, const ToolWindowTraits& traits, HINSTANCE instance, HWND owner);
    virtual ~ToolWindow();

    // Makes the child windows, in tab order.
    virtual void createControls() = 0;
    // Places them in the client area at the current DPI.
    virtual void layout() = 0;
    // Once the font of a new DPI is set, before the window takes its size.
    virtual void fontChanged() {}
    // Each time, just before the window shows.
    virtual void beforeShow() {}
    virtual void onCommand(int id, int code) = 0;
    virtual void onNotify(const NMHDR& header) { (void)header; }
    // What a key does before the control with the focus sees it (the model's rule).
    virtual ToolKeyCommand keyCommand(const KeyStroke& stroke, bool inText) const = 0;
    // Escape, the close box and a key that closes: what the close button does.
    virtual void cancel() = 0;

    HWND makeControl(int id, const wchar_t* windowClass, DWORD style, DWORD exStyle,
                     const ustring& text);
    // The read-only multi-line text, with the model's name for it.
    HWND makeText();
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    UINT dpi() const { return dpi_; }
    HFONT font() const { return font_.get(); }
    // Ends the modal loop.
    void close() { open_ = false; }

private:
    friend LRESULT CALLBACK viewWindowProc<ToolWindow>(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void create();
    // Shows the window with its owner disabled and returns once it is closed.
    void showModal();
    void applyDpi(UINT dpi);
    // Tab, Shift+Tab, Escape and Enter as keyCommand says; true when the message was one.
    bool translateKey(const MSG& msg);

    ToolForm& model_;
    const ToolWindowTraits traits_;
    HINSTANCE instance_;
    HWND owner_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    Font font_;
    bool open_ = false;
    AccessibleAnnotations annotations_;
};

} // namespace quillon::win32view
