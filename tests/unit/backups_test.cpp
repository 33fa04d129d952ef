// Backups before every change and undo: one backup per user action holding the setup before
// it, the newest fifty kept, a failed backup never stopping the change, and undo walking back
// one change at a time from the window and the command line.
#include "backups/backup_store.h"
#include "backups/backups.h"
#include "cli/command_line.h"
#include "core/error.h"
#include "files/setup_reader.h"
#include "form_fixture.h"

#include <algorithm>

namespace quillon::testing {
namespace {

using platform::Hive;

const ustring kLocal = u"C:\\Users\\user\\AppData\\Local";
const ustring kFolder = kLocal + u"\\Quillon\\backups";
const ustring kProgram = u"\"C:\\Program Files\\Quillon\\quillon.exe\" ";

class BackupsTest : public FormTest {
protected:
    BackupsTest() {
        windows.loadReg("Windows Registry Editor Version 5.00\n\n"
                        "[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n"
                        "\"Hotkey\"=\"1\"\n\n"
                        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Input\\Settings]\n"
                        "\"EnableExpressiveInputEmojiMultipleSelection\"=dword:00000000\n");
        windows.system.localAppData = kLocal;
        windows.files.directories.push_back(u"C:\\Users\\user\\AppData");
        windows.files.directories.push_back(kLocal);
        start();
    }

    StringList backups() { return backups::backupNames(windows.files, kFolder); }
    std::string newest() { return windows.files.files[kFolder + u"\\" + backups().back()]; }
    // The setup as a backup holds it.
    std::string setup() { return readSetup(form).bytes(); }

    // A run of the command line on the open window, as FormCreate hands it over.
    void commandLine(const ustring& arguments) {
        form.ExitCode = 0;
        form.ReadParam(commandPieces(kProgram + arguments));
    }
    // A change from the window: one user action, as the view runs every event.
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
};

TEST_F(BackupsTest, OneBackupPerUserActionHoldingTheSetupBeforeIt) {
    const std::string before = readSetup(form).bytes();
    {
        // The program's start runs the command line inside the window's first event.
        const backups::UserAction start(form);
        commandLine(u"/shift /emoji:1 /layout:0");
    }
    ASSERT_EQ(backups(), StringList{u"20261210-213015-923.cfg"});
    EXPECT_EQ(newest(), backups::withNote(before, u"命令行 /shift /emoji:1 /layout:0"));
    EXPECT_EQ(backups::noteOf(newest()), u"命令行 /shift /emoji:1 /layout:0");
    EXPECT_NE(readSetup(form).bytes(), before);

    // A load is one action however many languages and settings it writes.
    windows.clockMs += 2000;
    const std::string beforeLoad = readSetup(form).bytes();
    windows.files.files[u"C:\\load.cfg"] =
        "[0804_switchkey]\r\nCAPS=Caps Lock\r\nlayout=Alt+Shift\r\n\r\n[0804_other]\r\n"
        "InputEmoji=0\r\n\r\n[0409_other]\r\nInputEmoji=1\r\n";
    form.loadcfg(u"C:\\load.cfg");
    ASSERT_EQ(backups().size(), 2u);
    EXPECT_EQ(newest(), backups::withNote(beforeLoad, u"导入配置“C:\\load.cfg”"));

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

TEST_F(BackupsTest, TheNewestFiftyAreKept) {
    for (int i = 0; i < 50; ++i) {
        const std::string n = std::to_string(100 + i);
        windows.files.files[kFolder + u"\\20261201-080000-" + fromUtf8(n) + u".cfg"] = "old";
    }
    windows.files.files[kFolder + u"\\说明.txt"] = "a user's own file";
    windows.files.directories.push_back(kLocal + u"\\Quillon");
    windows.files.directories.push_back(kFolder);
    emojiPanelStaysOpen(true);
    const StringList kept = backups();
    ASSERT_EQ(kept.size(), 50u);
    EXPECT_EQ(kept.front(), u"20261201-080000-101.cfg");
    EXPECT_EQ(kept.back(), u"20261210-213015-923.cfg");
    EXPECT_EQ(windows.files.files.count(kFolder + u"\\说明.txt"), 1u);

    // Two backups within one millisecond still sort in their order.
    shiftReleasesCapsLock(true);
    EXPECT_EQ(backups().back(), u"20261210-213015-924.cfg");
}

TEST_F(BackupsTest, ABackupThatCannotBeMadeLetsTheChangeGoOn) {
    struct Case {
        const char* name;
        std::function<void(platform::Substitute&)> fault;
        ustring status;
    };
    const Case cases[] = {
        {"folder cannot be made",
         [](platform::Substitute& w) { w.files.uncreatable.push_back(kLocal + u"\\Quillon"); },
         u"未能备份更改前的设置（无法创建文件夹“" + kFolder + u"”），此次更改无法撤销。"},
        {"write fails", [](platform::Substitute& w) { w.files.failWriteAfter = 10; },
         u"未能备份更改前的设置（磁盘空间不足。），此次更改无法撤销。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.fault(windows);
        const bool shift = form.ComboBox3.itemIndex != 1;
        shiftReleasesCapsLock(shift);
        EXPECT_EQ(windows.registry.queryValue(Hive::CurrentUser, u"Keyboard Layout", u"Attributes")
                      .has_value(),
                  shift);
        EXPECT_EQ(form.StatusBar1, c.status);
        EXPECT_TRUE(backups().empty());
        windows.files.uncreatable.clear();
    }

    // The command line goes on silently.
    windows.files.failWriteAfter = 10;
    windows.ui.boxes.clear();
    commandLine(u"/emoji:1");
    EXPECT_EQ(form.ExitCode, 0);
    EXPECT_TRUE(windows.ui.boxes.empty());
}

TEST_F(BackupsTest, UndoWalksBackOneChangeAtATime) {
    const std::string original = setup();
    shiftReleasesCapsLock(true);
    const std::string afterFirst = setup();
    windows.clockMs += 1000;
    emojiPanelStaysOpen(true);
    ASSERT_NE(setup(), afterFirst);
    ASSERT_EQ(backups().size(), 2u);

    commandLine(u"/UNDO");
    EXPECT_EQ(form.ExitCode, 0);
    EXPECT_EQ(setup(), afterFirst);
    EXPECT_EQ(backups().size(), 1u);
    commandLine(u"/undo");
    EXPECT_EQ(setup(), original);
    EXPECT_TRUE(backups().empty());

    // Nothing left: the command line fails, the window tells.
    windows.ui.boxes.clear();
    commandLine(u"/undo");
    EXPECT_EQ(form.ExitCode, 1);
    ASSERT_EQ(windows.ui.boxes.size(), 1u);
    EXPECT_NE(windows.ui.boxes[0].text.find(u"没有可撤销的更改。"), ustring::npos);
    windows.ui.boxes.clear();
    undoFromTheWindow();
    ASSERT_EQ(windows.ui.boxes.size(), 1u);
    EXPECT_EQ(windows.ui.boxes[0].text, u"没有可撤销的更改。");
    EXPECT_EQ(windows.ui.boxes[0].flags, platform::kMbIconInformation);
}

TEST_F(BackupsTest, UndoPutsBackTheOrder) {
    windows.addProfile({layout(0x0804, 0x04090804, 2), std::nullopt});
    form.Button_RefreshClick();
    ASSERT_EQ(form.ListView1.count(), 2);
    const std::string original = setup();
    {
        const backups::UserAction action(form);
        form.ListView1.selected = 0;
        form.Button_DownClick();
    }
    // Windows lists the new order only once it has re-applied the list; the registry has it.
    const auto order = [&] {
        return windows.registry.dump(Hive::CurrentUser)
            .substr(windows.registry.dump(Hive::CurrentUser)
                        .find("[Control Panel\\International\\User Profile\\zh-Hans-CN]"),
                    300);
    };
    const std::string moved = order();
    // The re-apply has run: Windows lists the moved order too.
    std::vector<std::size_t> chinese;
    for (std::size_t i = 0; i < windows.tsf.profiles.size(); ++i) {
        if (windows.tsf.profiles[i].profile.langid == 0x0804 &&
            windows.tsf.profiles[i].profile.flags != 0) {
            chinese.push_back(i);
        }
    }
    ASSERT_EQ(chinese.size(), 2u);
    const auto reapplied = [&] {
        std::swap(windows.tsf.profiles[chinese[0]], windows.tsf.profiles[chinese[1]]);
    };
    reapplied();
    windows.ui.answers.push_back(platform::kIdYes);
    undoFromTheWindow();
    EXPECT_NE(order(), moved);
    reapplied();
    EXPECT_EQ(setup(), original);
}

TEST_F(BackupsTest, TheWindowAsksBeforeUndoing) {
    const std::string original = setup();
    shiftReleasesCapsLock(true);
    const std::string changed = setup();
    windows.ui.boxes.clear();

    windows.ui.answers.push_back(platform::kIdNo);
    undoFromTheWindow();
    ASSERT_EQ(windows.ui.boxes.size(), 1u);
    EXPECT_EQ(windows.ui.boxes[0].text,
              u"将恢复到 2026-12-10 21:30:15 之前的设置（关闭大写键）。是否继续？");
    EXPECT_EQ(windows.ui.boxes[0].flags,
              platform::kMbYesNo | platform::kMbIconQuestion | platform::kMbDefButton2);
    EXPECT_EQ(setup(), changed);
    EXPECT_EQ(backups().size(), 1u);

    windows.ui.answers.push_back(platform::kIdYes);
    form.mylangid = 0x0409;
    form.Button_RefreshClick();
    undoFromTheWindow();
    EXPECT_EQ(setup(), original);
    EXPECT_TRUE(backups().empty());
    EXPECT_EQ(form.StatusBar1, u"已恢复到 2026-12-10 21:30:15 之前的设置（关闭大写键）。");
    EXPECT_EQ(form.mylangid, 0x0409); // the language shown before
}

} // namespace
} // namespace quillon::testing
