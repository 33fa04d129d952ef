// The platform services other than the registry. The Win32 build implements them over the
// real APIs; the substitute implements them in memory for unit tests.
#pragma once

#include "core/guid.h"
#include "core/text.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quillon::platform {

// ---- Text Services Framework -------------------------------------------------------------

constexpr std::uint32_t kTfProfileTypeInputProcessor = 1;
constexpr std::uint32_t kTfIppFlagActive = 1;
constexpr std::uint32_t kTfIppFlagEnabled = 2;
constexpr std::uint32_t kTfIppmfEnableProfile = 1;
constexpr std::uint32_t kTfIppmfDisableProfile = 2;
constexpr std::uint32_t kTfIppmfForProcess = 0x10000000;
constexpr std::uint32_t kTfIppmfForSession = 0x20000000;

// TF_INPUTPROCESSORPROFILE.
struct TfProfile {
    std::uint32_t profileType = 0;
    std::uint16_t langid = 0;
    Guid clsid;
    Guid guidProfile;
    Guid catid;
    std::uint64_t hklSubstitute = 0;
    std::uint32_t caps = 0;
    std::uint64_t hkl = 0;
    std::uint32_t flags = 0;
};

class TfProfileEnum {
public:
    virtual ~TfProfileEnum() = default;
    // IEnumTfInputProcessorProfiles::Next with a count of 1; false when none was fetched.
    virtual bool Next(TfProfile& profile) = 0;
};

// The object TF_CreateInputProcessorProfiles makes: ITfInputProcessorProfiles and, when the
// object offers it, ITfInputProcessorProfileMgr. Released when destroyed.
class TfProfiles {
public:
    virtual ~TfProfiles() = default;
    virtual bool HasProfileMgr() const = 0;
    // Null when no enumerator is returned.
    virtual std::unique_ptr<TfProfileEnum> EnumProfiles(std::uint16_t langid) = 0;
    // Nullopt when the call fails.
    virtual std::optional<ustring>
    GetLanguageProfileDescription(const Guid& clsid, std::uint16_t langid, const Guid& profile) = 0;
    virtual std::int32_t ActivateProfile(std::uint32_t profileType, std::uint16_t langid,
                                         const Guid& clsid, const Guid& profile, std::uint64_t hkl,
                                         std::uint32_t flags) = 0;
    virtual std::int32_t DeactivateProfile(std::uint32_t profileType, std::uint16_t langid,
                                           const Guid& clsid, const Guid& profile,
                                           std::uint64_t hkl, std::uint32_t flags) = 0;
    virtual std::int32_t Unregister(const Guid& clsid) = 0;
};

class Tsf {
public:
    virtual ~Tsf() = default;
    // TF_CreateInputProcessorProfiles: 0 on success, with `out` filled.
    virtual std::int32_t CreateInputProcessorProfiles(std::unique_ptr<TfProfiles>& out) = 0;
};

// ---- Keyboard layouts ----------------------------------------------------------------------

constexpr std::uint32_t kKlfReplaceLang = 0x10;
constexpr std::uint32_t kKlfReset = 0x40000000;
constexpr std::uint32_t kKlfShiftLock = 0x10000;

// Handles are carried as 64-bit values, as wide as HKL on 64-bit Windows.
class KeyboardLayouts {
public:
    virtual ~KeyboardLayouts() = default;
    virtual std::uint64_t LoadKeyboardLayout(ustring_view klid, std::uint32_t flags) = 0;
    virtual bool UnloadKeyboardLayout(std::uint64_t hkl) = 0;
    virtual std::uint64_t ActivateKeyboardLayout(std::uint64_t hkl, std::uint32_t flags) = 0;
};

// ---- Processes -----------------------------------------------------------------------------

constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;

struct CapturedOutput {
    bool started = false; // false when the pipe or the process could not be made
    std::string bytes;    // everything written to stdout and stderr, in the OEM code page
};

class Processes {
public:
    virtual ~Processes() = default;
    // ShellExecuteW with no owner window and no working directory; an empty verb is none.
    virtual void ShellExecute(ustring_view verb, ustring_view file, ustring_view parameters,
                              int show) = 0;
    // Runs a whole command line hidden, stdout and stderr into one pipe, and waits for it in
    // waits of 100 ms, calling `serviceUi` after each wait.
    virtual CapturedOutput RunCaptured(ustring_view commandLine,
                                       const std::function<void()>& serviceUi) = 0;
    // Starts, hidden, a command line that RunCaptured will soon be asked for, so that it runs
    // while the caller does other work; RunCaptured with the same line then waits for this run
    // instead of starting another. A run never asked for is left to end on its own. An early
    // run that could not be started is not tried again: RunCaptured reports it as not started.
    virtual void StartEarly(ustring_view commandLine) = 0;
    // Whether the run StartEarly began for this line is still running, so that RunCaptured
    // would wait for it. Never waits; reads what the run has written so far, so that a child
    // writing more than the pipe holds is never held up by a reader that only polls.
    virtual bool EarlyRunPending(ustring_view commandLine) = 0;
    // GetSystemDirectoryW, without a trailing "\".
    virtual ustring SystemDirectory() = 0;
};

// ---- System --------------------------------------------------------------------------------

constexpr std::uint32_t kSpiSetLangToggle = 0x5B;
constexpr std::uint32_t kSpifSendWinIniChange = 2;

struct IndirectString {
    std::int32_t result = 0; // HRESULT of SHLoadIndirectString
    ustring text;            // the buffer up to its first zero
    ustring errorMessage;    // the system's text for the last error when result != 0
};

// GetLocalTime.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

class System {
public:
    virtual ~System() = default;
    virtual std::uint32_t VersionMajor() = 0; // GetVersionExW
    virtual std::uint32_t SystemDefaultLcid() = 0;
    virtual ustring CommandLine() = 0;
    virtual std::uint32_t TickCount() = 0;
    virtual bool SystemParametersInfo(std::uint32_t action, std::uint32_t param,
                                      std::uint32_t winIni) = 0;
    virtual Guid UuidCreate() = 0;
    virtual IndirectString SHLoadIndirectString(ustring_view source) = 0;
    // Console (OEM) bytes through OemToCharA, then read in the ANSI code page.
    virtual ustring OemToText(std::string_view bytes) = 0;
    virtual std::string TextToAnsi(ustring_view text) = 0;
    virtual ustring AnsiToText(std::string_view bytes) = 0;
    virtual LocalTime LocalNow() = 0;
    // The user's local application-data folder (%LOCALAPPDATA%), without a trailing "\";
    // empty when the user has none.
    virtual ustring LocalAppData() = 0;
};

// ---- Modal interaction and the message loop ------------------------------------------------

constexpr std::uint32_t kMbIconInformation = 0x40;
constexpr std::uint32_t kMbIconQuestion = 0x20;
constexpr std::uint32_t kMbIconWarning = 0x30;
constexpr std::uint32_t kMbIconError = 0x10;
constexpr std::uint32_t kMbYesNo = 0x04;
constexpr std::uint32_t kMbDefButton2 = 0x100;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr std::uint32_t kMbOk = 0x00;

constexpr std::uint32_t kWaitTimeout = 0x102;
constexpr std::uint32_t kQsAllInput = 0x04FF;

struct FileDialogRequest {
    ustring title;
    ustring filter;           // "描述|*.ext|描述|*.*"
    ustring defaultExtension; // without the dot
    ustring fileName;
};

// A window of the program shown modally (the hotkey dialog, later the help window). Whoever
// shows it (the Win32 view, or a unit test's script) calls these as the real window's events
// happen.
class ModalForm {
public:
    virtual ~ModalForm() = default;
    virtual ustring modalCaption() const = 0;
    // Each time the window is about to appear.
    virtual void FormShow() = 0;
    // Whether the window may close with this result (kIdOk, kIdCancel); false keeps it open.
    virtual bool CloseQuery(int modalResult) = 0;
};

// An unnamed auto-reset event that only gives a wait a handle. Closed when destroyed.
class WaitEvent {
public:
    virtual ~WaitEvent() = default;
};

// Which window a message box belongs to: the one active when it opens, or the main window
// (whichever window is active then, even none, as during a wait or a command-line run).
enum class BoxOwner { ActiveWindow, MainWindow };

class Ui {
public:
    virtual ~Ui() = default;
    // MessageBoxW; returns the button pressed.
    virtual int MessageBox(ustring_view text, ustring_view caption, std::uint32_t flags,
                           BoxOwner owner = BoxOwner::ActiveWindow) = 0;
    // The open-file dialog: it asks no overwrite question, accepts the name of a file that does
    // not exist (in a folder that does), and appends the default extension to a name typed
    // without one. Nullopt when cancelled.
    virtual std::optional<ustring> OpenFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<ustring> SaveFileDialog(const FileDialogRequest& request) = 0;
    // Shows the window modally over the active window; returns how it was closed (kIdOk,
    // kIdCancel).
    virtual int ShowModal(ModalForm& form) = 0;
    // Dispatches every pending window message, user input included.
    virtual void ProcessMessages() = 0;
    virtual std::unique_ptr<WaitEvent> CreateEvent() = 0;
    // MsgWaitForMultipleObjects on one handle, wait-all FALSE.
    virtual std::uint32_t MsgWaitForMultipleObjects(WaitEvent& event, std::uint32_t timeoutMs,
                                                    std::uint32_t wakeMask) = 0;
    // Asks the application to end once the current handler returns.
    virtual void Terminate() = 0;
    // Ends the process at once.
    virtual void ExitProcess(int exitCode) = 0;
    // Whether another program holds the system-wide hotkey (RegisterHotKey's MOD_ALT,
    // MOD_CONTROL, MOD_SHIFT, MOD_WIN and a virtual key): asked by registering it for a moment.
    // Nothing stays registered, whatever the answer.
    virtual bool HotkeyTaken(std::uint32_t modifiers, std::uint32_t virtualKey) = 0;
};

// ---- Files ---------------------------------------------------------------------------------

struct FileContent {
    bool read = false;
    std::string bytes;
    ustring reason; // the system's text for the error when nothing could be read
};

struct FileWrite {
    enum class Failure {
        None,
        NewFile, // the new content could not be created, written or flushed
        Replace, // it was complete, but the existing file could not be replaced
    };
    Failure failure = Failure::None;
    ustring reason; // the system's text for the error

    bool ok() const { return failure == Failure::None; }
};

// An open lock file: held until the object goes.
class FileLock {
public:
    virtual ~FileLock() = default;
};

struct LockedFile {
    std::unique_ptr<FileLock> lock; // null when the file could not be locked
    ustring reason;                 // why not, for the user
};

class Files {
public:
    virtual ~Files() = default;
    // Opens the file (making it when it is not there) shared with no one, for as long as the
    // returned lock lives: two processes that lock the same file take turns. While another
    // holds it, waits for it a few seconds before giving up.
    virtual LockedFile LockFile(ustring_view path) = 0;
    virtual FileContent ReadFile(ustring_view path) = 0;
    // Makes `bytes` the whole content of `path`, creating it or replacing it in one step: the
    // bytes go into a new file in the same folder, which is flushed and only then takes the
    // place of the old one. On any failure the old file is as it was and no new file is left.
    virtual FileWrite WriteFile(ustring_view path, std::string_view bytes) = 0;
    virtual bool FileExists(ustring_view path) = 0;
    // GetFullPathNameW: a relative name joined to the current folder, "." and ".." resolved;
    // nullopt when the name cannot be made absolute.
    virtual std::optional<ustring> FullPathName(ustring_view path) = 0;
    // True for an existing folder (a trailing "\" allowed), false for a file or nothing.
    virtual bool DirectoryExists(ustring_view path) = 0;
    // Makes the folder when it is not there yet; true when it exists afterwards.
    virtual bool CreateDirectory(ustring_view path) = 0;
    // The names of the files (not folders) directly in the folder; empty when there is none.
    virtual StringList FileNames(ustring_view folder) = 0;
    virtual bool DeleteFile(ustring_view path) = 0;
};

} // namespace quillon::platform
