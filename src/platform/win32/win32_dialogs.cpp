#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

#include "core/error.h"

#include <algorithm>
#include <vector>

namespace quillon::platform {

namespace {

using win32::wide;

// Long enough for any path the dialog can return.
constexpr std::size_t kPathUnits = 32768;

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

std::optional<ustring> fileDialog(Win32Dialogs::FileDialogFn showDialog,
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

int Win32Dialogs::MessageBox(ustring_view text, ustring_view caption, std::uint32_t flags,
                             BoxOwner owner) {
    const HWND main = static_cast<HWND>(mainWindow_);
    const HWND window =
        owner == BoxOwner::MainWindow && main && ::IsWindow(main) ? main : ::GetActiveWindow();
    return ::MessageBoxW(window, wide(text).c_str(), wide(caption).c_str(), flags);
}

std::optional<ustring> Win32Dialogs::OpenFileDialog(const FileDialogRequest& request) {
    return fileDialog(dialogFunction("GetOpenFileNameW"), request, false);
}

std::optional<ustring> Win32Dialogs::SaveFileDialog(const FileDialogRequest& request) {
    return fileDialog(dialogFunction("GetSaveFileNameW"), request, true);
}

// comdlg32 stays loaded once a dialog has been shown: the next one comes quicker.
Win32Dialogs::FileDialogFn Win32Dialogs::dialogFunction(const char* name) {
    if (!comdlg32_) {
        comdlg32_ = win32::Library::system(L"comdlg32.dll");
    }
    const auto showDialog = comdlg32_.function<FileDialogFn>(name);
    if (!showDialog) {
        throw QuillonError(u"无法打开文件对话框：系统文件 comdlg32.dll 未能载入。");
    }
    return showDialog;
}

int Win32Dialogs::ShowModal(ModalForm& form) {
    for (const auto& [registered, show] : modalViews_) {
        if (registered == &form) {
            return show();
        }
    }
    throw QuillonError(u"窗口“" + form.modalCaption() + u"”无法显示。");
}

void Win32Dialogs::setModalView(const ModalForm& form, std::function<int()> show) {
    modalViews_.emplace_back(&form, std::move(show));
}

} // namespace quillon::platform
