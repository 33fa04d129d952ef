// The program entry: the main window, its start-up, and the message loop.
#include "app/tform1.h"
#include "app/win32/main_window.h"
#include "drift/tform_drift.h"
#include "drift/win32/drift_window.h"
#include "help/tform_help.h"
#include "help/win32/help_window.h"
#include "hotkeys/hotkey_dialog.h"
#include "hotkeys/win32/hotkey_dialog_view.h"
#include "platform/win32/win32_platform.h"

#include <objbase.h>

namespace {

namespace platform = quillon::platform;

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

// The process runs elevated: no DLL is ever taken from the current folder or PATH. Looked up
// at run time: a Windows without it must still start the program far enough to show the
// version message.
void restrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        // At least the current folder leaves the search.
        SetDllDirectoryW(L"");
    }
}

// comctl32 is loaded, not imported, so that its start (on Wine it waits for the desktop
// process) overlaps the language query instead of coming before the program's first line.
// By its bare name: the manifest's dependency redirects it to the side-by-side version 6, and
// the restricted search never looks beside the program. It stays loaded for the whole run.
platform::win32::Library loadCommonControls() {
    platform::win32::Library comctl32(LoadLibraryW(L"comctl32.dll"));
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (const auto init = comctl32.function<InitFn>("InitCommonControlsEx")) {
        const INITCOMMONCONTROLSEX controls{
            sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                  ICC_TAB_CLASSES | ICC_LINK_CLASS};
        init(&controls);
    }
    return comctl32;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    restrictDllSearch();
    quillon::platform::Win32Platform windows;
    quillon::TForm1 form(windows.platform());
    // PowerShell takes longest of all the start does: it runs while the window is built.
    form.StartLanguageQuery();
    const platform::win32::Library commonControls = loadCommonControls();
    const ComApartment com;

    quillon::win32view::MainWindow view(form, instance);
    view.create();
    windows.ui().setMainWindow(view.hwnd());
    view.dispatch([&] { form.FormCreate(); });

    // The other windows come after FormCreate, which must not use them: the hotkey dialog,
    // the help window, the differences window.
    quillon::TForm2 hotkeyDialog(form);
    quillon::win32view::HotkeyDialogView hotkeyDialogView(hotkeyDialog, instance);
    form.Form2 = &hotkeyDialog;
    windows.ui().setModalView(hotkeyDialog,
                              [&] { return hotkeyDialogView.showModal(view.hwnd()); });
    quillon::TFormHelp help(windows.platform(), form.scancode);
    // Its native window is made when it is first shown.
    quillon::win32view::HelpWindow helpView(help, instance, view.hwnd());
    form.FormHelp = &help;
    quillon::TFormDrift drift;
    quillon::win32view::DriftWindow driftView(drift, instance, view.hwnd());
    form.FormDrift = &drift;

    // In a command-line run the window never shows and the single-argument handling comes
    // after the command pass; otherwise it runs just before the window appears.
    const bool interactive = form.ShowMainForm;
    view.dispatch([&] { form.FormShow(); });
    if (interactive && form.ShowMainForm) {
        view.show(showCommand);
    }

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The window's own keys first: the dialog navigation would take Enter and the arrows.
        if (view.translateShortcut(msg)) {
            continue;
        }
        if (!view.hwnd() || !IsDialogMessageW(view.hwnd(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // 1 when an error stopped a command-line run.
    return form.ExitCode;
}
