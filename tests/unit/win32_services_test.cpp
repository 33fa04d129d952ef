// The Win32 services where Wine gives them real work to do: captured runs, code pages,
// files, the message-pumping wait, and the TSF wiring.
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace quillon::platform {
namespace {

// ---- Captured runs ---------------------------------------------------------------------------

TEST(Win32RunCaptured, CollectsOutputLargerThanThePipeBuffer) {
    // 1500 lines of 100 bytes: well past the pipe's buffer, so the child only finishes if
    // the pipe is drained while it runs.
    const std::string text(98, 'x');
    Win32Processes processes;
    int serviced = 0;
    // A child stuck on a full pipe never ends; give up rather than hang the suite.
    const auto serviceUi = [&] {
        if (++serviced > 300) {
            throw std::runtime_error("the child never finished");
        }
    };
    const CapturedOutput out = processes.RunCaptured(
        u"cmd.exe /c for /l %i in (1,1,1500) do @echo " + fromUtf8(text), serviceUi);
    ASSERT_TRUE(out.started);
    EXPECT_GE(serviced, 1);
    ASSERT_EQ(out.bytes.size(), 1500u * 100u);
    std::string expected;
    for (int i = 0; i < 1500; ++i) {
        expected += text + "\r\n";
    }
    EXPECT_TRUE(out.bytes == expected);
}

TEST(Win32RunCaptured, TakesStandardErrorToo) {
    Win32Processes processes;
    const CapturedOutput out =
        processes.RunCaptured(u"cmd.exe /c echo out& echo err 1>&2", nullptr);
    ASSERT_TRUE(out.started);
    EXPECT_NE(out.bytes.find("out"), std::string::npos);
    EXPECT_NE(out.bytes.find("err"), std::string::npos);
}

TEST(Win32RunCaptured, MissingProgramDoesNotStart) {
    Win32Processes processes;
    int serviced = 0;
    const CapturedOutput out =
        processes.RunCaptured(u"quillon-no-such-program-7c1e.exe -command x", [&] { ++serviced; });
    EXPECT_FALSE(out.started);
    EXPECT_TRUE(out.bytes.empty());
    EXPECT_EQ(serviced, 0);
}

TEST(Win32Processes, SystemDirectoryHasNoTrailingBackslash) {
    Win32Processes processes;
    Win32Files files;
    const ustring dir = processes.SystemDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), u'\\');
    EXPECT_TRUE(files.FileExists(dir + u"\\kernel32.dll"));
    EXPECT_FALSE(files.FileExists(dir)); // a directory is not a file
}

// ---- Code pages ------------------------------------------------------------------------------

TEST(Win32System, ChineseConsoleAndAnsiText) {
    if (::GetOEMCP() != 936 || ::GetACP() != 936) {
        GTEST_SKIP() << "needs the Simplified Chinese code pages (zh_CN locale)";
    }
    Win32System system;
    // "中文 zh-Hans-CN\r\n" in GBK.
    const std::string gbk = "\xD6\xD0\xCE\xC4 zh-Hans-CN\r\n";
    EXPECT_EQ(system.OemToText(gbk), u"中文 zh-Hans-CN\r\n");
    EXPECT_EQ(system.TextToAnsi(u"简体中文"), "\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4");
    EXPECT_EQ(system.AnsiToText("\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4"), u"简体中文");
    // Counted, not NUL-terminated.
    EXPECT_EQ(system.OemToText(std::string("a\0b", 3)), ustring(u"a\0b", 3));
    EXPECT_EQ(system.OemToText(""), u"");
    // What the code page cannot hold becomes its default character.
    EXPECT_EQ(system.TextToAnsi(u"中ก文\r\n"), "\xD6\xD0?\xCE\xC4\r\n");
}

TEST(Win32System, IndirectStrings) {
    Win32System system;
    const IndirectString plain = system.SHLoadIndirectString(u"普通文本");
    EXPECT_EQ(plain.result, 0);
    EXPECT_EQ(plain.text, u"普通文本");

    const IndirectString missing =
        system.SHLoadIndirectString(u"@%SystemRoot%\\system32\\quillon-missing-7c1e.dll,-100");
    EXPECT_NE(missing.result, 0);
    EXPECT_TRUE(missing.text.empty());
    ASSERT_FALSE(missing.errorMessage.empty());
    EXPECT_NE(missing.errorMessage.back(), u'\n');
    EXPECT_NE(missing.errorMessage.back(), u'\r');
}

TEST(Win32System, UuidsAreRandomAndNew) {
    Win32System system;
    std::set<ustring> seen;
    for (int i = 0; i < 8; ++i) {
        const Guid g = system.UuidCreate();
        EXPECT_EQ(g.data3 >> 12, 4) << toUtf8(guidToText(g)); // version 4
        seen.insert(guidToText(g));
    }
    EXPECT_EQ(seen.size(), 8u);
}

// ---- Files -----------------------------------------------------------------------------------

std::optional<std::string> readAll(Win32Files& files, ustring_view path) {
    FileContent content = files.ReadFile(path);
    if (!content.read) {
        EXPECT_FALSE(content.reason.empty());
        return std::nullopt;
    }
    return content.bytes;
}

ustring tempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    EXPECT_GT(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    return win32::fromWide(temp);
}

// The names in a folder, to see that a write leaves nothing of its own behind.
std::set<ustring> namesIn(const ustring& folder) {
    std::set<ustring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(win32::wide(folder + u"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.insert(win32::fromWide(found.cFileName));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

TEST(Win32Files, RoundTripUnderAChinesePath) {
    const ustring path = tempFolder() + u"quillon 配置-7c1e.cfg";
    Win32Files files;
    const std::string bytes("\xEF\xBB\xBF[0804]\r\nkey=\0value\r\n", 22);
    ASSERT_TRUE(files.WriteFile(path, bytes).ok());
    EXPECT_TRUE(files.FileExists(path));
    EXPECT_EQ(readAll(files, path), bytes);
    ASSERT_TRUE(files.WriteFile(path, "short").ok()); // replaces, never appends
    EXPECT_EQ(readAll(files, path), std::string("short"));
    ASSERT_TRUE(files.WriteFile(path, "").ok());
    EXPECT_EQ(readAll(files, path), std::string());
    ::DeleteFileW(win32::wide(path).c_str());
    EXPECT_FALSE(files.FileExists(path));
    EXPECT_EQ(readAll(files, path), std::nullopt);
}

// A write that cannot finish leaves the old file byte for byte and no file of its own.
TEST(Win32Files, AFailedWriteKeepsTheOldFile) {
    const ustring folder = tempFolder() + u"quillon-write-7c1e";
    ::CreateDirectoryW(win32::wide(folder).c_str(), nullptr);
    const ustring path = folder + u"\\old.cfg";
    Win32Files files;
    ASSERT_TRUE(files.WriteFile(path, "old content").ok());
    const std::set<ustring> before = namesIn(folder);

    {
        // Held open without FILE_SHARE_DELETE, the file cannot be replaced.
        const win32::Handle holder(::CreateFileW(win32::wide(path).c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        const FileWrite locked = files.WriteFile(path, "new content");
        EXPECT_EQ(locked.failure, FileWrite::Failure::Replace);
        EXPECT_FALSE(locked.reason.empty());
    }
    EXPECT_EQ(readAll(files, path), std::string("old content"));
    EXPECT_EQ(namesIn(folder), before);

    // A read-only file is not replaced either.
    ASSERT_TRUE(::SetFileAttributesW(win32::wide(path).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(files.WriteFile(path, "new content").failure, FileWrite::Failure::Replace);
    EXPECT_EQ(readAll(files, path), std::string("old content"));
    EXPECT_EQ(namesIn(folder), before);
    ::SetFileAttributesW(win32::wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);

    // A folder that does not exist gets no new file.
    const FileWrite nowhere = files.WriteFile(folder + u"\\missing\\x.cfg", "x");
    EXPECT_EQ(nowhere.failure, FileWrite::Failure::NewFile);
    EXPECT_FALSE(nowhere.reason.empty());

    ::DeleteFileW(win32::wide(path).c_str());
    ::RemoveDirectoryW(win32::wide(folder).c_str());
}

// A lock is the file held open without sharing: a second taker waits, then takes it once the
// first lets go; one held all along is refused with a reason.
TEST(Win32Files, ALockIsTakenInTurn) {
    const ustring path = tempFolder() + u"quillon-lock-7c1e.lock";
    Win32Files files;
    LockedFile first = files.LockFile(path);
    ASSERT_TRUE(first.lock) << toUtf8(first.reason);
    const LockedFile refused = files.LockFile(path);
    EXPECT_FALSE(refused.lock);
    EXPECT_FALSE(refused.reason.empty());
    first.lock.reset();
    {
        const LockedFile second = files.LockFile(path);
        EXPECT_TRUE(second.lock) << toUtf8(second.reason);
    }
    ::DeleteFileW(win32::wide(path).c_str());
}

// ---- Message-pumping wait --------------------------------------------------------------------

TEST(Win32MessageLoop, WaitWakesForQueuedMessagesAndPumpKeepsQuit) {
    Win32MessageLoop loop;
    loop.ProcessMessages(); // start from an empty queue
    const auto event = loop.CreateEvent();
    ASSERT_TRUE(event);
    EXPECT_EQ(loop.MsgWaitForMultipleObjects(*event, 0, kQsAllInput), kWaitTimeout);

    ASSERT_TRUE(::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0));
    EXPECT_EQ(loop.MsgWaitForMultipleObjects(*event, 0, kQsAllInput), WAIT_OBJECT_0 + 1);
    loop.ProcessMessages();
    MSG msg{};
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));

    // A quit request seen by the pump stays for the message loop.
    Win32ProcessEnd().Terminate();
    loop.ProcessMessages();
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

TEST(Win32MessageLoop, ForeignEventFailsTheWait) {
    struct Foreign : WaitEvent {};
    Foreign foreign;
    Win32MessageLoop loop;
    EXPECT_EQ(loop.MsgWaitForMultipleObjects(foreign, 0, kQsAllInput), WAIT_FAILED);
}

// ---- TSF -------------------------------------------------------------------------------------

TEST(Win32Tsf, GuidsKeepTheirFieldOrder) {
    const GUID native = {
        0x71C6E74C, 0x0F28, 0x11D8, {0xA8, 0x2A, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};
    const Guid g = win32::fromGUID(native);
    EXPECT_EQ(guidToText(g), u"{71C6E74C-0F28-11D8-A82A-00065B84435C}");
    EXPECT_TRUE(::IsEqualGUID(win32::toGUID(g), native));
}

class ComApartment {
public:
    ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

TEST(Win32Tsf, ProfilesObjectFromSystemMsctf) {
    const ComApartment apartment;
    Win32Tsf tsf;
    std::unique_ptr<TfProfiles> profiles;
    ASSERT_EQ(tsf.CreateInputProcessorProfiles(profiles), 0);
    ASSERT_TRUE(profiles);
    EXPECT_TRUE(profiles->HasProfileMgr());
    // Wine's own msctf knows no profiles; the enumerator must still end cleanly.
    const auto items = profiles->EnumProfiles(0x0804);
    ASSERT_TRUE(items);
    TfProfile profile;
    int count = 0;
    while (count < 1000 && items->Next(profile)) {
        ++count;
    }
    EXPECT_LT(count, 1000);
}

} // namespace
} // namespace quillon::platform
