// The platform services other than the registry, over the real Windows calls.
#pragma once

// First: it undoes the A/W macros of <windows.h> that clash with the services' names.
#include "platform/win32/win32_handles.h"

#include "platform/services.h"

#include <optional>
#include <utility>
#include <vector>

namespace quillon::platform {

// msctf is loaded from the system folder for each profiles object, which keeps it loaded
// until the object and its enumerators are released. COM must already be initialised on
// the calling thread (apartment-threaded); that is the caller's job.
class Win32Tsf : public Tsf {
public:
    std::int32_t CreateInputProcessorProfiles(std::unique_ptr<TfProfiles>& out) override;
};

class Win32KeyboardLayouts : public KeyboardLayouts {
public:
    std::uint64_t LoadKeyboardLayout(ustring_view klid, std::uint32_t flags) override;
    bool UnloadKeyboardLayout(std::uint64_t hkl) override;
    std::uint64_t ActivateKeyboardLayout(std::uint64_t hkl, std::uint32_t flags) override;
};

class Win32Processes : public Processes {
public:
    void ShellExecute(ustring_view verb, ustring_view file, ustring_view parameters,
                      int show) override;
    CapturedOutput RunCaptured(ustring_view commandLine,
                               const std::function<void()>& serviceUi) override;
    void StartEarly(ustring_view commandLine) override;
    bool EarlyRunPending(ustring_view commandLine) override;
    ustring SystemDirectory() override;

    // A hidden child with stdout and stderr going into one pipe that only we read.
    struct CapturedRun {
        ustring commandLine;
        win32::Handle process; // none when the process could not be started
        win32::Handle readEnd;
        std::string bytes; // read while polling, before RunCaptured took the run over
    };

private:
    std::optional<CapturedRun> early_;
    // Loaded when first needed; the program's start does not use it.
    win32::Library shell32_;
};

class Win32System : public System {
public:
    std::uint32_t VersionMajor() override;
    std::uint32_t SystemDefaultLcid() override;
    ustring CommandLine() override;
    std::uint32_t TickCount() override;
    bool SystemParametersInfo(std::uint32_t action, std::uint32_t param,
                              std::uint32_t winIni) override;
    Guid UuidCreate() override;
    IndirectString SHLoadIndirectString(ustring_view source) override;
    ustring OemToText(std::string_view bytes) override;
    std::string TextToAnsi(ustring_view text) override;
    ustring AnsiToText(std::string_view bytes) override;
    LocalTime LocalNow() override;
    ustring LocalAppData() override;
};

class Win32Dialogs : public Dialogs {
public:
    int MessageBox(ustring_view text, ustring_view caption, std::uint32_t flags,
                   BoxOwner owner) override;
    std::optional<ustring> OpenFileDialog(const FileDialogRequest& request) override;
    std::optional<ustring> SaveFileDialog(const FileDialogRequest& request) override;
    // Runs the view registered for the form; QuillonError when there is none.
    int ShowModal(ModalForm& form) override;

    // The main window, once it exists: the owner of boxes that ask for it.
    void setMainWindow(void* window) { mainWindow_ = window; }
    // The views live above this layer: the program entry, which owns both the forms and their
    // views, tells which view shows a form modally and returns its result.
    void setModalView(const ModalForm& form, std::function<int()> show);

    // GetOpenFileNameW or GetSaveFileNameW.
    using FileDialogFn = BOOL(WINAPI*)(LPOPENFILENAMEW);

private:
    FileDialogFn dialogFunction(const char* name);

    void* mainWindow_ = nullptr; // HWND
    std::vector<std::pair<const ModalForm*, std::function<int()>>> modalViews_;
    // Loaded when a file dialog is first shown: with what it pulls in (the print spooler's
    // DLLs among them) it would otherwise lengthen every start.
    win32::Library comdlg32_;
};

class Win32MessageLoop : public MessageLoop {
public:
    void ProcessMessages() override;
    std::unique_ptr<WaitEvent> CreateEvent() override;
    // WAIT_FAILED for an event that this class did not make.
    std::uint32_t MsgWaitForMultipleObjects(WaitEvent& event, std::uint32_t timeoutMs,
                                            std::uint32_t wakeMask) override;
};

class Win32Hotkeys : public Hotkeys {
public:
    bool HotkeyTaken(std::uint32_t modifiers, std::uint32_t virtualKey) override;

    // The main window, once it exists: the probe's hotkey is registered to it.
    void setMainWindow(void* window) { mainWindow_ = window; }

private:
    void* mainWindow_ = nullptr; // HWND
};

class Win32ProcessEnd : public ProcessEnd {
public:
    void Terminate() override;
    [[noreturn]] void ExitProcess(int exitCode) override;
};

class Win32Files : public Files {
public:
    // CreateFileW with no sharing; a sharing violation is waited out in short sleeps.
    LockedFile LockFile(ustring_view path) override;
    FileContent ReadFile(ustring_view path) override;
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH puts the flushed new
    // file in place: a rename within one folder, so the old file stays whole until then.
    FileWrite WriteFile(ustring_view path, std::string_view bytes) override;
    // False for a directory.
    bool FileExists(ustring_view path) override;
    std::optional<ustring> FullPathName(ustring_view path) override;
    bool DirectoryExists(ustring_view path) override;
    bool CreateDirectory(ustring_view path) override;
    StringList FileNames(ustring_view folder) override;
    bool DeleteFile(ustring_view path) override;
};

} // namespace quillon::platform
