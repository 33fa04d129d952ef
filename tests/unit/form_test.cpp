// Start-up, the single-argument handling, the About box, Delay and the enabling rules.
#include "app/menus.h"
#include "drift/drift_commands.h"
#include "form_fixture.h"
#include "platform/substitute/substitute.h"

#include <functional>

namespace quillon::testing {
namespace {

using platform::ProcessExit;

TEST_F(FormTest, BelowWindows10OnlyTheMessageShowsAndTheProcessEnds) {
    windows.system.versionMajor = 6;
    EXPECT_THROW(form.FormCreate(), ProcessExit);
    EXPECT_EQ(windows.processEnd.exitCode, 0);
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_EQ(windows.dialogs.boxes[0].text,
              u"只支持 Windows10、Windows Server 2019 及更高版本操作系统。");
    EXPECT_EQ(windows.dialogs.boxes[0].caption, u"Quillon 输入法设置工具");
    EXPECT_EQ(windows.dialogs.boxes[0].flags, platform::kMbIconInformation);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"MessageBox(Quillon 输入法设置工具, 0x40)",
                                                       "ExitProcess(0)"}));
}

// The early query's answer arrives 800 ms after it started; a second, different answer would be
// taken by any query asked again.
class EarlyQueryTest : public FormTest {
protected:
    EarlyQueryTest() {
        windows.processes.runs.push_back({kLanguageQueryOutput, true, 800});
        windows.processes.runs.push_back(
            {"LanguageTag : de-DE\r\nLocalizedName : Deutsch\r\n", true, 800});
    }

    // The query starts; the window is built meanwhile, for 200 ms.
    void startEarly() {
        form.StartLanguageQuery();
        windows.clockMs += 200;
        startedAt = windows.clockMs;
    }

    int count(const char* prefix) const {
        return static_cast<int>(
            std::count_if(windows.calls.begin(), windows.calls.end(),
                          [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
    }

    std::uint32_t startedAt = 0;
    const StringList named{u"中文(中华人民共和国)", u"English(UnitedStates)"};
};

TEST_F(EarlyQueryTest, WindowIsFilledBeforeTheNamesAndTheAnswerFillsOnlyTheCombo) {
    startEarly();
    form.FormCreate();
    EXPECT_EQ(windows.clockMs, startedAt); // nothing waited for the query
    EXPECT_EQ(count("RunCaptured("), 0);
    EXPECT_EQ(names(form.ListView1), std::vector<std::string>{"微软拼音"});
    EXPECT_EQ(form.ComboBox_Lang.items, StringList{u"正在读取语言列表…"});
    EXPECT_EQ(form.ComboBox_Lang.itemIndex, 0);
    EXPECT_FALSE(form.ComboBox_Lang.enabled);
    EXPECT_EQ(form.StatusBar1, u"就绪");

    // Neither a refresh nor the combo's one item asks again or switches the language.
    form.Button_RefreshClick();
    form.ComboBox_LangClick();
    EXPECT_EQ(form.mylangid, 0x0804);
    EXPECT_EQ(form.ComboBox_Lang.items, StringList{u"正在读取语言列表…"});
    form.pollLanguageNames();
    EXPECT_EQ(form.languageNames, TForm1::LanguageNames::Running);

    windows.clockMs += 600;
    const std::size_t callsBefore = windows.calls.size();
    const auto rows = form.ListView1.rows;
    form.pollLanguageNames();
    EXPECT_EQ(form.ComboBox_Lang.items, named);
    EXPECT_EQ(form.ComboBox_Lang.itemIndex, 0);
    EXPECT_TRUE(form.ComboBox_Lang.enabled);
    EXPECT_EQ(form.ListView1.rows, rows);
    // The early run's answer, taken without a wait, and no refresh.
    const std::vector<std::string> after(windows.calls.begin() + static_cast<long>(callsBefore),
                                         windows.calls.end());
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], "EarlyRunPending");
    EXPECT_EQ(after[1].rfind("RunCaptured(", 0), 0u);
    EXPECT_EQ(windows.processes.runs.size(), 1u);
    EXPECT_EQ(windows.clockMs, startedAt + 600);
}

TEST_F(EarlyQueryTest, FailedQueryLeavesTheTagsAndSaysSo) {
    windows.processes.runs.front() = {"", false, 0};
    startEarly();
    form.FormCreate();
    form.pollLanguageNames();
    EXPECT_EQ(form.ComboBox_Lang.items, (StringList{u"zh-Hans-CN", u"en-US"}));
    EXPECT_TRUE(form.ComboBox_Lang.enabled);
    EXPECT_EQ(form.StatusBar1, u"未能读取语言名称，语言列表中以语言标记代替。");
    EXPECT_EQ(count("RunCaptured("), 1);
}

TEST_F(EarlyQueryTest, WalksOverTheLanguagesWaitForTheNamesWithTheBusyCursor) {
    const std::vector<std::pair<const char*, std::function<void(TForm1&)>>> walks = {
        {"export", [](TForm1& f) { f.savecfg(u"C:\\setup.cfg"); }},
        {"import", [](TForm1& f) { f.loadcfg(u"C:\\setup.cfg"); }},
        {"check", [](TForm1& f) { checkConfig(f, u"C:\\setup.cfg"); }},
    };
    for (const auto& [name, walk] : walks) {
        platform::Substitute os;
        os.loadReg(kBaseRegistry);
        os.processes.runs.push_back({kLanguageQueryOutput, true, 800});
        os.files.files[u"C:\\setup.cfg"] = "";
        TForm1 f(os.platform());
        f.StartLanguageQuery();
        f.FormCreate();
        bool busyWhileWaiting = false;
        f.Changed = [&] {
            busyWhileWaiting |= f.ScreenCursor == Cursor::HourGlass && !f.Enabled &&
                                f.StatusBar1 == u"正在读取语言列表…";
        };
        const std::uint32_t before = os.clockMs;
        walk(f);
        EXPECT_TRUE(busyWhileWaiting) << name;
        EXPECT_GE(os.clockMs - before, 800u) << name;
        EXPECT_EQ(f.languageNames, TForm1::LanguageNames::Read) << name;
        EXPECT_EQ(f.ComboBox_Lang.items, named) << name;
        EXPECT_EQ(f.ScreenCursor, Cursor::Default) << name;
        EXPECT_TRUE(f.Enabled) << name;
    }
}

// A command-line run never shows the names: it starts no PowerShell for them and waits for
// none, whatever its commands (the configuration's check and apply included); words without
// any "/" still start the window and the query.
TEST_F(EarlyQueryTest, ACommandLineRunStartsNoLanguageQuery) {
    for (const char16_t* line :
         {u"quillon.exe /savecfg:setup.cfg", u"quillon.exe /checkcfg:setup.cfg /shift"}) {
        platform::Substitute os;
        os.loadReg(kBaseRegistry);
        os.system.commandLine = line;
        os.processes.runs.push_back({kLanguageQueryOutput, true, 800});
        TForm1 f(os.platform());
        const std::uint32_t before = os.clockMs;
        f.StartLanguageQuery();
        f.FormCreate();
        EXPECT_EQ(f.languageNames, TForm1::LanguageNames::NotNeeded);
        for (const std::string& call : os.calls) {
            EXPECT_EQ(call.rfind("StartEarly(", 0), std::string::npos) << call;
            EXPECT_EQ(call.rfind("RunCaptured(", 0), std::string::npos) << call;
        }
        EXPECT_EQ(os.clockMs, before);
    }
    windows.system.commandLine = u"quillon.exe words";
    startEarly();
    EXPECT_EQ(count("StartEarly("), 1);

    // Where the program does not run, nothing is started.
    platform::Substitute old;
    old.system.versionMajor = 6;
    TForm1(old.platform()).StartLanguageQuery();
    EXPECT_TRUE(old.calls.empty());
}

TEST_F(FormTest, RefreshArgumentReappliesLanguagesAndEnds) {
    for (const char16_t* line : {u"quillon.exe /r", u"quillon.exe /REFRESH", u"q /x/R/y"}) {
        platform::Substitute os;
        os.system.commandLine = line;
        TForm1 f(os.platform());
        f.FormCreate();
        EXPECT_FALSE(f.ShowMainForm) << toUtf8(line);
        EXPECT_TRUE(os.processEnd.terminated);
        EXPECT_EQ(os.calls.back(), "Terminate") << toUtf8(line);
        EXPECT_EQ(
            os.calls[os.calls.size() - 2],
            "ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe, "
            "-command \"& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}\", 0)");
        // No refresh ran.
        EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "TF_CreateInputProcessorProfiles"),
                  0);
    }
}

TEST_F(FormTest, RefreshArgumentWithATrailingBlankIsACommand) {
    windows.system.commandLine = u"quillon.exe /r /x";
    start();
    EXPECT_EQ(std::count(windows.calls.begin(), windows.calls.end(), std::string("ShellExecute")),
              0);
    EXPECT_EQ(std::count(windows.calls.begin(), windows.calls.end(),
                         std::string("TF_CreateInputProcessorProfiles")),
              1);
    EXPECT_FALSE(form.ShowMainForm); // the command pass hides the window and ends
    EXPECT_TRUE(windows.processEnd.terminated);
}

TEST_F(FormTest, WordsWithoutSlashStartInteractively) {
    windows.system.commandLine = u"\"C:\\Program Files\\Quillon\\quillon.exe\" hello";
    start();
    EXPECT_TRUE(form.ShowMainForm);
    EXPECT_FALSE(windows.processEnd.terminated);
    form.FormShow(); // a single piece: nothing
    EXPECT_FALSE(windows.processEnd.terminated);
}

TEST_F(FormTest, SingleArgumentHandling) {
    windows.system.commandLine = u"quillon.exe/remove_eng";
    start();
    windows.takeCalls();
    form.FormShow();
    const auto calls = windows.takeCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "UnloadKeyboardLayout(0x409)");
    EXPECT_EQ(calls.back(), "Terminate");
    EXPECT_TRUE(form.Minimized);
    EXPECT_FALSE(form.ShowMainForm);

    // The command words in any letter case; any other single piece is the command pass's,
    // and FormShow leaves the window to it.
    for (const char16_t* line : {u"quillon.exe/Remove_Eng", u"quillon.exe /REMOVE_ENG "}) {
        platform::Substitute os;
        os.system.commandLine = line;
        TForm1 f(os.platform());
        f.FormShow();
        ASSERT_FALSE(os.calls.empty()) << toUtf8(line);
        EXPECT_EQ(os.calls.front(), "UnloadKeyboardLayout(0x409)") << toUtf8(line);
        EXPECT_EQ(os.calls.back(), "Terminate") << toUtf8(line);
    }
    for (const char16_t* line : {u"quillon.exe/caps", u"quillon.exe /removeeng"}) {
        platform::Substitute os;
        os.system.commandLine = line;
        TForm1 f(os.platform());
        f.FormShow();
        EXPECT_TRUE(os.calls.empty()) << toUtf8(line);
        EXPECT_TRUE(f.ShowMainForm) << toUtf8(line);
    }
}

TEST_F(FormTest, AboutBoxOnlyForItsCommand) {
    EXPECT_FALSE(form.WMSysCommand(0xF060)); // SC_CLOSE goes to the default handling
    EXPECT_TRUE(windows.dialogs.boxes.empty());
    EXPECT_TRUE(form.WMSysCommand(kAboutCommandId));
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_EQ(windows.dialogs.boxes[0].caption, u"Quillon 输入法设置工具");
    EXPECT_EQ(windows.dialogs.boxes[0].flags, platform::kMbIconInformation);
    EXPECT_EQ(windows.dialogs.boxes[0].text.rfind(
                  u"支持系统：Windows10/11/Windows Server 2019/2021\r\r", 0),
              0u);
}

TEST_F(FormTest, DelayKeepsServicingUntilTheDeadline) {
    int clicks = 0;
    windows.messages.pendingInput.emplace_back(windows.clockMs + 1000, [&] { ++clicks; });
    windows.messages.pendingInput.emplace_back(windows.clockMs + 4000, [&] { ++clicks; });
    const std::uint32_t start = windows.clockMs;
    form.Delay(6000);
    EXPECT_EQ(windows.clockMs - start, 6000u);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(windows.calls,
              (std::vector<std::string>{"MsgWait(6000, 0x4FF)", "MsgWait(5000, 0x4FF)",
                                        "MsgWait(2000, 0x4FF)"}));
    EXPECT_EQ(windows.messages.openEvents, 0);
    windows.calls.clear();
    form.Delay(0);
    form.Delay(-5);
    EXPECT_TRUE(windows.calls.empty());
}

TEST_F(FormTest, SettleWaitDisablesTheWindowWhileWaiting) {
    start();
    bool sawDisabled = false;
    windows.messages.pendingInput.emplace_back(windows.clockMs + 10, [&] {
        sawDisabled = !form.Enabled && form.ScreenCursor == Cursor::HourGlass &&
                      form.StatusBar1 == u"处理键盘布局中，请等待六秒钟...";
    });
    const std::uint32_t start = windows.clockMs;
    form.SettleWait(6000, u"处理键盘布局中，请等待六秒钟...", u"“美式键盘”已在系统中启用");
    EXPECT_TRUE(sawDisabled);
    EXPECT_GE(windows.clockMs - start, 6000u);
    EXPECT_TRUE(form.Enabled);
    EXPECT_EQ(form.ScreenCursor, Cursor::Default);
    EXPECT_EQ(form.StatusBar1, u"就绪");
}

TEST_F(FormTest, EnablingRules) {
    struct Case {
        int count1;
        int selected;
        int count2;
        bool up, down, disable, enable;
    };
    const Case cases[] = {
        {1, 0, 0, false, false, false, false}, {2, -1, 1, true, true, true, true},
        {3, 0, 1, false, true, true, true},    {3, 2, 1, true, false, true, true},
        {3, 1, 0, true, true, true, false},    {0, -1, 2, false, false, false, true},
    };
    for (const Case& c : cases) {
        form.ListView1.rows.assign(static_cast<std::size_t>(c.count1), InputMethodEntry{});
        form.ListView1.selected = c.selected;
        form.ListView2.rows.assign(static_cast<std::size_t>(c.count2), InputMethodEntry{});
        form.ListView1Change();
        EXPECT_EQ(form.Button_Up.enabled, c.up) << c.count1 << "/" << c.selected;
        EXPECT_EQ(form.Button_Down.enabled, c.down) << c.count1 << "/" << c.selected;
        EXPECT_EQ(form.Button_Disable.enabled, c.disable) << c.count1;
        EXPECT_EQ(form.Button_Enable.enabled, c.enable) << c.count2;
        form.ListView2Change();
        EXPECT_EQ(form.Button_DEL.enabled, c.count2 > 0);
    }

    form.ListView1.rows.assign(3, InputMethodEntry{});
    form.ListView1.selected = 2;
    form.defime = 2;
    form.ListView1Change();
    form.PopupMenu1Popup();
    EXPECT_TRUE(form.PopupMenu1.items[0].enabled);
    EXPECT_FALSE(form.PopupMenu1.items[2].enabled); // the default row is selected
    EXPECT_TRUE(form.PopupMenu1.items[3].enabled);
    form.defime = -1;
    form.PopupMenu1Popup();
    EXPECT_TRUE(form.PopupMenu1.items[2].enabled);
    EXPECT_FALSE(form.PopupMenu1.items[3].enabled);
    EXPECT_TRUE(form.PopupMenu1.items[5].enabled);
}

// An item is a separator, or has both the rule that enables it and the handler its choice runs.
TEST_F(FormTest, EveryMenuItemHasARuleAndAHandler) {
    for (const Menu* menu :
         {&form.PopupMenu1, &form.PopupMenu2, &form.PopupMenu3, &form.SystemMenu}) {
        ASSERT_FALSE(menu->items.empty());
        for (const MenuItem& item : menu->items) {
            const bool separator = item.caption == u"-";
            ASSERT_EQ(item.command == nullptr, separator) << toUtf8(item.caption);
            if (!separator) {
                EXPECT_NE(item.command->enabled, nullptr) << toUtf8(item.caption);
            }
        }
    }
    // The system menu's separator and ids past its items are no commands of ours.
    EXPECT_FALSE(form.WMSysCommand(kSystemMenuBase));
    EXPECT_FALSE(form.WMSysCommand(kSystemMenuBase + 2));
    EXPECT_TRUE(windows.dialogs.boxes.empty());
}

TEST_F(FormTest, RowDrawing) {
    auto row = [](const ustring& clsid, const ustring& hkl) {
        InputMethodEntry e;
        e.fields[kFieldClsid] = clsid;
        e.fields[kFieldHkl] = hkl;
        return e;
    };
    const ustring tip = guidToText(kPinyinClsid);
    form.ListView1.rows = {row(tip, u"00000000"), row(nullGuidText(), u"04090804"),
                           row(nullGuidText(), u"E0200804")};
    form.ListView2.rows = form.ListView1.rows;
    form.defime = 2;
    const RowStyle expected1[] = {{kDefaultColor, false}, {kBlue, false}, {kGreen, true}};
    for (int i = 0; i < 3; ++i) {
        const RowStyle s1 = form.ListView1AdvancedCustomDrawItem(i);
        EXPECT_EQ(s1.color, expected1[i].color) << i;
        EXPECT_EQ(s1.bold, expected1[i].bold) << i;
        const RowStyle s2 = form.ListView2AdvancedCustomDrawItem(i);
        EXPECT_EQ(s2.color, expected1[i].color) << i;
        EXPECT_FALSE(s2.bold);
    }
}

} // namespace
} // namespace quillon::testing
