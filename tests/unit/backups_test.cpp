// Backups before every change and undo: one backup per user action, numbered in order whatever
// the clock does, the fifty highest kept, a failed backup never stopping the change, and undo
// walking back one change at a time from the window and the command line.
#include "backups/backup_store.h"
#include "backups/backups.h"
#include "backups/reg_file.h"
#include "backups/snapshot.h"
#include "cli/command_line.h"
#include "core/error.h"
#include "form_fixture.h"
#include "platform/key_reads.h"
#include "platform/substitute/reg_text.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace quillon::testing {
namespace {

using platform::Hive;

class BackupsTest : public FormTest {
protected:
    BackupsTest()
        : FormTest(SampleSetup::base()
                       .reg("Windows Registry Editor Version 5.00\n\n"
                            "[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n"
                            "\"Hotkey\"=\"1\"\n\n"
                            "[HKEY_CURRENT_USER\\Software\\Microsoft\\Input\\Settings]\n"
                            "\"EnableExpressiveInputEmojiMultipleSelection\"=dword:00000000\n")
                       .backupFolder()) {
        start();
    }

    // Newest first.
    StringList backups() {
        StringList names;
        for (const auto& file : backups::backupFiles(windows.files, kBackupFolder)) {
            names.push_back(file.name);
        }
        return names;
    }
    std::string newest() { return windows.files.files[kBackupFolder + u"\\" + backups().front()]; }
    std::string userHive() { return windows.registry.dump(Hive::CurrentUser); }

    void commandLine(const ustring& arguments) {
        form.ExitCode = 0;
        form.ReadParam(commandPieces(kProgram + arguments));
    }
    void shiftReleasesCapsLock(bool shift) {
        const backups::UserAction action(form);
        form.ComboBox3.itemIndex = shift ? 1 : 0;
        form.ComboBox3Change();
    }
    void emojiPanelStaysOpen(bool open) {
        const backups::UserAction action(form);
        form.CheckBox3.checked = open;
        form.CheckBox3Click();
    }
    void undoFromTheWindow() {
        const backups::UserAction action(form);
        backups::undoLastChange(form);
    }
    void setClockBack(int hours) {
        platform::LocalTime& t = windows.system.startTime;
        const int total = t.day * 24 + t.hour - hours;
        t.day = total / 24;
        t.hour = total % 24;
    }
};

TEST_F(BackupsTest, OneBackupPerUserActionHoldingWhatItMayChange) {
    const std::string before = userHive();
    {
        // The program's start runs the command line inside the window's first event.
        const backups::UserAction start(form);
        commandLine(u"/shift /emoji:1 /layout:0");
    }
    ASSERT_EQ(backups(), StringList{u"000001-20261210-213015.reg"});
    const std::string bytes = newest();
    // Registry Editor's own form, UTF-16 LE with its mark, the note a comment.
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE"
                                              "W\0",
                                              4));
    const backups::RegFileRead read = backups::readRegFile(bytes);
    ASSERT_TRUE(read.file) << toUtf8(read.problem);
    EXPECT_EQ(read.file->note, u"命令行 /shift /emoji:1 /layout:0");
    const auto has = [&](const ustring& path, bool deleted) {
        return std::any_of(read.file->blocks.begin(), read.file->blocks.end(),
                           [&](const auto& b) { return b.path == path && b.deleted == deleted; });
    };
    EXPECT_TRUE(has(kToggleKey, false));
    // What was not there is kept as not there.
    EXPECT_TRUE(has(kDirectSwitch, true));
    EXPECT_NE(userHive(), before);

    // A load is one action however many languages and settings it writes.
    windows.files.files[u"C:\\load.cfg"] =
        "[0804_switchkey]\r\nCAPS=Caps Lock\r\nlayout=Alt+Shift\r\n\r\n[0804_other]\r\n"
        "InputEmoji=0\r\n\r\n[0409_other]\r\nInputEmoji=1\r\n";
    form.loadcfg(u"C:\\load.cfg");
    ASSERT_EQ(backups().size(), 2u);
    EXPECT_EQ(backups().front(), u"000002-20261210-213015.reg");

    // Refused before its first write, or with nothing to do: no backup.
    form.listsIncomplete = true;
    {
        const backups::UserAction action(form);
        EXPECT_THROW(form.Button_UpClick(), QuillonError);
    }
    form.listsIncomplete = false;
    form.ListView1.selected = -1;
    {
        const backups::UserAction action(form);
        form.DefaultClick();
    }
    EXPECT_EQ(backups().size(), 2u);
}

// The order is the numbers': a clock set back an hour or a day, fifty backups with later times,
// and files of the earlier form change nothing of it.
TEST_F(BackupsTest, TheClockGoingBackLosesNoChange) {
    windows.files.directories.push_back(kLocalAppData + u"\\Quillon");
    windows.files.directories.push_back(kBackupFolder);
    for (int i = 1; i <= 50; ++i) {
        windows.files
            .files[kBackupFolder + u"\\" + backups::backupName(i, {2027, 1, 1, 8, 0, 0, 0})] =
            "old";
    }
    windows.files.files[kBackupFolder + u"\\20261201-080000-100.cfg"] = "an earlier form's";
    windows.files.files[kBackupFolder + u"\\说明.txt"] = "a user's own file";
    emojiPanelStaysOpen(true);
    StringList kept = backups();
    ASSERT_EQ(kept.size(), 51u);
    EXPECT_EQ(kept.front(), u"000051-20261210-213015.reg");
    EXPECT_EQ(kept[49], u"000002-20270101-080000.reg");
    EXPECT_EQ(kept.back(), u"20261201-080000-100.cfg");
    EXPECT_EQ(windows.files.files.count(kBackupFolder + u"\\说明.txt"), 1u);
    for (int i = 1; i <= 50; ++i) {
        windows.files.files.erase(kBackupFolder + u"\\" +
                                  backups::backupName(i, {2027, 1, 1, 8, 0, 0, 0}));
    }
    windows.files.files.erase(kBackupFolder + u"\\20261201-080000-100.cfg");

    // Back an hour, then a day: each undo takes back exactly one change.
    const std::string first = userHive();
    setClockBack(1);
    shiftReleasesCapsLock(true);
    const std::string second = userHive();
    setClockBack(24);
    emojiPanelStaysOpen(false);
    ASSERT_EQ(backups().size(), 3u);
    EXPECT_EQ(backups().front().substr(0, 6), u"000053");

    commandLine(u"/undo");
    EXPECT_EQ(userHive(), second);
    commandLine(u"/undo");
    EXPECT_EQ(userHive(), first);
    EXPECT_EQ(backups().size(), 1u);
}

TEST_F(BackupsTest, ABackupThatCannotBeMadeIsToldAndLetsTheChangeGoOn) {
    struct Case {
        const char* name;
        std::function<void(platform::Substitute&)> fault;
        ustring status;
    };
    const Case cases[] = {
        {"no local application-data folder",
         [](platform::Substitute& w) { w.system.localAppData.clear(); },
         u"未能备份更改前的设置（找不到用户的本地应用数据文件夹（LOCALAPPDATA）），此次更改无法撤销"
         u"。"},
        {"folder cannot be made",
         [](platform::Substitute& w) {
             w.files.uncreatable.push_back(kLocalAppData + u"\\Quillon");
         },
         u"未能备份更改前的设置（无法创建文件夹“" + kBackupFolder + u"”），此次更改无法撤销。"},
        {"the lock is held by another", [](platform::Substitute& w) { w.files.failLock = true; },
         u"未能备份更改前的设置（无法锁定文件“" + kBackupFolder +
             u"\\backups.lock”：另一个程序正在使用此文件，进程无法访问。），此次更改无法撤销。"},
        {"write fails", [](platform::Substitute& w) { w.files.failWriteAfter = 10; },
         u"未能备份更改前的设置（磁盘空间不足。），此次更改无法撤销。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.fault(windows);
        const bool shift = form.ComboBox3.itemIndex != 1;
        shiftReleasesCapsLock(shift);
        EXPECT_EQ(windows.registry.queryValue(Hive::CurrentUser, kKeyboardLayout, u"Attributes")
                      .has_value(),
                  shift);
        EXPECT_EQ(form.StatusBar1, c.status);
        EXPECT_TRUE(backups().empty());
        windows.files.uncreatable.clear();
        windows.system.localAppData = kLocalAppData;
    }

    // The command line goes on silently.
    windows.files.failWriteAfter = 10;
    windows.dialogs.boxes.clear();
    commandLine(u"/emoji:1");
    EXPECT_EQ(form.ExitCode, 0);
    EXPECT_TRUE(windows.dialogs.boxes.empty());
}

// The backup reads the registry and nothing else: the window's TSF object stays, and the
// change it protects finds Windows as it was.
TEST_F(BackupsTest, TheBackupLeavesTheChangeItsState) {
    windows.tsf.createResult = static_cast<std::int32_t>(0x80004005u);
    windows.calls.clear();
    {
        const backups::UserAction action(form);
        form.ListView2.selected = 0;
        form.Button_EnableClick();
    }
    ASSERT_EQ(backups().size(), 1u);
    ASSERT_FALSE(windows.calls.empty());
    EXPECT_EQ(windows.calls.front().find("TF_CreateInputProcessorProfiles"), std::string::npos);
    EXPECT_EQ(windows.calls.front(), "CreateDirectory(" + toUtf8(kLocalAppData) + "\\Quillon)");
    EXPECT_NE(std::find(windows.calls.begin(), windows.calls.end(),
                        "ActivateProfile(1, 0804, {81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}, "
                        "{82590C13-F4DD-44F4-BA1D-8667246FDF8E}, 0x0, 0x1)"),
              windows.calls.end());
}

TEST_F(BackupsTest, UndoWalksBackOneChangeAtATime) {
    const std::string original = userHive();
    shiftReleasesCapsLock(true);
    const std::string afterFirst = userHive();
    emojiPanelStaysOpen(true);
    ASSERT_NE(userHive(), afterFirst);
    ASSERT_EQ(backups().size(), 2u);

    commandLine(u"/UNDO");
    EXPECT_EQ(form.ExitCode, 0);
    EXPECT_EQ(userHive(), afterFirst);
    EXPECT_EQ(backups().size(), 1u);
    commandLine(u"/undo");
    EXPECT_EQ(userHive(), original);
    EXPECT_TRUE(backups().empty());

    // Nothing left: the command line fails, the window tells.
    windows.dialogs.boxes.clear();
    commandLine(u"/undo");
    EXPECT_EQ(form.ExitCode, 1);
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_NE(windows.dialogs.boxes[0].text.find(u"没有可撤销的更改。"), ustring::npos);
    windows.dialogs.boxes.clear();
    undoFromTheWindow();
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_EQ(windows.dialogs.boxes[0].text, u"没有可撤销的更改。");
    EXPECT_EQ(windows.dialogs.boxes[0].flags, platform::kMbIconInformation);
}

// A change after an undo in the same run, and the re-apply of "/r", get backups of their own.
TEST_F(BackupsTest, EveryChangeOfARunIsBackedUp) {
    const std::string original = userHive();
    commandLine(u"/emoji:1 /undo /shift");
    EXPECT_EQ(form.ExitCode, 0);
    ASSERT_EQ(backups().size(), 1u);
    commandLine(u"/undo");
    EXPECT_EQ(userHive(), original);

    TForm1 refresh{windows.platform()};
    windows.system.commandLine = kProgram + u"/r";
    refresh.FormCreate();
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_EQ(backups::oldFormNote(""), u"");
    const auto read = backups::readRegFile(newest());
    ASSERT_TRUE(read.file);
    EXPECT_EQ(read.file->note, u"命令行 /r");
}

TEST_F(BackupsTest, TheWindowAsksBeforeUndoing) {
    const std::string original = userHive();
    shiftReleasesCapsLock(true);
    const std::string changed = userHive();
    windows.dialogs.boxes.clear();

    windows.dialogs.answers.push_back(platform::kIdNo);
    undoFromTheWindow();
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_EQ(windows.dialogs.boxes[0].text,
              u"将恢复到 2026-12-10 21:30:15 之前的设置（关闭大写键）。是否继续？");
    EXPECT_EQ(windows.dialogs.boxes[0].flags,
              platform::kMbYesNo | platform::kMbIconQuestion | platform::kMbDefButton2);
    EXPECT_EQ(userHive(), changed);
    EXPECT_EQ(backups().size(), 1u);

    windows.dialogs.answers.push_back(platform::kIdYes);
    form.mylangid = 0x0409;
    form.Button_RefreshClick();
    undoFromTheWindow();
    EXPECT_EQ(userHive(), original);
    EXPECT_TRUE(backups().empty());
    EXPECT_EQ(form.StatusBar1, u"已恢复到 2026-12-10 21:30:15 之前的设置（关闭大写键）。");
    EXPECT_EQ(form.mylangid, 0x0409); // the language shown before
}

// A newest backup that cannot be read is named, left in place, and the next one is applied;
// a backup of the earlier form comes after every new one and is loaded as before.
TEST_F(BackupsTest, UndoPassesOverWhatItCannotReadAndUndoesTheEarlierForm) {
    windows.files.directories.push_back(kLocalAppData + u"\\Quillon");
    windows.files.directories.push_back(kBackupFolder);
    const ustring oldForm = kBackupFolder + u"\\20261201-080000-100.cfg";
    windows.files.files[oldForm] = "; 导入配置“C:\\x.cfg”\r\n[0804_other]\r\nInputEmoji=1\r\n";
    const std::string original = userHive();
    shiftReleasesCapsLock(true);
    emojiPanelStaysOpen(true);
    const ustring unreadable = kBackupFolder + u"\\" + backups().front();
    windows.files.unreadable.push_back(unreadable);

    windows.dialogs.answers.push_back(platform::kIdYes);
    windows.dialogs.boxes.clear();
    undoFromTheWindow();
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_EQ(
        windows.dialogs.boxes[0].text,
        u"备份文件“" + unreadable +
            u"”（另一个程序正在使用此文件，进程无法访问。）无法读取，已跳过并保留。\r将恢复到 "
            u"2026-12-10 21:30:15 之前的设置（关闭大写键）。是否继续？");
    EXPECT_EQ(userHive(), original);
    EXPECT_EQ(windows.files.files.count(unreadable), 1u);

    // A file that is no backup's form is passed over the same way.
    windows.files.unreadable.clear();
    windows.files.files[unreadable] = "\xFF\xFE";
    windows.dialogs.answers.push_back(platform::kIdYes);
    windows.dialogs.boxes.clear();
    undoFromTheWindow();
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_NE(windows.dialogs.boxes[0].text.find(
                  u"这是旧版程序的备份（配置文件），将以导入配置的方式恢复"),
              ustring::npos);
    EXPECT_NE(windows.dialogs.boxes[0].text.find(u"（导入配置“C:\\x.cfg”）"), ustring::npos);
    EXPECT_EQ(windows.files.files.count(oldForm), 0u);
    EXPECT_EQ(form.CheckBox3.checked, true);

    // Only the unreadable one is left: the command line says so.
    windows.dialogs.boxes.clear();
    commandLine(u"/undo");
    EXPECT_EQ(form.ExitCode, 1);
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_NE(windows.dialogs.boxes[0].text.find(u"已跳过并保留。没有其它可撤销的更改。"),
              ustring::npos);
}

// A write of the restore that fails puts back what the undo wrote, keeps the backup and says,
// in undo's words, that nothing was undone and that undoing again finishes it.
TEST_F(BackupsTest, AnUndoThatFailsPartWayUndoesNothing) {
    windows.addProfile({layout(0x0804, 0x04090804, 2), std::nullopt});
    form.Button_RefreshClick();
    {
        const backups::UserAction action(form);
        form.ListView1.selected = 0;
        form.Button_DownClick();
    }
    shiftReleasesCapsLock(true);
    commandLine(u"/undo");
    const std::string changed = userHive();
    const std::size_t kept = backups().size();
    ASSERT_EQ(kept, 1u);

    // Count the undo's writes, then fail each in turn, once and from then on.
    const std::string backup = newest();
    const auto undoWith = [&](std::function<bool(int)> fails) {
        int seen = 0;
        windows.registry.setWriteFault([&](const platform::RegWrite&) { return fails(++seen); });
        windows.dialogs.boxes.clear();
        commandLine(u"/undo");
        windows.registry.setWriteFault(nullptr);
        return seen;
    };
    const int writes = undoWith([](int) { return false; });
    ASSERT_GT(writes, 2);
    const std::string original = userHive();
    for (int n = 1; n <= writes; ++n) {
        for (const bool fromThenOn : {false, true}) {
            SCOPED_TRACE(std::to_string(n) + (fromThenOn ? " on" : " once"));
            // Back to the changed state, with its backup.
            windows.files.files[kBackupFolder + u"\\000001-20261210-213015.reg"] = backup;
            // Replay the change without a backup of its own.
            windows.system.localAppData.clear();
            {
                const backups::UserAction action(form);
                form.Button_RefreshClick();
                form.ListView1.selected = 0;
                form.Button_DownClick();
            }
            windows.system.localAppData = kLocalAppData;
            ASSERT_EQ(userHive(), changed);
            undoWith([&](int seen) { return fromThenOn ? seen >= n : seen == n; });
            EXPECT_EQ(form.ExitCode, 1);
            ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
            const ustring& told = windows.dialogs.boxes[0].text;
            EXPECT_NE(told.find(u"撤销未能完成"), ustring::npos);
            EXPECT_NE(told.find(u"再次撤销即可完成"), ustring::npos);
            if (userHive() == changed) {
                EXPECT_NE(told.find(u"没有撤销任何更改"), ustring::npos) << toUtf8(told);
            } else {
                EXPECT_NE(told.find(u"未能复原为撤销之前的状态"), ustring::npos) << toUtf8(told);
            }
            EXPECT_EQ(backups().size(), 1u);
        }
    }
    // And undoing again finishes it.
    windows.registry.setWriteFault(nullptr);
    commandLine(u"/undo");
    EXPECT_EQ(form.ExitCode, 0);
    EXPECT_EQ(userHive(), original);
}

// Two processes backing up at once: the second waits for the first's lock, then takes the
// next number, so that both backups stay.
TEST(BackupStore, TwoProcessesKeepTwoBackups) {
    platform::Substitute windows;
    windows.files.directories.push_back(u"C:\\Users\\user\\AppData");
    windows.files.directories.push_back(kLocalAppData);
    windows.files.lockWaitMs = 10000;
    std::atomic<bool> secondWaits{false};
    std::atomic<bool> secondStarted{false};
    std::thread second;
    backups::Written secondWritten;
    const std::thread::id firstId = std::this_thread::get_id();
    windows.files.onCall = [&](const char* call) {
        const bool inFirst = std::this_thread::get_id() == firstId;
        if (inFirst && std::string(call) == "FileNames" && !secondStarted.exchange(true)) {
            // The first holds the lock and has listed the folder: the second starts now.
            second = std::thread([&] {
                secondWritten = backups::writeBackup(windows.files, kBackupFolder, "second",
                                                     {2026, 12, 10, 21, 30, 15, 0});
            });
            for (int i = 0; i < 10000 && !secondWaits; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        if (!inFirst && std::string(call) == "LockFile busy") {
            secondWaits = true;
        }
    };
    const auto written =
        backups::writeBackup(windows.files, kBackupFolder, "first", {2026, 12, 10, 21, 30, 15, 0});
    second.join();
    EXPECT_TRUE(secondWaits);
    EXPECT_TRUE(secondWritten.ok) << toUtf8(secondWritten.reason);
    EXPECT_EQ(secondWritten.name, u"000002-20261210-213015.reg");
    EXPECT_TRUE(written.ok);
    EXPECT_EQ(written.name, u"000001-20261210-213015.reg");
    windows.files.onCall = nullptr;
    EXPECT_EQ(windows.files.files[kBackupFolder + u"\\000001-20261210-213015.reg"], "first");
    EXPECT_EQ(windows.files.files[kBackupFolder + u"\\000002-20261210-213015.reg"], "second");
}

TEST(BackupStore, NamesByNumber) {
    EXPECT_EQ(backups::backupName(123, {2026, 12, 11, 9, 15, 0, 0}), u"000123-20261211-091500.reg");
    EXPECT_EQ(backups::backupName(1234567, {2026, 1, 2, 3, 4, 5, 0}),
              u"1234567-20260102-030405.reg");
    const auto parsed = backups::parseBackupName(u"1234567-20260102-030405.REG");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->number, 1234567u);
    EXPECT_EQ(parsed->time, u"2026-01-02 03:04:05");
    for (const char16_t* other :
         {u"backups.lock", u"12345-20260102-030405.reg", u"000001-20260102-030405.reg.~new",
          u"00000a-20260102-030405.reg", u"000001-2026010-0304050.reg"}) {
        EXPECT_FALSE(backups::parseBackupName(other)) << toUtf8(other);
    }
}

// The file form keeps every value with its type and bytes, names as spelled, and absence.
TEST(BackupFile, ReadsBackWhatItWrote) {
    platform::MemoryRegistry registry;
    platform::loadRegText(registry, R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Keyboard Layout]
"Attributes"=dword:00010000
@="default"
"Odd \"name\" \\ here"="text with \\ and \" and ; and ]"

[HKEY_CURRENT_USER\Keyboard Layout\preload]
"1"="00000804"
"Empty"=hex:
"Long"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a
"Multi"=hex(7):61,00,00,00,62,00,00,00,00,00
"Expand"=hex(2):25,00,00,00
"Unterminated"=hex(1):61,00
"Short dword"=hex(4):01,02
"Qword"=hex(b):01,02,03,04,05,06,07,08
"None"=hex(0):
"Line"=hex(1):61,00,0d,00,0a,00,00,00

[HKEY_CURRENT_USER\Control Panel\Desktop]
"UserPreferencesMask"=hex:9e,1e,07,80,12,00,00,00
"Wallpaper"="not kept"
)");
    platform::KeyReads reads(registry, Hive::CurrentUser);
    const backups::Snapshot snapshot = backups::takeSnapshot(reads);
    const std::string bytes = backups::writeRegFile(backups::toRegFile(snapshot, u"a\r\nnote"));
    const backups::RegFileRead read = backups::readRegFile(bytes);
    ASSERT_TRUE(read.file) << toUtf8(read.problem);
    EXPECT_EQ(read.file->note, u"a  note");
    ustring problem;
    const auto back = backups::fromRegFile(*read.file, problem);
    ASSERT_TRUE(back) << toUtf8(problem);
    ASSERT_EQ(back->areas.size(), snapshot.areas.size());
    for (std::size_t i = 0; i < back->areas.size(); ++i) {
        EXPECT_TRUE(back->areas[i].tree == snapshot.areas[i].tree)
            << toUtf8(back->areas[i].key->path);
    }
    // Registry Editor reads it to the same keys.
    platform::MemoryRegistry imported;
    platform::loadRegText(imported, bytes);
    EXPECT_EQ(imported.dump(Hive::CurrentUser, kKeyboardLayout),
              registry.dump(Hive::CurrentUser, kKeyboardLayout));
    EXPECT_FALSE(imported.queryValue(Hive::CurrentUser, kDesktop, u"Wallpaper"));

    // Broken files are refused with the line.
    for (const char* broken : {"", "\xFF\xFEW", "plain"}) {
        EXPECT_FALSE(backups::readRegFile(broken).file);
    }
}

} // namespace
} // namespace quillon::testing
