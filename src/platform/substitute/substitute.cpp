#include "platform/substitute/substitute.h"

#include "platform/substitute/reg_text.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace quillon::platform {

std::string logText(ustring_view text) {
    return toUtf8(text);
}
std::string logGuid(const Guid& guid) {
    return toUtf8(guidToText(guid));
}

std::string logHex(std::uint64_t value) {
    std::string digits = toUtf8(hexText(value, 16));
    const std::size_t first = digits.find_first_not_of('0');
    return "0x" + (first == std::string::npos ? std::string("0") : digits.substr(first));
}

namespace {

std::string profileArgs(std::uint32_t type, std::uint16_t langid, const Guid& clsid,
                        const Guid& profile, std::uint64_t hkl, std::uint32_t flags) {
    return std::to_string(type) + ", " + toUtf8(hexText(langid, 4)) + ", " + logGuid(clsid) + ", " +
           logGuid(profile) + ", " + logHex(hkl) + ", " + logHex(flags);
}

class SubstituteEnum : public TfProfileEnum {
public:
    SubstituteEnum(Substitute& owner, std::vector<TfProfile> items)
        : owner_(owner), items_(std::move(items)) {}
    bool Next(TfProfile& profile) override {
        owner_.record("EnumNext");
        if (next_ >= items_.size()) {
            return false;
        }
        profile = items_[next_++];
        return true;
    }

private:
    Substitute& owner_;
    std::vector<TfProfile> items_;
    std::size_t next_ = 0;
};

class SubstituteProfiles : public TfProfiles {
public:
    SubstituteProfiles(Substitute& owner, SubstituteTsf& tsf) : owner_(owner), tsf_(tsf) {
        ++tsf_.liveObjects;
    }
    ~SubstituteProfiles() override {
        --tsf_.liveObjects;
        owner_.record("ReleaseProfiles");
    }
    SubstituteProfiles(const SubstituteProfiles&) = delete;
    SubstituteProfiles& operator=(const SubstituteProfiles&) = delete;

    bool HasProfileMgr() const override { return tsf_.offersProfileMgr; }

    std::unique_ptr<TfProfileEnum> EnumProfiles(std::uint16_t langid) override {
        owner_.record("EnumProfiles(" + toUtf8(hexText(langid, 4)) + ")");
        if (tsf_.enumeratorMissing) {
            return nullptr;
        }
        std::vector<TfProfile> items;
        for (const auto& p : tsf_.profiles) {
            if (langid == 0 || p.profile.langid == langid) {
                items.push_back(p.profile);
            }
        }
        return std::make_unique<SubstituteEnum>(owner_, std::move(items));
    }

    std::optional<ustring> GetLanguageProfileDescription(const Guid& clsid, std::uint16_t langid,
                                                         const Guid& profile) override {
        owner_.record("GetLanguageProfileDescription(" + logGuid(clsid) + ", " +
                      toUtf8(hexText(langid, 4)) + ", " + logGuid(profile) + ")");
        for (const auto& p : tsf_.profiles) {
            if (p.profile.clsid == clsid && p.profile.langid == langid &&
                p.profile.guidProfile == profile) {
                return p.description;
            }
        }
        return std::nullopt;
    }

    std::int32_t ActivateProfile(std::uint32_t type, std::uint16_t langid, const Guid& clsid,
                                 const Guid& profile, std::uint64_t hkl,
                                 std::uint32_t flags) override {
        owner_.record("ActivateProfile(" + profileArgs(type, langid, clsid, profile, hkl, flags) +
                      ")");
        if (tsf_.profileCallResult != 0) {
            return tsf_.profileCallResult;
        }
        for (auto& p : tsf_.profiles) {
            if (matches(p.profile, langid, clsid, profile) && (flags & kTfIppmfEnableProfile)) {
                p.profile.flags |= kTfIppFlagEnabled;
            }
        }
        return 0;
    }

    std::int32_t DeactivateProfile(std::uint32_t type, std::uint16_t langid, const Guid& clsid,
                                   const Guid& profile, std::uint64_t hkl,
                                   std::uint32_t flags) override {
        owner_.record("DeactivateProfile(" + profileArgs(type, langid, clsid, profile, hkl, flags) +
                      ")");
        if (tsf_.profileCallResult != 0) {
            return tsf_.profileCallResult;
        }
        for (auto& p : tsf_.profiles) {
            if (!matches(p.profile, langid, clsid, profile)) {
                continue;
            }
            p.profile.flags &= ~kTfIppFlagActive;
            if (flags & kTfIppmfDisableProfile) {
                p.profile.flags &= ~kTfIppFlagEnabled;
            }
        }
        return 0;
    }

    std::int32_t Unregister(const Guid& clsid) override {
        owner_.record("Unregister(" + logGuid(clsid) + ")");
        auto& list = tsf_.profiles;
        list.erase(
            std::remove_if(list.begin(), list.end(),
                           [&](const ScriptedProfile& p) { return p.profile.clsid == clsid; }),
            list.end());
        return 0;
    }

private:
    static bool matches(const TfProfile& p, std::uint16_t langid, const Guid& clsid,
                        const Guid& profile) {
        return p.langid == langid && p.clsid == clsid && p.guidProfile == profile;
    }

    Substitute& owner_;
    SubstituteTsf& tsf_;
};

class SubstituteEvent : public WaitEvent {
public:
    explicit SubstituteEvent(SubstituteMessageLoop& loop) : loop_(loop) { ++loop_.openEvents; }
    ~SubstituteEvent() override { --loop_.openEvents; }
    SubstituteEvent(const SubstituteEvent&) = delete;
    SubstituteEvent& operator=(const SubstituteEvent&) = delete;

private:
    SubstituteMessageLoop& loop_;
};

} // namespace

std::int32_t SubstituteTsf::CreateInputProcessorProfiles(std::unique_ptr<TfProfiles>& out) {
    owner_.record("TF_CreateInputProcessorProfiles");
    if (createResult != 0) {
        return createResult;
    }
    out = std::make_unique<SubstituteProfiles>(owner_, *this);
    return 0;
}

std::uint64_t SubstituteLayouts::LoadKeyboardLayout(ustring_view klid, std::uint32_t flags) {
    owner_.record("LoadKeyboardLayout(" + logText(klid) + ", " + logHex(flags) + ")");
    std::uint32_t id = 0;
    if (!parseHex32(klid, id)) {
        return 0;
    }
    // Windows widens the 32-bit layout handle with its sign.
    const auto hkl =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(id)));
    if (std::find(loaded.begin(), loaded.end(), hkl) == loaded.end()) {
        loaded.push_back(hkl);
    }
    return hkl;
}

bool SubstituteLayouts::UnloadKeyboardLayout(std::uint64_t hkl) {
    owner_.record("UnloadKeyboardLayout(" + logHex(hkl) + ")");
    const auto it = std::find(loaded.begin(), loaded.end(), hkl);
    if (it == loaded.end()) {
        return false;
    }
    loaded.erase(it);
    return true;
}

std::uint64_t SubstituteLayouts::ActivateKeyboardLayout(std::uint64_t hkl, std::uint32_t flags) {
    owner_.record("ActivateKeyboardLayout(" + logHex(hkl) + ", " + logHex(flags) + ")");
    return loaded.empty() ? 0 : loaded.front();
}

void SubstituteProcesses::ShellExecute(ustring_view verb, ustring_view file,
                                       ustring_view parameters, int show) {
    owner_.record("ShellExecute(" + logText(verb) + ", " + logText(file) + ", " +
                  logText(parameters) + ", " + std::to_string(show) + ")");
}

ScriptedRun SubstituteProcesses::nextRun() {
    ScriptedRun run;
    if (!runs.empty()) {
        run = runs.front();
        runs.pop_front();
    }
    return run;
}

void SubstituteProcesses::StartEarly(ustring_view commandLine) {
    owner_.record("StartEarly(" + logText(commandLine) + ")");
    early_ = EarlyRun{ustring(commandLine), nextRun(), owner_.clockMs};
}

bool SubstituteProcesses::EarlyRunPending(ustring_view commandLine) {
    owner_.record("EarlyRunPending");
    return early_ && early_->commandLine == commandLine && early_->run.starts &&
           owner_.clockMs - early_->startedAt < early_->run.durationMs;
}

CapturedOutput SubstituteProcesses::RunCaptured(ustring_view commandLine,
                                                const std::function<void()>& serviceUi) {
    owner_.record("RunCaptured(" + logText(commandLine) + ")");
    // A run started early has been running since then: only what is left of it is waited for.
    ScriptedRun run;
    std::uint32_t waited = 0;
    if (early_ && early_->commandLine == commandLine) {
        run = early_->run;
        waited = std::min(run.durationMs, owner_.clockMs - early_->startedAt);
        early_.reset();
    } else {
        run = nextRun();
    }
    if (!run.starts) {
        return {};
    }
    // Like WaitForSingleObject in waits of 100 ms: at least one wait, even for a run that has
    // already ended.
    do {
        const std::uint32_t step = std::min<std::uint32_t>(100, run.durationMs - waited);
        owner_.clockMs += step;
        waited += step;
        if (serviceUi) {
            serviceUi();
        }
    } while (waited < run.durationMs);
    return CapturedOutput{true, run.output};
}

std::uint32_t SubstituteSystem::TickCount() {
    return owner_.clockMs;
}

namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, LocalTime& t) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
}

constexpr std::uint32_t kClockAtStart = 1000000;

} // namespace

LocalTime SubstituteSystem::LocalNow() {
    const LocalTime& s = startTime;
    const std::int64_t start =
        ((daysFromCivil(s.year, s.month, s.day) * 24 + s.hour) * 60 + s.minute) * 60000 +
        s.second * 1000 + s.milliseconds;
    const std::int64_t now = start + static_cast<std::int64_t>(owner_.clockMs - kClockAtStart);
    LocalTime t;
    civilFromDays(now / 86400000, t);
    const std::int64_t ms = now % 86400000;
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.milliseconds = static_cast<int>(ms % 1000);
    return t;
}

bool SubstituteSystem::SystemParametersInfo(std::uint32_t action, std::uint32_t param,
                                            std::uint32_t winIni) {
    owner_.record("SystemParametersInfo(" + logHex(action) + ", " + std::to_string(param) + ", " +
                  logHex(winIni) + ")");
    return true;
}

Guid SubstituteSystem::UuidCreate() {
    owner_.record("UuidCreate");
    Guid g;
    g.data1 = 0xA0000000u + ++uuidCounter;
    g.data2 = 0x1111;
    g.data3 = 0x4222;
    g.data4 = {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66};
    return g;
}

IndirectString SubstituteSystem::SHLoadIndirectString(ustring_view source) {
    owner_.record("SHLoadIndirectString(" + logText(source) + ")");
    const auto it = indirectStrings.find(ustring(source));
    if (it == indirectStrings.end()) {
        return IndirectString{
            static_cast<std::int32_t>(0x80070002u), {}, u"系统找不到指定的文件。"};
    }
    return IndirectString{0, it->second, {}};
}

int SubstituteDialogs::MessageBox(ustring_view text, ustring_view caption, std::uint32_t flags,
                                  BoxOwner owner) {
    owner_.record("MessageBox(" + logText(caption) + ", " + logHex(flags) + ")");
    boxes.push_back(Box{ustring(text), ustring(caption), flags, owner});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (flags & 0x0F) == kMbYesNo ? kIdNo : kIdOk;
}

std::optional<ustring> SubstituteDialogs::OpenFileDialog(const FileDialogRequest& request) {
    owner_.record("OpenFileDialog(" + logText(request.title) + ")");
    fileRequests.push_back(request);
    if (fileAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<ustring> SubstituteDialogs::SaveFileDialog(const FileDialogRequest& request) {
    owner_.record("SaveFileDialog(" + logText(request.title) + ")");
    if (fileAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

int SubstituteDialogs::ShowModal(ModalForm& form) {
    owner_.record("ShowModal(" + logText(form.modalCaption()) + ")");
    modalsShown.push_back(form.modalCaption());
    form.FormShow();
    for (;;) {
        int result = kIdCancel;
        const bool scripted = !modalSteps.empty();
        if (scripted) {
            const ModalStep step = std::move(modalSteps.front());
            modalSteps.pop_front();
            result = step(form);
            if (result == 0) {
                continue;
            }
        }
        if (form.CloseQuery(result)) {
            return result;
        }
        if (!scripted) {
            throw std::logic_error("the modal window refuses to close and no step is left");
        }
    }
}

void SubstituteMessageLoop::ProcessMessages() {
    while (!pendingInput.empty() && pendingInput.front().first <= owner_.clockMs) {
        auto action = std::move(pendingInput.front().second);
        pendingInput.pop_front();
        action();
    }
}

std::unique_ptr<WaitEvent> SubstituteMessageLoop::CreateEvent() {
    return std::make_unique<SubstituteEvent>(*this);
}

std::uint32_t SubstituteMessageLoop::MsgWaitForMultipleObjects(WaitEvent& /*event*/,
                                                               std::uint32_t timeoutMs,
                                                               std::uint32_t wakeMask) {
    owner_.record("MsgWait(" + std::to_string(timeoutMs) + ", " + logHex(wakeMask) + ")");
    // Input already due, or due before the time-out, ends the wait.
    if (!pendingInput.empty() && (pendingInput.front().first <= owner_.clockMs ||
                                  pendingInput.front().first - owner_.clockMs <= timeoutMs)) {
        owner_.clockMs = std::max(owner_.clockMs, pendingInput.front().first);
        return 1; // WAIT_OBJECT_0 + 1: input is waiting
    }
    owner_.clockMs += timeoutMs;
    return kWaitTimeout;
}

void SubstituteProcessEnd::Terminate() {
    owner_.record("Terminate");
    terminated = true;
}

bool SubstituteHotkeys::HotkeyTaken(std::uint32_t modifiers, std::uint32_t virtualKey) {
    owner_.record("HotkeyTaken(" + logHex(modifiers) + ", " + logHex(virtualKey) + ")");
    return taken.count({modifiers, virtualKey}) > 0;
}

void SubstituteProcessEnd::ExitProcess(int code) {
    owner_.record("ExitProcess(" + std::to_string(code) + ")");
    exitCode = code;
    throw ProcessExit{code};
}

class SubstituteFileLock : public FileLock {
public:
    SubstituteFileLock(SubstituteFiles& files, ustring key) : files_(files), key_(std::move(key)) {}
    ~SubstituteFileLock() override {
        {
            const std::lock_guard<std::mutex> guard(files_.mutex_);
            files_.locked.erase(key_);
        }
        files_.released_.notify_all();
    }
    SubstituteFileLock(const SubstituteFileLock&) = delete;
    SubstituteFileLock& operator=(const SubstituteFileLock&) = delete;

private:
    SubstituteFiles& files_;
    ustring key_;
};

LockedFile SubstituteFiles::LockFile(ustring_view path) {
    if (onCall) {
        onCall("LockFile");
    }
    std::unique_lock<std::mutex> guard(mutex_);
    owner_.record("LockFile(" + logText(path) + ")");
    const ustring key = toUpper(path);
    if (failLock) {
        failLock = false;
        return LockedFile{nullptr, u"另一个程序正在使用此文件，进程无法访问。"};
    }
    if (locked.count(key) != 0 && lockWaitMs > 0) {
        if (onCall) {
            guard.unlock();
            onCall("LockFile busy");
            guard.lock();
        }
        released_.wait_for(guard, std::chrono::milliseconds(lockWaitMs),
                           [&] { return locked.count(key) == 0; });
    }
    if (locked.count(key) != 0) {
        return LockedFile{nullptr, u"另一个程序正在使用此文件，进程无法访问。"};
    }
    locked.insert(key);
    return LockedFile{std::make_unique<SubstituteFileLock>(*this, key), {}};
}

FileContent SubstituteFiles::ReadFile(ustring_view path) {
    if (onCall) {
        onCall("ReadFile");
    }
    const std::lock_guard<std::mutex> guard(mutex_);
    owner_.record("ReadFile(" + logText(path) + ")");
    const auto it = files.find(ustring(path));
    if (it == files.end()) {
        return FileContent{false, {}, u"系统找不到指定的文件。"};
    }
    if (std::find(unreadable.begin(), unreadable.end(), path) != unreadable.end()) {
        return FileContent{false, {}, u"另一个程序正在使用此文件，进程无法访问。"};
    }
    return FileContent{true, it->second, {}};
}

FileWrite SubstituteFiles::WriteFile(ustring_view path, std::string_view bytes) {
    if (onCall) {
        onCall("WriteFile");
    }
    const std::lock_guard<std::mutex> guard(mutex_);
    owner_.record("WriteFile(" + logText(path) + ")");
    const ustring temporary = ustring(path) + u".~new";
    std::string& written = files[temporary];
    mostFiles = std::max(mostFiles, files.size());
    if (failWriteAfter) {
        written.assign(bytes.substr(0, std::min(*failWriteAfter, bytes.size())));
        failWriteAfter.reset();
        files.erase(temporary);
        return FileWrite{FileWrite::Failure::NewFile, u"磁盘空间不足。"};
    }
    written.assign(bytes);
    if (failReplace) {
        failReplace = false;
        files.erase(temporary);
        return FileWrite{FileWrite::Failure::Replace, u"另一个程序正在使用此文件，进程无法访问。"};
    }
    files[ustring(path)] = std::move(written);
    files.erase(temporary);
    return FileWrite{};
}

bool SubstituteFiles::FileExists(ustring_view path) {
    if (onCall) {
        onCall("FileExists");
    }
    const std::lock_guard<std::mutex> guard(mutex_);
    return files.count(ustring(path)) != 0;
}

std::optional<ustring> SubstituteFiles::FullPathName(ustring_view path) {
    if (path.empty()) {
        return std::nullopt;
    }
    const bool hasDrive = path.size() >= 2 && path[1] == u':';
    ustring joined;
    if (hasDrive && path.size() >= 3 && path[2] == u'\\') {
        joined = ustring(path);
    } else if (hasDrive) {
        joined = ustring(path.substr(0, 2)) + u"\\" + ustring(path.substr(2));
    } else if (path[0] == u'\\') {
        joined = currentDirectory.substr(0, 2) + ustring(path);
    } else {
        joined = currentDirectory + u"\\" + ustring(path);
    }
    // Resolve "." and ".." below the drive; a trailing "\" stays.
    StringList parts;
    std::size_t start = 3;
    while (start <= joined.size()) {
        std::size_t end = joined.find(u'\\', start);
        if (end == ustring::npos) {
            end = joined.size();
        }
        const ustring part = joined.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (part != u"." && !(part.empty() && end < joined.size())) {
            parts.push_back(part);
        }
        start = end + 1;
    }
    ustring full = joined.substr(0, 3);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        full += (i ? u"\\" : u"") + parts[i];
    }
    return full;
}

bool SubstituteFiles::DirectoryExists(ustring_view path) {
    ustring_view folder = path;
    while (!folder.empty() && folder.back() == u'\\') {
        folder.remove_suffix(1);
    }
    return std::any_of(directories.begin(), directories.end(),
                       [&](const ustring& d) { return equalsNoCase(d, folder); });
}

bool SubstituteFiles::CreateDirectory(ustring_view path) {
    if (onCall) {
        onCall("CreateDirectory");
    }
    const std::lock_guard<std::mutex> guard(mutex_);
    owner_.record("CreateDirectory(" + logText(path) + ")");
    if (DirectoryExists(path)) {
        return true;
    }
    const std::size_t slash = path.find_last_of(u'\\');
    if (slash == ustring_view::npos || !DirectoryExists(path.substr(0, slash)) ||
        std::any_of(uncreatable.begin(), uncreatable.end(),
                    [&](const ustring& d) { return equalsNoCase(d, path); })) {
        return false;
    }
    directories.emplace_back(path);
    return true;
}

StringList SubstituteFiles::FileNames(ustring_view folder) {
    if (onCall) {
        onCall("FileNames");
    }
    const std::lock_guard<std::mutex> guard(mutex_);
    owner_.record("FileNames(" + logText(folder) + ")");
    StringList names;
    const ustring prefix = ustring(folder) + u"\\";
    for (const auto& [path, bytes] : files) {
        if (path.size() > prefix.size() && equalsNoCase(path.substr(0, prefix.size()), prefix) &&
            path.find(u'\\', prefix.size()) == ustring::npos) {
            names.push_back(path.substr(prefix.size()));
        }
    }
    return names;
}

bool SubstituteFiles::DeleteFile(ustring_view path) {
    if (onCall) {
        onCall("DeleteFile");
    }
    const std::lock_guard<std::mutex> guard(mutex_);
    owner_.record("DeleteFile(" + logText(path) + ")");
    return files.erase(ustring(path)) > 0;
}

Substitute::Substitute() = default;

Platform Substitute::platform() {
    return Platform{registry, tsf,      layouts, processes,  system,
                    dialogs,  messages, hotkeys, processEnd, files};
}

void Substitute::loadReg(std::string_view regText) {
    loadRegText(registry, regText);
}

std::vector<std::string> Substitute::takeCalls() {
    std::vector<std::string> taken;
    taken.swap(calls);
    return taken;
}

} // namespace quillon::platform
