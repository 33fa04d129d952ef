// The Win32 view of TForm1: creates the native controls from the layout table, keeps them in
// step with the model, and turns user input into model changes and handler calls.
#pragma once

#include "app/tform1.h"
#include "app/win32/main_window_layout.h"
#include "ui/win32/accessibility.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/tooltips.h"
#include "ui/win32/view_window_proc.h"

#include <functional>
#include <map>

namespace quillon::win32view {

class MainWindow {
public:
    MainWindow(TForm1& form, HINSTANCE instance);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the (hidden) window and its controls.
    void create();
    HWND hwnd() const { return hwnd_; }
    // Model -> controls.
    void sync();
    // Runs one handler at the event boundary: an error is shown in the standard error box and
    // the application goes on.
    void dispatch(const std::function<void()>& handler);
    void show(int showCommand);
    // The window's own keys (app/keyboard.h), looked at in the message loop before the
    // dialog navigation; true when the message was one and has been carried out.
    bool translateShortcut(const MSG& msg);

private:
    friend LRESULT CALLBACK viewWindowProc<MainWindow>(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT onNotify(NMHDR* header);
    void onCommand(int id, int code, HWND control);
    void onContextMenu(HWND source, int x, int y);
    void onDrawHelpButton(const DRAWITEMSTRUCT& item);
    void drawHelpPicture(HDC dc, const RECT& rect, bool enabled);
    void onComboNotify(int id, int code, HWND control);
    void openOtherMenu();
    // The model's control that has the keyboard focus; null when none of the window's has.
    Control* focusedControl();
    // Puts the focus where the model says it belongs after `had` had it, unless an enabled
    // control of the window already has it (a handler moved it there).
    void restoreFocus(Control* had);
    HWND controlHandle(const Control* control);
    // The hints, once the window is painted: they show only under the mouse, and until then
    // they would only delay the first paint (and command-line runs, which never show it).
    void attachHints();
    // Names and descriptions for assistive technology, once the window is on screen.
    void annotate();
    // The system's colours or high-contrast setting changed.
    void onSystemColours();
    // Looks for the language names on a timer until they have come; never inside a handler,
    // whose state they would change under it.
    void onLanguageTimer();
    void createControls();
    void layout();
    void applyFonts();
    void syncList(int id, const ListView& model, EntryList& shown);
    void syncControl(int id, const Control& model);
    void showMenu(const Menu& menu, int base, int x, int y);
    int scale(int v) const { return win32view::scale(v, dpi_); }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    Control* modelControl(int id);

    TForm1& form_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    Tooltips tooltips_;
    UINT dpi_ = 96;
    Font font_;
    Font boldFont_;
    // The help button's picture, enabled and disabled; magenta is transparent.
    Bitmap helpBitmaps_[2];
    bool syncing_ = false;
    int dispatching_ = 0; // handlers running, nested ones (in a message box's loop) included
    bool systemMenuDone_ = false;
    // The control that had the focus when the window was last deactivated or a handler began.
    Control* savedFocus_ = nullptr;
    EntryList shown1_;
    EntryList shown2_;
    int shownDefime_ = -2;
    bool shownHighContrast_ = false;
    AccessibleAnnotations annotations_;
    bool annotating_ = false;
    std::map<int, StringList> shownItems_;
};

} // namespace quillon::win32view
