#include "drift/config_drift.h"
#include "drift/drift_commands.h"
#include "drift/drift_wording.h"
#include "drift/tform_drift.h"
#include "form_fixture.h"

#include "cli/command_line.h"
#include "core/error.h"
#include "files/config_file.h"

#include <algorithm>
#include <functional>

namespace quillon::testing {
namespace {

const char* const kHotkeys = R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Keyboard Layout]

[HKEY_CURRENT_USER\Control Panel\International\User Profile]
"InputMethodOverride"="0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
"LangId"="00000804"
"Profile"="{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"
"Modifiers"="0000C002"
"VirtualKey"="00000035"
)";

const ustring kFile = u"C:\\Users\\user\\setup.cfg";
const ustring kReport = u"C:\\Users\\user\\report.txt";
const std::string kBom = "\xEF\xBB\xBF";
const std::string kReapply = "ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\"
                             "powershell.exe, -command \"& {get-WinUserLanguageList | "
                             "Set-WinUserLanguageList -Force}\", 0)";

class DriftTest : public FormTest {
protected:
    DriftTest() {
        windows.loadReg(kHotkeys);
        windows.addProfile({textService(0x0804, kPinyinClsid, kShuangpinProfile, 2), u"微软双拼"});
        start();
        form.savecfg(kFile);
        saved = windows.files.files[kFile];
        windows.calls.clear();
        writesBefore = windows.registry.writeCount();
        clockBefore = windows.clockMs;
    }

    // The saved file with one key set; an empty value removes a "_list" row.
    std::string edited(std::initializer_list<std::array<const char16_t*, 3>> edits) const {
        IniDocument document = readIni(saved).document;
        for (const auto& [section, key, value] : edits) {
            document.write(section, key, value);
        }
        return document.bytes();
    }
    ustring row(const char16_t* section, const char16_t* key) const {
        return readIni(saved).document.entry(section, key)->value;
    }

    // "checkcfg:" with a report; the report's text without its byte-order mark.
    std::string check(const std::string& file) {
        windows.files.files[kFile] = file;
        windows.files.files.erase(kReport);
        form.ExitCode = 0;
        checkcfgCommand(form, u"setup.cfg,\"C:\\Users\\user\\report.txt\"");
        const std::string report = windows.files.files.at(kReport);
        EXPECT_EQ(report.substr(0, 3), kBom);
        return report.substr(3);
    }

    int count(const std::string& call) const {
        return static_cast<int>(std::count(windows.calls.begin(), windows.calls.end(), call));
    }
    int processStarts() const {
        return static_cast<int>(
            std::count_if(windows.calls.begin(), windows.calls.end(), [](const std::string& c) {
                return c.rfind("ShellExecute", 0) == 0 || c.rfind("RunCaptured", 0) == 0 ||
                       c.rfind("StartEarly", 0) == 0;
            }));
    }

    std::string saved;
    int writesBefore = 0;
    std::int64_t clockBefore = 0;
};

TEST_F(DriftTest, EachSingleDifferenceIsOneLineAndStatusTwo) {
    const ustring pinyin = row(u"0804_list", u"1");
    const ustring shuangpin = row(u"0804_list", u"2");
    const ustring wubi = row(u"0804_disabled", u"1") + u"|";
    struct Case {
        std::string file;
        const char* line;
    };
    const Case cases[] = {
        // The settings Windows keeps once are compared where the load sets them last.
        {edited({{u"0409_switchkey", u"layout", u"`"}}),
         "0409_switchkey layout：文件为“`”，本机为“Ctrl+Shift”"},
        {edited({{u"0409_switchkey", u"language", u"DISABLE"}}),
         "0409_switchkey language：文件为“DISABLE”，本机为“Alt+Shift”"},
        {edited({{u"0409_switchkey", u"CAPS", u"Shift"}}),
         "0409_switchkey CAPS：文件为“Shift”，本机为“Caps Lock”"},
        {edited({{u"0409_other", u"SwitchMode", u"1"}}),
         "0409_other SwitchMode：文件为“1”，本机为“0”"},
        {edited({{u"0409_other", u"LanguageBar", u"0x1"}}),
         "0409_other LanguageBar：文件为“0x1”，本机为“0”"},
        {edited({{u"0409_other", u"InputEmoji", u"0"}}),
         "0409_other InputEmoji：文件为“0”，本机为“1”"},
        // The toggles are the language's own.
        {edited({{u"0804_switchkey", u"Ime/NonIme Toggle", u"none"}}),
         "0804_switchkey Ime/NonIme Toggle：文件为“none”，本机为“Ctrl+SPACE”"},
        {edited({{u"0804_switchkey", u"Shape Toggle", u"Shift+SPACE"}}),
         "0804_switchkey Shape Toggle：文件为“Shift+SPACE”，本机为“none”"},
        {edited({{u"0804_other", u"DefaultIME", u"2"}}),
         "0804_other DefaultIME：文件为“2”（微软双拼），本机为“1”（微软拼音）"},
        {edited({{u"0804_other", u"DefaultIME", u"0"}}),
         "0804_other DefaultIME：文件为“0”（语言列表），本机为“1”（微软拼音）"},
        {edited({{u"0804_list", u"2", (shuangpin + u"Ctrl+Shift+F2").c_str()}}),
         "0804_list 2（微软双拼）热键：文件为“Ctrl+Shift+F2”，本机为“无”"},
        // The default follows its row: DefaultIME=1 after the swap would name 微软双拼.
        {edited({{u"0804_list", u"1", shuangpin.c_str()},
                 {u"0804_list", u"2", pinyin.c_str()},
                 {u"0804_other", u"DefaultIME", u"2"}}),
         "0804_list 顺序：文件为“微软双拼、微软拼音”，本机为“微软拼音、微软双拼”"},
        {edited({{u"0804_list", u"3", wubi.c_str()}}),
         "0804_list 3（微软五笔）：文件中启用，本机没有启用"},
        {kBom + "[0804_list]\r\n1=" + toUtf8(pinyin) + "\r\n",
         "0804_list：本机启用的“微软双拼”（第 2 个）文件中没有"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(check(c.file), std::string(c.line) + "\r\n");
        EXPECT_EQ(form.ExitCode, 2);
    }
}

// What a load of the file would leave as it is, however the file spells it.
TEST_F(DriftTest, WhatTheLoadWouldNotChangeHolds) {
    const ustring pinyin = row(u"0804_list", u"1");
    const ustring renamed = u"别名" + pinyin.substr(pinyin.find(u'|'));
    const std::string cases[] = {
        saved,
        edited({{u"0804_list", u"1", (pinyin.substr(0, pinyin.size() - 6) + u"ctrl+5").c_str()},
                {u"0409_switchkey", u"layout", u"ctrl+shift"}}),
        edited({{u"0804_list", u"1", renamed.c_str()}}),
        // 0409's switching keys are applied after 0804's and are what the load leaves.
        edited(
            {{u"0804_switchkey", u"layout", u"Alt+Shift"}, {u"0804_other", u"InputEmoji", u"0"}}),
        edited({{u"0409_switchkey", u"layout", u"no such item"}}),
        edited({{u"0804_disabled", u"1", u"anything"}}),
        edited({{u"0804_other", u"DefaultIME", u"9"}}),
        edited({{u"0409_switchkey", u"Ime/NonIme Toggle", u"Ctrl+F2"}}), // 0409 has no toggles
        kBom + "[0409_other]\r\nInputEmoji=1\r\n",
    };
    for (const std::string& file : cases) {
        SCOPED_TRACE(file);
        EXPECT_EQ(check(file), "一致\r\n");
        EXPECT_EQ(form.ExitCode, 0);
    }
    // A language that is not installed is named, but is no difference.
    EXPECT_EQ(
        check(saved + "[0411_list]\r\n1=x\r\n[0411_disabled]\r\n[0411_other]\r\nInputEmoji=0\r\n"),
        "一致\r\n语言 0411 没有安装，没有比较文件中它的设置（0411_list、0411_other）\r\n");
    EXPECT_EQ(form.ExitCode, 0);
    // The check changes nothing and starts nothing; the shown language stays where the
    // fixture's save left it.
    EXPECT_EQ(windows.registry.writeCount(), writesBefore);
    EXPECT_EQ(processStarts(), 0);
    EXPECT_EQ(form.mylangid, 0x0409);
}

// A check that cannot be made ends the run with status 1 and its message; the report never
// keeps an earlier result: it holds the error, or is gone when even that cannot be written.
TEST_F(DriftTest, ACheckThatFailsEndsTheRunWithStatusOne) {
    const std::string errorReport = kBom + "无法检查：\r\n";
    struct Case {
        const char16_t* arguments;
        std::function<void()> fault;
        const char* message;
        std::optional<std::string> report; // what the report begins with; nullopt: removed
    };
    const Case cases[] = {
        {u"/checkcfg:setup.cfg,report.txt",
         [&] { windows.files.files[kFile] = kBom + "[0804_list]\r\n1=broken\r\n"; },
         "”有错误，未做任何比较或更改。\r第 2 行", errorReport + "配置文件“"},
        {u"/checkcfg:missing.cfg,report.txt", [] {}, "不存在", errorReport + "配置文件“"},
        {u"/checkcfg:setup.cfg,report.txt",
         [&] { windows.tsf.createResult = static_cast<std::int32_t>(0x80004005); },
         "无法列出语言 0804 的输入法", errorReport},
        {u"/checkcfg:setup.cfg,no folder\\report.txt", [] {}, "文件夹不存在", "old"},
        {u"/checkcfg:setup.cfg,report.txt", [&] { windows.files.failWriteAfter = 3; },
         "无法写入报告文件", errorReport + "C:\\Users\\user\\report.txt\r\n无法写入报告文件"},
        {u"/checkcfg:setup.cfg,SETUP.CFG", [] {}, "报告文件不能是配置文件本身", "old"},
        {u"/checkcfg:", [] {}, "checkcfg", "old"},
        {u"/checkcfg:a,b,c", [] {}, "checkcfg", "old"},
        {u"/applycfg:missing.cfg", [] {}, "不存在", "old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.arguments));
        windows.files.files = {{kFile, saved}, {kReport, "old"}};
        windows.files.failWriteAfter.reset();
        windows.tsf.createResult = 0;
        windows.dialogs.boxes.clear();
        form.ExitCode = 0;
        form.ComboBox3.itemIndex = 0;
        c.fault();
        form.ReadParam(extstring(u"quillon.exe " + ustring(c.arguments) + u" /shift", u"/"));
        EXPECT_EQ(form.ExitCode, 1);
        ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
        EXPECT_NE(toUtf8(windows.dialogs.boxes[0].text).find(c.message), std::string::npos)
            << toUtf8(windows.dialogs.boxes[0].text);
        const auto report = windows.files.files.find(kReport);
        if (c.report) {
            ASSERT_NE(report, windows.files.files.end());
            EXPECT_EQ(report->second.rfind(*c.report, 0), 0u) << report->second;
        } else {
            EXPECT_EQ(report, windows.files.files.end());
        }
        EXPECT_EQ(form.ComboBox3.itemIndex, 0); // "shift" did not run
        if (ustring_view(c.arguments).find(u"SETUP.CFG") != ustring_view::npos) {
            EXPECT_EQ(windows.files.files[kFile], saved); // never written over by a report
        }
    }
}

// ---- Applying what differs -------------------------------------------------------------------

TEST_F(DriftTest, AnUnchangedFileIsAppliedWithoutAWriteAProcessOrAWait) {
    windows.files.files[kFile] = saved;
    form.ReadParam(extstring(u"quillon.exe /applycfg:setup.cfg", u"/"));
    EXPECT_EQ(form.ExitCode, 0);
    EXPECT_EQ(windows.registry.writeCount(), writesBefore);
    EXPECT_EQ(processStarts(), 0);
    EXPECT_EQ(windows.clockMs, clockBefore);
    // Nothing but reading: no TSF, keyboard-layout or system-parameter change either.
    for (const std::string& call : windows.calls) {
        const bool reads = call.rfind("Enum", 0) == 0 || call.rfind("ReleaseProfiles", 0) == 0 ||
                           call.rfind("TF_Create", 0) == 0 || call.rfind("GetLanguage", 0) == 0 ||
                           call.rfind("SHLoadIndirectString", 0) == 0 ||
                           call.rfind("ReadFile", 0) == 0 || call == "Terminate";
        EXPECT_TRUE(reads) << call;
    }
    // One reading of each language, as a refresh of it would make.
    EXPECT_EQ(count("EnumProfiles(0804)"), 1);
    EXPECT_EQ(count("EnumProfiles(0409)"), 1);
}

TEST_F(DriftTest, OnlyWhatDiffersIsApplied) {
    std::vector<platform::RegWrite> writes;
    windows.registry.setWriteFault([&](const platform::RegWrite& w) {
        writes.push_back(w);
        return false;
    });
    const ustring shuangpin = row(u"0804_list", u"2");
    windows.files.files[kFile] =
        edited({{u"0804_list", u"2", (shuangpin + u"Ctrl+Shift+F2").c_str()},
                {u"0409_switchkey", u"CAPS", u"Shift"}});
    applycfgCommand(form, u"setup.cfg");
    // 0804 is committed once, with its one wait; 0409 is not committed, only its Caps Lock key
    // is written; nothing else runs.
    EXPECT_EQ(count(kReapply), 1);
    EXPECT_EQ(processStarts(), 1);
    EXPECT_EQ(count("MsgWait(4000, 0x4FF)"), 1);
    for (const platform::RegWrite& w : writes) {
        SCOPED_TRACE(toUtf8(w.path + u" " + w.name));
        EXPECT_EQ(w.path.find(u"en-US"), ustring::npos);
        EXPECT_EQ(w.path.find(u"0x00000409"), ustring::npos);
        EXPECT_TRUE(w.path.find(u"zh-Hans-CN") != ustring::npos ||
                    w.path.find(u"Hot Keys") != ustring::npos ||
                    w.path.find(u"DirectSwitchHotkeys") != ustring::npos ||
                    w.path.find(u"SortOrder") != ustring::npos || w.name == u"Attributes");
    }
    EXPECT_TRUE(std::any_of(writes.begin(), writes.end(),
                            [](const platform::RegWrite& w) { return w.name == u"Attributes"; }));
    // The machine now holds the file.
    EXPECT_EQ(check(windows.files.files[kFile]), "一致\r\n");
}

TEST_F(DriftTest, ASettingOfItsOwnNeedsNoCommit) {
    windows.files.files[kFile] = edited({{u"0409_other", u"InputEmoji", u"0"}});
    applycfgCommand(form, u"setup.cfg");
    EXPECT_EQ(count(kReapply), 0);
    EXPECT_EQ(processStarts(), 0);
    EXPECT_EQ(windows.clockMs, clockBefore);
    EXPECT_EQ(check(windows.files.files[kFile]), "一致\r\n");
}

// The report's lines as the window words them; lines of another form stay as they are.
TEST(DriftWording, WindowLines) {
    DriftWording wording;
    wording.languageCodes = {u"0804", u"0409"};
    wording.languageNames = {u"中文(中华人民共和国)", u"英语（美国）"};
    wording.labels = {{u"_list", u"启用的输入法"},         {u"CAPS", u"关闭大写键"},
                      {u"layout", u"切换键盘布局"},        {u"Symbol Toggle", u"全角/半角切换"},
                      {u"LanguageBar", u"使用桌面语言栏"}, {u"DefaultIME", u"默认输入法"}};
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"0409_switchkey CAPS：文件为“Shift”，本机为“Caps Lock”",
         u"英语（美国） · 关闭大写键：文件中为 Shift，本机为 Caps Lock"},
        {u"0804_switchkey layout：导入后为“Ctrl+Shift”（两个切换热键不能相同），本机为“disable”",
         u"中文(中华人民共和国) · 切换键盘布局：导入后为 "
         u"Ctrl+Shift（两个切换热键不能相同），本机为 "
         u"禁用"},
        {u"0804_switchkey Symbol Toggle：文件为“none”，本机为“Ctrl+SPACE”",
         u"中文(中华人民共和国) · 全角/半角切换：文件中为 none，本机为 Ctrl+SPACE"},
        {u"0409_other LanguageBar：文件为“0x1”，本机为“0”",
         u"英语（美国） · 使用桌面语言栏：文件中为 选中，本机为 不选中"},
        {u"0804_list 2（微软双拼）热键：文件为“Ctrl+F2”，本机为“无”",
         u"中文(中华人民共和国) · 启用的输入法第 2 个（微软双拼）热键：文件中为 Ctrl+F2，本机为 "
         u"无"},
        {u"0804_list 顺序：文件为“微软双拼、微软拼音”，本机为“微软拼音、微软双拼”",
         u"中文(中华人民共和国) · 启用的输入法的顺序：文件中为 微软双拼、微软拼音，本机为 "
         u"微软拼音、微软双拼"},
        {u"0804_list：本机启用的“微软双拼”（第 2 个）文件中没有",
         u"中文(中华人民共和国) · 启用的输入法：本机启用的“微软双拼”（第 2 个）文件中没有"},
        {u"0804_other DefaultIME：文件为“2”（微软双拼），本机为“1”（微软拼音）",
         u"中文(中华人民共和国) · 默认输入法：文件中为 2（微软双拼），本机为 1（微软拼音）"},
        // A language the combo has no name for keeps its id.
        {u"0411_other LanguageBar：文件为“1”，本机为“0”",
         u"0411 · 使用桌面语言栏：文件中为 选中，本机为 不选中"},
        {u"语言 0411 没有安装，没有比较文件中它的设置（0411_list）",
         u"语言 0411 没有安装，没有比较文件中它的设置（0411_list）"},
    };
    for (const auto& [report, window] : cases) {
        EXPECT_EQ(toUtf8(windowLine(report, wording)), toUtf8(window));
    }
}

// ---- The window -------------------------------------------------------------------------------

class DriftWindowTest : public DriftTest {
protected:
    DriftWindowTest() { form.FormDrift = &window; }

    // The menu item with this file chosen; the view presses `button` (null: the close box).
    void open(const std::string& file, void (TFormDrift::*button)()) {
        windows.files.files[kFile] = file;
        windows.dialogs.fileAnswers.push_back(kFile);
        shown.clear();
        window.ShowModalView = [&] {
            shown = window.Memo1;
            applyOffered = window.Button_Apply.enabled;
            if (button) {
                (window.*button)();
            }
        };
        form.CheckCfgClick();
    }

    TFormDrift window;
    ustring shown;
    bool applyOffered = false;
};

TEST_F(DriftWindowTest, ShowsTheDifferencesAndAppliesThemAfterAsking) {
    const std::string differs = edited({{u"0409_other", u"InputEmoji", u"0"}});
    open(differs, &TFormDrift::Button_ApplyClick);
    // The window names the language and the setting as the main window does.
    EXPECT_EQ(shown, u"配置文件：" + kFile +
                         u"\r\n\r\nEnglish(UnitedStates) · 表情符号面板不自动关闭：文件中为 "
                         u"不选中，本机为 选中\r\n");
    EXPECT_TRUE(applyOffered);
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u); // asked first; no answer is No
    EXPECT_EQ(windows.registry.writeCount(), writesBefore);

    windows.dialogs.answers.push_back(platform::kIdYes);
    open(differs, &TFormDrift::Button_ApplyClick);
    EXPECT_NE(windows.dialogs.boxes.back().text.find(u"1 处设置"), ustring::npos);
    EXPECT_EQ(check(differs), "一致\r\n");

    // Closed without applying: nothing asked, nothing written.
    const int writes = windows.registry.writeCount();
    open(edited({{u"0409_other", u"InputEmoji", u"1"}}), nullptr);
    EXPECT_EQ(windows.dialogs.boxes.size(), 2u);
    EXPECT_EQ(windows.registry.writeCount(), writes);
}

TEST_F(DriftWindowTest, AMachineThatHoldsTheFileOffersNothingToApply) {
    open(saved + "[0411_other]\r\nInputEmoji=0\r\n", &TFormDrift::Button_ApplyClick);
    EXPECT_EQ(shown, u"配置文件：" + kFile +
                         u"\r\n\r\n与配置文件一致。\r\n语言 0411 没有安装，没有比较文件中它的设置"
                         u"（0411_other）\r\n");
    EXPECT_FALSE(applyOffered);
    EXPECT_TRUE(windows.dialogs.boxes.empty());
    // Cancelled in the dialog: no window.
    shown.clear();
    form.CheckCfgClick();
    EXPECT_TRUE(shown.empty());
}

// A multi-line text keeps Tab and Escape for itself: from it they leave the text and close the
// window; elsewhere the dialog keys answer them, and Enter never closes.
TEST(DriftWindowKeys, TabAndEscapeLeaveTheText) {
    using C = ToolKeyCommand;
    struct Case {
        KeyStroke stroke;
        bool inText;
        C expected;
    };
    const Case cases[] = {
        {{Key::Tab}, true, C::NextControl},
        {{Key::Tab, false, false, true}, true, C::PreviousControl},
        {{Key::Tab, false, true}, true, C::None}, // Ctrl+Tab stays the text's
        {{Key::Escape}, true, C::Close},
        {{Key::Escape, false, false, true}, true, C::Close},
        {{Key::Enter}, true, C::None},
        {{Key::Tab}, false, C::None},
        {{Key::Escape}, false, C::None},
    };
    const TFormDrift window;
    for (const Case& c : cases) {
        EXPECT_EQ(window.keyCommand(c.stroke, c.inText), c.expected) << "case " << (&c - cases);
    }
}

} // namespace
} // namespace quillon::testing
