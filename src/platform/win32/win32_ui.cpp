#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

#include "core/error.h"

#include <algorithm>
#include <vector>

namespace quillon::platform {

namespace {

using win32::Handle;
using win32::wide;

// Long enough for any path the dialog can return.
constexpr std::size_t kPathUnits = 32768;

class Win32Event : public WaitEvent {
public:
    explicit Win32Event(Handle event) : event_(std::move(event)) {}
    HANDLE get() const { return event_.get(); }

private:
    Handle event_;
};

// "Text|*.ext|Text|*.*" becomes the list of NUL-terminated strings the dialog reads, ended
// by one more NUL.
std::vector<wchar_t> dialogFilter(ustring_view filter) {
    std::vector<wchar_t> out;
    for (const char16_t c : filter) {
        out.push_back(c == u'|' ? L'\0' : static_cast<wchar_t>(c));
    }
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

std::optional<ustring> fileDialog(Win32Ui::FileDialogFn showDialog,
                                  const FileDialogRequest& request, bool save) {
    std::vector<wchar_t> path(kPathUnits, L'\0');
    const std::size_t initial = std::min(request.fileName.size(), kPathUnits - 1);
    std::copy(request.fileName.begin(), request.fileName.begin() + initial, path.begin());
    const std::vector<wchar_t> filter = dialogFilter(request.filter);
    const std::wstring title = wide(request.title);
    const std::wstring extension = wide(request.defaultExtension);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = ::GetActiveWindow();
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.data();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // The open dialog also takes names of files that do not exist yet: the program asks its
    // own questions. Neither dialog moves the process's current folder, against which the
    // command line resolves relative names.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR |
                OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : 0u);
    if (!showDialog(&ofn)) {
        return std::nullopt;
    }
    path.back() = L'\0';
    ustring chosenPath = win32::fromWide(path.data());
    // Windows appends the default extension to a name typed without one; Wine's open dialog
    // does not, so a name still without one gets it here.
    const std::size_t nameStart = chosenPath.find_last_of(u"\\/:") + 1;
    if (!request.defaultExtension.empty() && chosenPath.find(u'.', nameStart) == ustring::npos) {
        chosenPath += u"." + request.defaultExtension;
    }
    return chosenPath;
}

} // namespace

int Win32Ui::MessageBox(ustring_view text, ustring_view caption, std::uint32_t flags,
                        BoxOwner owner) {
    const HWND main = static_cast<HWND>(mainWindow_);
    const HWND window =
        owner == BoxOwner::MainWindow && main && ::IsWindow(main) ? main : ::GetActiveWindow();
    return ::MessageBoxW(window, wide(text).c_str(), wide(caption).c_str(), flags);
}

std::optional<ustring> Win32Ui::OpenFileDialog(const FileDialogRequest& request) {
    return fileDialog(dialogFunction("GetOpenFileNameW"), request, false);
}

std::optional<ustring> Win32Ui::SaveFileDialog(const FileDialogRequest& request) {
    return fileDialog(dialogFunction("GetSaveFileNameW"), request, true);
}

// comdlg32 stays loaded once a dialog has been shown: the next one comes quicker.
Win32Ui::FileDialogFn Win32Ui::dialogFunction(const char* name) {
    if (!comdlg32_) {
        comdlg32_ = win32::Library::system(L"comdlg32.dll");
    }
    const auto showDialog = comdlg32_.function<FileDialogFn>(name);
    if (!showDialog) {
        throw QuillonError(u"无法打开文件对话框：系统文件 comdlg32.dll 未能载入。");
    }
    return showDialog;
}

int Win32Ui::ShowModal(ModalForm& form) {
    for (const auto& [registered, show] : modalViews_) {
        if (registered == &form) {
            return show();
        }
    }
    throw QuillonError(u"窗口“" + form.modalCaption() + u"”无法显示。");
}

void Win32Ui::setModalView(const ModalForm& form, std::function<int()> show) {
    modalViews_.emplace_back(&form, std::move(show));
}

void Win32Ui::ProcessMessages() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the message loop, which ends on it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

std::unique_ptr<WaitEvent> Win32Ui::CreateEvent() {
    Handle event(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event) {
        return nullptr;
    }
    return std::make_unique<Win32Event>(std::move(event));
}

std::uint32_t Win32Ui::MsgWaitForMultipleObjects(WaitEvent& event, std::uint32_t timeoutMs,
                                                 std::uint32_t wakeMask) {
    const auto* own = dynamic_cast<Win32Event*>(&event);
    if (!own) {
        return WAIT_FAILED;
    }
    const HANDLE handle = own->get();
    return ::MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs, wakeMask);
}

void Win32Ui::Terminate() {
    ::PostQuitMessage(0);
}

bool Win32Ui::HotkeyTaken(std::uint32_t modifiers, std::uint32_t virtualKey) {
    // An id of the application range that the program uses for nothing else.
    constexpr int kProbeId = 0xB0F1;
    const HWND owner = static_cast<HWND>(mainWindow_);
    if (::RegisterHotKey(owner, kProbeId, modifiers, virtualKey)) {
        ::UnregisterHotKey(owner, kProbeId);
        return false;
    }
    // Any other refusal (an invalid key) says nothing about other programs.
    return ::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

void Win32Ui::ExitProcess(int exitCode) {
    ::ExitProcess(static_cast<UINT>(exitCode));
}

} // namespace quillon::platform
