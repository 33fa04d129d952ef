// The program entry: the main window, its start-up, and the message loop.
#include "app/tform1.h"
#include "app/win32/main_window.h"
#include "help/tform_help.h"
#include "help/win32/help_window.h"
#include "platform/win32/win32_platform.h"

#include <objbase.h>

namespace {

// COM for the TSF profile manager, apartment-threaded on the one UI thread.
class ComApartment {
public:
    ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (ok_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool ok_;
};

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // The process runs elevated: no DLL is ever taken from the current folder or PATH.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                        ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                                        ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);

    quillon::platform::Win32Platform windows;
    quillon::TForm1 form(windows.platform());
    quillon::win32view::MainWindow view(form, instance);
    view.create();
    windows.ui().setMainWindow(view.hwnd());
    view.dispatch([&] { form.FormCreate(); });

    // The help window comes into being after the main window's start-up, which therefore
    // never uses it.
    quillon::TFormHelp help(windows.platform(), form.scancode);
    quillon::win32view::HelpWindow helpView(help, instance, view.hwnd());
    view.dispatch([&] {
        helpView.create();
        form.FormHelp = &help;
    });

    // In a command-line run the window never shows and the single-argument handling comes
    // after the command pass; otherwise it runs just before the window appears.
    const bool interactive = form.ShowMainForm;
    view.dispatch([&] { form.FormShow(); });
    if (interactive && form.ShowMainForm) {
        view.show(showCommand);
    }

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!view.hwnd() || !IsDialogMessageW(view.hwnd(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // 1 when an error stopped a command-line run.
    return form.ExitCode;
}
