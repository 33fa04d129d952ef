// The in-memory Windows the unit tests run against. Every call that reaches "Windows" is
// recorded in one ordered log; answers are scripted; the clock is virtual, so a six-second
// wait costs no real time and can be asserted.
#pragma once

#include "platform/platform.h"
#include "platform/substitute/memory_registry.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillon::platform {

class Substitute;

// A TSF profile as the substitute's profile manager holds it.
struct ScriptedProfile {
    TfProfile profile;
    std::optional<ustring> description; // nullopt: GetLanguageProfileDescription fails
};

class SubstituteTsf : public Tsf {
public:
    explicit SubstituteTsf(Substitute& owner) : owner_(owner) {}
    std::int32_t CreateInputProcessorProfiles(std::unique_ptr<TfProfiles>& out) override;

    std::vector<ScriptedProfile> profiles;
    std::int32_t createResult = 0;      // non-zero: creation fails with this HRESULT
    bool offersProfileMgr = true;       // false: the object lacks ITfInputProcessorProfileMgr
    bool enumeratorMissing = false;     // true: EnumProfiles returns no enumerator
    std::int32_t profileCallResult = 0; // non-zero: Activate/DeactivateProfile fail, no effect
    int liveObjects = 0;                // profiles objects not yet released

private:
    Substitute& owner_;
};

class SubstituteLayouts : public KeyboardLayouts {
public:
    explicit SubstituteLayouts(Substitute& owner) : owner_(owner) {}
    std::uint64_t LoadKeyboardLayout(ustring_view klid, std::uint32_t flags) override;
    bool UnloadKeyboardLayout(std::uint64_t hkl) override;
    std::uint64_t ActivateKeyboardLayout(std::uint64_t hkl, std::uint32_t flags) override;

    std::vector<std::uint64_t> loaded;

private:
    Substitute& owner_;
};

struct ScriptedRun {
    std::string output; // bytes in the OEM code page
    bool starts = true; // false: the process cannot be started
    std::uint32_t durationMs = 300;
};

class SubstituteProcesses : public Processes {
public:
    explicit SubstituteProcesses(Substitute& owner) : owner_(owner) {}
    void ShellExecute(ustring_view verb, ustring_view file, ustring_view parameters,
                      int show) override;
    CapturedOutput RunCaptured(ustring_view commandLine,
                               const std::function<void()>& serviceUi) override;
    void StartEarly(ustring_view commandLine) override;
    bool EarlyRunPending(ustring_view commandLine) override;
    ustring SystemDirectory() override { return u"C:\\Windows\\system32"; }

    // Answers for captured runs, taken in order when a run starts; an empty queue answers
    // with no output.
    std::deque<ScriptedRun> runs;

private:
    ScriptedRun nextRun();

    Substitute& owner_;
    // A run started early: its line, its answer, and the tick it started at.
    struct EarlyRun {
        ustring commandLine;
        ScriptedRun run;
        std::uint32_t startedAt = 0;
    };
    std::optional<EarlyRun> early_;
};

class SubstituteSystem : public System {
public:
    explicit SubstituteSystem(Substitute& owner) : owner_(owner) {}
    std::uint32_t VersionMajor() override { return versionMajor; }
    std::uint32_t SystemDefaultLcid() override { return lcid; }
    ustring CommandLine() override { return commandLine; }
    std::uint32_t TickCount() override;
    bool SystemParametersInfo(std::uint32_t action, std::uint32_t param,
                              std::uint32_t winIni) override;
    Guid UuidCreate() override;
    IndirectString SHLoadIndirectString(ustring_view source) override;
    // The substitute's code pages are UTF-8, so fixtures can be written plainly.
    ustring OemToText(std::string_view bytes) override { return fromUtf8(bytes); }
    std::string TextToAnsi(ustring_view text) override { return toUtf8(text); }
    ustring AnsiToText(std::string_view bytes) override { return fromUtf8(bytes); }
    // `startTime` advanced by the virtual clock's milliseconds since the substitute was made.
    LocalTime LocalNow() override;
    ustring LocalAppData() override { return localAppData; }

    std::uint32_t versionMajor = 10;
    LocalTime startTime{2026, 12, 10, 21, 30, 15, 123};
    // None, as for an account without a profile: no backups are made unless a test gives one,
    // so that the other tests see only their operation's calls.
    ustring localAppData;
    std::uint32_t lcid = 0x0804;
    ustring commandLine = u"\"C:\\Program Files\\Quillon\\quillon.exe\"";
    // Indirect strings: source -> text; a source not listed fails with an error.
    std::map<ustring, ustring> indirectStrings;
    std::uint32_t uuidCounter = 0;

private:
    Substitute& owner_;
};

class SubstituteDialogs : public Dialogs {
public:
    explicit SubstituteDialogs(Substitute& owner) : owner_(owner) {}
    int MessageBox(ustring_view text, ustring_view caption, std::uint32_t flags,
                   BoxOwner owner) override;
    std::optional<ustring> OpenFileDialog(const FileDialogRequest& request) override;
    std::optional<ustring> SaveFileDialog(const FileDialogRequest& request) override;
    int ShowModal(ModalForm& form) override;

    struct Box {
        ustring text;
        ustring caption;
        std::uint32_t flags;
        BoxOwner owner;
    };
    std::vector<Box> boxes;                         // every message box shown
    std::deque<int> answers;                        // buttons pressed, in order; default IDOK/IDNO
    std::deque<std::optional<ustring>> fileAnswers; // paths chosen; empty queue cancels
    std::vector<FileDialogRequest> fileRequests;    // every file dialog shown
    // What the user does in a modal window, one turn at a time: a step acts on the form
    // through its handlers, as clicks would, and returns the button pressed (kIdOk,
    // kIdCancel), or 0 to take the next step. A refused close goes on with the next step; with
    // no steps left the user closes the window (Cancel).
    using ModalStep = std::function<int(ModalForm&)>;
    std::deque<ModalStep> modalSteps;
    std::vector<ustring> modalsShown; // the caption of every modal window shown

private:
    Substitute& owner_;
};

class SubstituteMessageLoop : public MessageLoop {
public:
    explicit SubstituteMessageLoop(Substitute& owner) : owner_(owner) {}
    void ProcessMessages() override;
    std::unique_ptr<WaitEvent> CreateEvent() override;
    std::uint32_t MsgWaitForMultipleObjects(WaitEvent& event, std::uint32_t timeoutMs,
                                            std::uint32_t wakeMask) override;

    // Input that arrives while the program waits: delivered on the next ProcessMessages.
    std::deque<std::pair<std::uint32_t, std::function<void()>>> pendingInput; // (at tick, act)
    int openEvents = 0;

private:
    Substitute& owner_;
};

class SubstituteHotkeys : public Hotkeys {
public:
    explicit SubstituteHotkeys(Substitute& owner) : owner_(owner) {}
    bool HotkeyTaken(std::uint32_t modifiers, std::uint32_t virtualKey) override;

    // Hotkeys other programs hold, as (modifiers, virtual key).
    std::set<std::pair<std::uint32_t, std::uint32_t>> taken;

private:
    Substitute& owner_;
};

class SubstituteProcessEnd : public ProcessEnd {
public:
    explicit SubstituteProcessEnd(Substitute& owner) : owner_(owner) {}
    void Terminate() override;
    void ExitProcess(int exitCode) override;

    bool terminated = false;
    std::optional<int> exitCode;

private:
    Substitute& owner_;
};

// Files by full path. A write goes through a temporary file beside the target, as the real
// one does, so that a fault injected into it shows what a failed write leaves behind.
class SubstituteFiles : public Files {
public:
    explicit SubstituteFiles(Substitute& owner) : owner_(owner) {}
    // The lock file itself is not kept among `files`: only who holds it.
    LockedFile LockFile(ustring_view path) override;
    FileContent ReadFile(ustring_view path) override;
    FileWrite WriteFile(ustring_view path, std::string_view bytes) override;
    bool FileExists(ustring_view path) override;
    // Windows' rules for the plain forms a test uses: "X:\...", "\..." on the current drive,
    // "X:name" on that drive's root, anything else under the current folder.
    std::optional<ustring> FullPathName(ustring_view path) override;
    bool DirectoryExists(ustring_view path) override;
    bool CreateDirectory(ustring_view path) override;
    StringList FileNames(ustring_view folder) override;
    bool DeleteFile(ustring_view path) override;

    std::map<ustring, std::string> files;
    // Faults: reading these paths fails; the next write fails after this many bytes of the new
    // file (nullopt: no fault); the next complete file cannot replace the old one.
    std::vector<ustring> unreadable;
    std::optional<std::size_t> failWriteAfter;
    bool failReplace = false;
    // Lock files held now, and a fault: the next lock fails (another program holds the file
    // for longer than the wait).
    std::set<ustring> locked;
    bool failLock = false;
    // How long a lock held by another waits for its release (real time: the one test that
    // plays two processes runs them on two threads; every file call is serialised).
    std::uint32_t lockWaitMs = 0;
    // Called at each file call with its name ("LockFile", "FileNames", "WriteFile", …), for
    // tests that play another process in between.
    std::function<void(const char* call)> onCall;
    // The most files that existed at once, temporary ones included.
    std::size_t mostFiles = 0;
    ustring currentDirectory = u"C:\\Users\\user";
    // Folders that cannot be made (a full disk, no rights).
    std::vector<ustring> uncreatable;
    // Existing folders, without a trailing "\" (drive roots as "C:"); compared without case.
    std::vector<ustring> directories = {u"C:", u"C:\\Users", u"C:\\Users\\user"};

private:
    friend class SubstituteFileLock;
    Substitute& owner_;
    std::mutex mutex_;
    std::condition_variable released_;
};

// Exits the program under test the way ExitProcess does: nothing after it runs.
struct ProcessExit {
    int exitCode;
};

class Substitute {
public:
    Substitute();
    Substitute(const Substitute&) = delete;
    Substitute& operator=(const Substitute&) = delete;

    Platform platform();

    // Loads ".reg" text (see reg_text.h).
    void loadReg(std::string_view regText);
    void addProfile(const ScriptedProfile& profile) { tsf.profiles.push_back(profile); }

    void record(std::string call) { calls.push_back(std::move(call)); }
    // Calls recorded since the last take, then forgets them.
    std::vector<std::string> takeCalls();

    MemoryRegistry registry;
    SubstituteTsf tsf{*this};
    SubstituteLayouts layouts{*this};
    SubstituteProcesses processes{*this};
    SubstituteSystem system{*this};
    SubstituteDialogs dialogs{*this};
    SubstituteMessageLoop messages{*this};
    SubstituteHotkeys hotkeys{*this};
    SubstituteProcessEnd processEnd{*this};
    SubstituteFiles files{*this};

    std::vector<std::string> calls;
    std::uint32_t clockMs = 1000000; // virtual GetTickCount
};

// Text forms used in the call log.
std::string logText(ustring_view text);
std::string logGuid(const Guid& guid);
std::string logHex(std::uint64_t value);

} // namespace quillon::platform
