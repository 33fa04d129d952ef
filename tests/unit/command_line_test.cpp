// The command line: splitting, the command table, the conversions and carrying out a run.
#include "cli/command_line.h"
#include "cli/command_table.h"
#include "core/error.h"
#include "core/items.h"
#include "core/whole_number.h"
#include "form_fixture.h"
#include "platform/substitute/substitute.h"

#include <functional>
#include <optional>

namespace quillon::testing {
namespace {

TEST(CommandLine, SplitsAtEverySlashAndKeepsBlanks) {
    struct Case {
        const char16_t* line;
        StringList pieces;
    };
    const Case cases[] = {
        {u"quillon.exe /caps /bar:1", {u"quillon.exe ", u"caps ", u"bar:1"}},
        {u"quillon.exe /caps/bar:1", {u"quillon.exe ", u"caps", u"bar:1"}},
        {u"quillon.exe //caps/", {u"quillon.exe ", u"caps"}}, // "/" alone only separates
        {u"quillon.exe /r ", {u"quillon.exe ", u"r "}},
        {u"quillon/caps", {u"quillon", u"caps"}},
        // A program path holding "/" gives pieces of its own.
        {u"\"C:/Tools/quillon.exe\" /caps", {u"\"C:", u"Tools", u"quillon.exe\" ", u"caps"}},
        {u"/", {}},
        {u"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(extstring(c.line, u"/"), c.pieces) << toUtf8(c.line);
    }
}

TEST(CommandLine, MatchesTheTableInOrder) {
    struct Case {
        const char16_t* piece;
        std::optional<Command> command;
        const char16_t* value;
    };
    const std::optional<Command> none;
    const Case cases[] = {
        {u"caps ", Command::Caps, u""},
        {u"\tCAPS\t", Command::Caps, u""},
        {u"caps x", none, u""},
        {u"Shift", Command::Shift, u""},
        {u"bar:1", Command::Bar1, u""},
        {u"BAR:0", Command::Bar0, u""},
        {u"bar:2", none, u""},
        {u"emoji:1", Command::Emoji1, u""},
        {u"alone:0", Command::Alone0, u""},
        // "layout" and "lang:" by their last character.
        {u"layout:2", Command::Layout, u"2"},
        {u"layout2", Command::Layout, u"2"},
        {u"LayoutX:12", Command::Layout, u"2"},
        {u"layout", Command::Layout, u"t"},
        {u"lang:7", Command::Lang, u"7"},
        {u"lang7", none, u""},
        // Number commands: the lower-cased text after the first ":", or all of it.
        {u"add_num:3", Command::AddNum, u"3"},
        {u"ADD_NUM:$A", Command::AddNum, u"$a"},
        {u"add_num3", Command::AddNum, u"add_num3"},
        {u"del_num:1", Command::DelNum, u"1"},
        {u"del_all", Command::DelAll, u""},
        {u"del_allx", Command::DelAll, u""},
        {u"move_num:3 1", Command::MoveNum, u"3 1"},
        {u"langlist", Command::LangList, u""},
        {u"default_num:0", Command::DefaultNum, u"0"},
        {u"hotkey_num:2 CTRL 5", Command::HotkeyNum, u"2 ctrl 5"},
        {u"switchkey:1 Shift Home", Command::SwitchKey, u"1 shift home"},
        // Name commands keep the case and the blanks after the ":".
        {u"Add_Name:Foo", Command::AddName, u"Foo"},
        {u"add_name: Foo ", Command::AddName, u" Foo"},
        {u"del_name:A:B", Command::DelName, u"A:B"},
        {u"move_name:\"Foo\" 1", Command::MoveName, u"\"Foo\" 1"},
        {u"default_name:微软拼音", Command::DefaultName, u"微软拼音"},
        {u"HOTKEY_NAME:Foo Bar ctrl 5", Command::HotkeyName, u"Foo Bar ctrl 5"},
        // File commands: lower-cased and trimmed.
        {u"export_enabled_list: D:\\Lists\\Enabled.TXT", Command::ExportEnabledList,
         u"d:\\lists\\enabled.txt"},
        {u"export_disabled_list:x.txt", Command::ExportDisabledList, u"x.txt"},
        {u"savecfg:Setup.CFG", Command::SaveCfg, u"setup.cfg"},
        {u"loadcfg:setup.cfg", Command::LoadCfg, u"setup.cfg"},
        {u"CheckCfg:\"A b.cfg\",R.txt ", Command::CheckCfg, u"\"a b.cfg\",r.txt"},
        {u"applycfg:Setup.cfg", Command::ApplyCfg, u"setup.cfg"},
        // Handled at start-up, never by the table; the program's path never matches.
        {u"r", none, u""},
        {u"refresh", none, u""},
        {u"?", none, u""},
        {u"help", none, u""},
        {u"remove_eng", none, u""},
        {u"quillon.exe\" ", none, u""},
        {u"", none, u""},
    };
    for (const Case& c : cases) {
        const auto argument = matchArgument(c.piece);
        ASSERT_EQ(argument.has_value(), c.command.has_value()) << toUtf8(c.piece);
        if (argument) {
            EXPECT_EQ(argument->command, *c.command) << toUtf8(c.piece);
            EXPECT_EQ(argument->value, c.value) << toUtf8(c.piece);
        }
    }
}

TEST(CommandLine, WholeNumbers) {
    struct Case {
        const char16_t* text;
        std::optional<std::int32_t> value;
    };
    const std::optional<std::int32_t> bad;
    const Case cases[] = {
        {u"0", 0},
        {u"  12", 12},
        {u"+7", 7},
        {u"-7", -7},
        {u"$1F", 31},
        {u"x1f", 31},
        {u"X1F", 31},
        {u"0x10", 16},
        {u"0X10", 16},
        {u"-$10", -16},
        {u"00000000000000000001", 1},
        {u"2147483647", 2147483647},
        {u"-2147483648", INT32_MIN},
        {u"$7FFFFFFF", 2147483647},
        {u"$80000000", INT32_MIN}, // hexadecimal digits may fill all 32 bits
        {u"$FFFFFFFF", -1},
        {u"-$FFFFFFFF", 1},
        {u"$100000000", bad},
        {u"2147483648", bad},
        {u"-2147483649", bad},
        {u"99999999999999999999", bad},
        {u"", bad},
        {u" ", bad},
        {u"12 ", bad},
        {u"\t5", bad},
        {u"- 5", bad},
        {u"+-5", bad},
        {u"1a", bad},
        {u"$", bad},
        {u"0x", bad},
        {u"$-1", bad},
        {u"\u0663", bad}, // a digit of another script
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tryWholeNumber(c.text), c.value) << toUtf8(c.text);
    }
    try {
        wholeNumber(u"x");
        FAIL() << "no error";
    } catch (const QuillonError& e) {
        EXPECT_EQ(e.message(), u"'x' is not a valid integer value for Integer type");
    }
}

TEST(CommandLine, ItemSplitting) {
    struct Case {
        const char16_t* text;
        bool loose;
        char16_t separator;
        StringList items;
    };
    const Case cases[] = {
        {u"", true, u' ', {}},
        {u" \t ", true, u' ', {}},
        {u"  a  b\t c ", true, u' ', {u"a", u"b", u"c"}},
        {u"\"a b\" c", true, u' ', {u"a b", u"c"}},
        {u"\"a\"\"b\"", true, u' ', {u"a\"b"}},
        {u"\"a\"b", true, u' ', {u"a", u"b"}},
        {u"\"open x", true, u' ', {u"open x"}},
        {u"a\"b c\"", true, u' ', {u"a\"b", u"c\""}},
        {u"", false, u',', {}},
        {u",", false, u',', {u"", u""}},
        {u"a,,b", false, u',', {u"a", u"", u"b"}},
        {u"a,", false, u',', {u"a", u""}},
        {u" a", false, u',', {u" a"}},
        {u"Foo 1", false, u',', {u"Foo 1"}},
        {u"Foo,1", false, u',', {u"Foo", u"1"}},
        {u"\"Foo\" 1", false, u',', {u"Foo", u" 1"}},
        {u"\"Foo\",1", false, u',', {u"Foo", u"1"}},
        {u"\"a,b\",2", false, u',', {u"a,b", u"2"}},
        {u"\"Foo Bar\" ctrl 5", false, u' ', {u"Foo Bar", u"ctrl", u"5"}},
        {u"Foo Bar ctrl 5", false, u' ', {u"Foo", u"Bar", u"ctrl", u"5"}},
        {u"a  b", false, u' ', {u"a", u"", u"b"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.loose ? splitLoose(c.text) : splitStrict(c.text, c.separator), c.items)
            << toUtf8(c.text);
    }
}

TEST(CommandLine, DigitTable) {
    // Items: 0 "Alt+Shift", 1 "Ctrl+Shift", 2 "禁用", 3 "`".
    const int layout[] = {2, 1, 0, 3, 1, 1, 1, 1, 1, 1};
    const int language[] = {2, 1, 0, 3, 0, 0, 0, 0, 0, 0};
    for (int d = 0; d <= 9; ++d) {
        EXPECT_EQ(switchKeyItem(d, false), layout[d]) << d;
        EXPECT_EQ(switchKeyItem(d, true), language[d]) << d;
    }
}

InputMethodEntry imm(const char* name, const char16_t* hkl) {
    return InputMethodEntry{
        fromUtf8(name),
        {nullGuidText(), u"0804", guidToText(kKeyboardCat), nullGuidText(), hkl, u""}};
}

class CommandLineTest : public FormTest {
protected:
    CommandLineTest() {
        windows.loadReg("Windows Registry Editor Version 5.00\n\n"
                        "[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n"
                        "\"Hotkey\"=\"1\"\n\n"
                        "[HKEY_CURRENT_USER\\Keyboard Layout\\Substitutes]\n");
    }

    // A whole command-line run through FormCreate, on the fixture's lists.
    void run(const ustring& arguments) {
        windows.system.commandLine = kProgram + arguments;
        start();
    }

    // The table pass alone, on lists set by the test (IMM rows: nothing but the commit).
    void runOn(const std::vector<const char*>& enabled, const ustring& arguments) {
        start();
        form.ListView1.rows.clear();
        for (std::size_t i = 0; i < enabled.size(); ++i) {
            form.ListView1.rows.push_back(imm(enabled[i], i % 2 ? u"E0210804" : u"E0200804"));
        }
        windows.calls.clear();
        windows.processEnd.terminated = false;
        windows.dialogs.boxes.clear();
        form.ExitCode = 0;
        form.ComboBox3.itemIndex = -1;
        form.ReadParam(extstring(kProgram + arguments, u"/"));
    }

    std::string names1() const {
        std::string out;
        for (const auto& r : form.ListView1.rows) {
            out += toUtf8(r.name) + ",";
        }
        return out;
    }
    std::string hotkeys1() const {
        std::string out;
        for (const auto& r : form.ListView1.rows) {
            out += toUtf8(r.fields[kFieldHotkey]) + ",";
        }
        return out;
    }
    int commits() const {
        return static_cast<int>(std::count(
            windows.calls.begin(), windows.calls.end(),
            "ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe, "
            "-command \"& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}\", 0)"));
    }
    ustring value(const ustring& key, const ustring& name) {
        platform::TRegistry reg(windows.registry);
        if (!reg.OpenKey(key, false) || !reg.ValueExists(name)) {
            return u"(none)";
        }
        return reg.ReadString(name);
    }
};

TEST_F(CommandLineTest, SettingsCommandsSetTheControlThenCallItsHandler) {
    run(u"/caps/bar:1 /Emoji:0 /alone:1 /layout:0 /lang:3 /shift");
    EXPECT_EQ(form.ComboBox3.itemIndex, 1); // shift came last
    EXPECT_TRUE(form.CheckBox2.checked);
    EXPECT_FALSE(form.CheckBox3.checked);
    EXPECT_TRUE(form.CheckBox1.checked);
    EXPECT_EQ(form.ComboBox1.itemIndex, 2);
    EXPECT_EQ(form.ComboBox2.itemIndex, 3);
    platform::TRegistry reg(windows.registry);
    ASSERT_TRUE(reg.OpenKey(u"\\Keyboard Layout\\Toggle", false));
    EXPECT_EQ(reg.ReadString(u"Layout Hotkey"), u"3");
    EXPECT_EQ(reg.ReadString(u"Language Hotkey"), u"4");
    ASSERT_TRUE(reg.OpenKey(u"\\Software\\Microsoft\\Input\\Settings", false));
    EXPECT_EQ(reg.ReadInteger(u"EnableExpressiveInputEmojiMultipleSelection"), 0);
    EXPECT_NE(std::find(windows.calls.begin(), windows.calls.end(),
                        "ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\"
                        "powershell.exe, -command \"& {Set-WinLanguageBarOption "
                        "-UseLegacySwitchMode -UseLegacyLanguageBar}\", 0)"),
              windows.calls.end());
    EXPECT_FALSE(form.ShowMainForm);
    EXPECT_FALSE(form.Visible);
    EXPECT_TRUE(windows.processEnd.terminated);
    EXPECT_EQ(windows.calls.back(), "Terminate");
    EXPECT_EQ(form.ExitCode, 0);
    EXPECT_TRUE(windows.dialogs.boxes.empty());
}

TEST_F(CommandLineTest, EnableAndDisableByPositionAndName) {
    // The second add_num:1 sees the list without the row the first one enabled.
    run(u"/add_num:1 /add_num:1 /add_num:0 /add_num:99 /del_num:0");
    EXPECT_EQ(windows.layouts.loaded.size(), 0u);
    EXPECT_EQ(names1().rfind("微软拼音,微软五笔,", 0), 0u) << names1();
    // The US keyboard, first of the disabled list after the first command, by its substitutes.
    EXPECT_EQ(value(u"\\Keyboard Layout\\Substitutes", u"00000804"), u"00000409");
    EXPECT_EQ(form.ExitCode, 0);

    const std::string before = names1();
    // Names are exact: case and a blank after the ":" count.
    for (const char16_t* miss :
         {u"/add_name:微软五笔x", u"/add_name: 中文 (简体) - 微软拼音 IMM"}) {
        form.ReadParam(extstring(kProgram + ustring(miss), u"/"));
        EXPECT_EQ(names1(), before) << toUtf8(miss);
    }
    form.ReadParam(extstring(kProgram + ustring(u"/add_name:中文 (简体) - 微软拼音 IMM"), u"/"));
    EXPECT_EQ(windows.layouts.loaded.size(), 1u);
    form.ReadParam(extstring(kProgram + ustring(u"/DEL_NAME:微软五笔 /del_num:1"), u"/"));
    EXPECT_EQ(names1().find("微软五笔"), std::string::npos) << names1();
    EXPECT_EQ(names1().find("微软拼音"), std::string::npos) << names1();
}

TEST_F(CommandLineTest, NamesAreCaseSensitive) {
    runOn({"Foo", "Bar"}, u"/del_name:foo /default_name:FOO /move_name:foo,2");
    EXPECT_EQ(names1(), "Foo,Bar,");
    EXPECT_EQ(commits(), 0);
    runOn({"Foo", "Bar"}, u"/Default_Name:Bar");
    EXPECT_EQ(names1(), "Bar,Foo,");
    EXPECT_EQ(form.defime, 0);
}

TEST_F(CommandLineTest, MovesByPositionAndByName) {
    struct Case {
        const char16_t* arguments;
        const char* order;
    };
    const Case cases[] = {
        {u"/move_num:3 1", "C,A,B,D,"},      {u"/move_num:1 99", "B,C,D,A,"},
        {u"/move_num:1 2 3", "A,B,C,D,"}, // three items
        {u"/move_num:0 2", "A,B,C,D,"},      {u"/move_name:C,1", "C,A,B,D,"},
        {u"/move_name:\"C\" 1", "C,A,B,D,"}, {u"/move_name:C 1", "A,B,C,D,"}, // one item
        {u"/move_name:X,1", "A,B,C,D,"},     {u"/move_name:\"D\",$2", "A,D,B,C,"},
    };
    for (const Case& c : cases) {
        runOn({"A", "B", "C", "D"}, c.arguments);
        EXPECT_EQ(names1(), c.order) << toUtf8(c.arguments);
        EXPECT_EQ(form.ExitCode, 0) << toUtf8(c.arguments);
    }
    // A move shows the window; the run still ends.
    runOn({"A", "B"}, u"/move_num:2 1");
    EXPECT_TRUE(form.Visible);
    EXPECT_TRUE(windows.processEnd.terminated);
}

TEST_F(CommandLineTest, HotkeysByPositionAndByName) {
    struct Case {
        const char16_t* arguments;
        const char* hotkeys;
        int commits;
    };
    const Case cases[] = {
        {u"/hotkey_num:2 CTRL 5", ",Ctrl+5,,", 1},
        {u"/hotkey_num:99 ctrl+alt d", ",,Ctrl+左Alt+D,", 1},
        {u"/hotkey_num:0 left_ctrl+shift num?", "左Ctrl+Shift+NUMPAD /,,,", 1},
        {u"/hotkey_num:1 ctrl 5 /hotkey_num:1 ctrl", ",,,", 2}, // two items remove
        {u"/hotkey_num:1 ctrl 5 x", ",,,", 0},
        // Every row of that name, quoted because of the blank.
        {u"/hotkey_name:\"Foo Bar\" shift home", "Shift+HOME,,Shift+HOME,", 2},
        {u"/hotkey_name:Foo Bar shift home", ",,,", 0}, // four items
        {u"/hotkey_name:Baz alt ?", ",左Alt+/,,", 1},
        {u"/hotkey_name:baz alt ?", ",,,", 0},
    };
    for (const Case& c : cases) {
        runOn({"Foo Bar", "Baz", "Foo Bar"}, c.arguments);
        EXPECT_EQ(hotkeys1(), c.hotkeys) << toUtf8(c.arguments);
        EXPECT_EQ(commits(), c.commits) << toUtf8(c.arguments);
        EXPECT_EQ(form.ExitCode, 0) << toUtf8(c.arguments);
    }
}

TEST_F(CommandLineTest, SwitchKeys) {
    runOn({"A"}, u"/switchkey:1 ctrl 5 /switchkey:3 alt+shift F12");
    EXPECT_EQ(form.Button_SW1.caption, u"Ctrl+5");
    EXPECT_EQ(form.Button_SW3.caption, u"左Alt+Shift+F12");
    EXPECT_EQ(commits(), 2);
    runOn({"A"}, u"/switchkey:1 ctrl 5 /switchkey:1 ctrl /switchkey:4 ctrl 5 /switchkey:0");
    EXPECT_EQ(form.Button_SW1.caption, u"无");
    EXPECT_EQ(commits(), 2);
    EXPECT_EQ(form.ExitCode, 0);
}

TEST_F(CommandLineTest, DefaultAndLanguageList) {
    runOn({"A", "B", "C"}, u"/default_num:0");
    EXPECT_EQ(names1(), "A,B,C,");
    EXPECT_EQ(form.defime, 0);
    runOn({"A", "B", "C"}, u"/default_num:99");
    EXPECT_EQ(names1(), "C,B,A,");
    windows.calls.clear();
    form.ReadParam(extstring(u"q /langlist", u"/"));
    EXPECT_EQ(form.defime, -1);
    EXPECT_EQ(commits(), 1);
    windows.calls.clear();
    form.ReadParam(extstring(u"q /langlist", u"/")); // no default: nothing
    EXPECT_EQ(commits(), 0);
}

TEST_F(CommandLineTest, DisableAllIsACommandThoughNoMenuOffersIt) {
    runOn({"A", "B"}, u"/del_all");
    EXPECT_EQ(windows.calls[1], "UnloadKeyboardLayout(0xFFFFFFFFE0210804)");
    EXPECT_EQ(windows.calls[2], "UnloadKeyboardLayout(0xFFFFFFFFE0200804)");
    EXPECT_EQ(windows.calls[4], "MsgWait(4000, 0x4FF)");
}

TEST_F(CommandLineTest, AnErrorStopsTheRunThereAndEndsWithStatusOne) {
    struct Case {
        const char16_t* arguments;
        const char16_t* message;
    };
    const Case cases[] = {
        {u"/caps /layout:x /shift", u"'x' is not a valid integer value for Integer type"},
        {u"/caps /add_num:1x /shift", u"'1x' is not a valid integer value for Integer type"},
        {u"/caps /switchkey:a ctrl 5 /shift", u"'a' is not a valid integer value for Integer type"},
        {u"/caps /move_num:1 two /shift", u"'two' is not a valid integer value for Integer type"},
        {u"/caps /hotkey_num: /shift", u"List index out of bounds (0)"},
        {u"/caps /HOTKEY_NAME: /shift", u"List index out of bounds (0)"},
        {u"/caps /switchkey: /shift", u"List index out of bounds (0)"},
    };
    for (const Case& c : cases) {
        runOn({"A", "B"}, c.arguments);
        EXPECT_EQ(form.ComboBox3.itemIndex, 0) << toUtf8(c.arguments); // caps ran, shift did not
        ASSERT_EQ(windows.dialogs.boxes.size(), 1u) << toUtf8(c.arguments);
        EXPECT_EQ(windows.dialogs.boxes[0].text, c.message);
        EXPECT_EQ(windows.dialogs.boxes[0].flags, platform::kMbIconError);
        EXPECT_EQ(form.ExitCode, 1);
        EXPECT_FALSE(form.ShowMainForm);
        EXPECT_EQ(windows.calls.back(), "Terminate");
    }
    // Through the whole start-up as well.
    run(u"/caps /layout:x");
    EXPECT_EQ(form.ExitCode, 1);
    EXPECT_FALSE(form.ShowMainForm);
}

TEST_F(CommandLineTest, AFailingStartUpRefreshEndsTheRunToo) {
    windows.tsf.offersProfileMgr = false;
    run(u"/caps");
    EXPECT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_EQ(form.ExitCode, 1);
    EXPECT_FALSE(form.ShowMainForm);
    EXPECT_TRUE(windows.processEnd.terminated);
    EXPECT_EQ(form.ComboBox3.itemIndex, -1); // caps never ran
}

TEST_F(CommandLineTest, FileNamesAreMadeAbsoluteAndNeedTheirFolder) {
    windows.files.directories.push_back(u"D:");
    windows.files.directories.push_back(u"D:\\Lists");
    struct Case {
        const char16_t* value;
        std::optional<ustring> path;
    };
    const std::optional<ustring> skipped;
    const Case cases[] = {
        {u"x.cfg", u"C:\\Users\\user\\x.cfg"},
        {u"..\\x.cfg", u"C:\\Users\\x.cfg"},
        {u".\\x.cfg", u"C:\\Users\\user\\x.cfg"},
        {u"d:\\lists\\enabled.txt", u"d:\\lists\\enabled.txt"},
        {u"d:\\lists\\..\\a.txt", u"d:\\a.txt"},
        {u"\\users\\a.txt", u"C:\\users\\a.txt"},
        {u"d:a.txt", u"d:\\a.txt"},
        {u"d:\\missing\\a.txt", skipped},
        {u"e:\\a.txt", skipped},
        {u"", skipped},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(form.commandFileName(c.value), c.path) << toUtf8(c.value);
    }
}

TEST_F(CommandLineTest, ExportAndConfigurationCommands) {
    windows.files.directories.push_back(u"D:");
    windows.files.directories.push_back(u"D:\\Lists");
    // A saved file is merged into, not replaced.
    windows.files.files[u"C:\\Users\\user\\setup.cfg"] = "\xEF\xBB\xBF[other]\r\nkey=1\r\n\r\n";
    run(u"/export_enabled_list:D:\\Lists\\Enabled.TXT /export_disabled_list:d:\\missing\\x.txt "
        u"/export_disabled_list:..\\disabled.txt /SaveCfg:Setup.CFG /loadcfg:none.cfg");
    EXPECT_EQ(form.ExitCode, 0);
    EXPECT_TRUE(windows.dialogs.boxes.empty());
    EXPECT_EQ(windows.files.files[u"d:\\lists\\enabled.txt"], "微软拼音\r\n");
    EXPECT_EQ(windows.files.files[u"C:\\Users\\disabled.txt"],
              "微软五笔\r\n美式键盘\r\n中文 (简体) - 微软拼音 IMM\r\n");
    const std::string& saved = windows.files.files[u"C:\\Users\\user\\setup.cfg"];
    EXPECT_NE(saved.find("[other]\r\nkey=1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("微软拼音"), std::string::npos);
    for (const auto& [path, bytes] : windows.files.files) {
        EXPECT_EQ(path.find(u"missing"), ustring::npos) << toUtf8(path);
    }
}

// Commands to the right of a save or a load act on the last language of the list, where the
// walk through the languages ends; the menu's save ends there too.
TEST_F(CommandLineTest, ASaveOrLoadLeavesTheLastLanguageShown) {
    windows.files.directories.push_back(u"D:");
    const char16_t* const commands[] = {u"/savecfg:d:\\s.cfg", u"/loadcfg:d:\\l.cfg"};
    for (const char16_t* command : commands) {
        windows.files.files[u"d:\\l.cfg"] = "\xEF\xBB\xBF[other]\r\nkey=1\r\n";
        windows.files.files.erase(u"d:\\e.txt");
        run(command + ustring(u" /export_enabled_list:d:\\e.txt"));
        EXPECT_EQ(form.ExitCode, 0) << toUtf8(command);
        EXPECT_EQ(windows.files.files[u"d:\\e.txt"], "美式键盘\r\n") << toUtf8(command);
        EXPECT_EQ(form.mylangid, 0x0409) << toUtf8(command);
        EXPECT_EQ(form.ComboBox_Lang.itemIndex, 1) << toUtf8(command);
    }

    windows.system.commandLine = kProgram;
    start();
    ASSERT_EQ(form.mylangid, 0x0804);
    windows.dialogs.fileAnswers.push_back(u"D:\\menu.cfg");
    form.N14Click();
    EXPECT_EQ(form.mylangid, 0x0409);
    EXPECT_EQ(form.ComboBox_Lang.itemIndex, 1);
    EXPECT_EQ(toUtf8(form.ListView1.rows.at(0).name), "美式键盘");
}

// A file command that fails ends the run as every failing command does: its message, nothing
// to its right, status 1 for the script that waits on it.
TEST_F(CommandLineTest, AFileCommandThatFailsStopsTheRun) {
    struct Case {
        const char16_t* command;
        const char16_t* path;
        std::function<void(platform::Substitute&)> fault;
    };
    const Case cases[] = {
        {u"/export_enabled_list:list.txt", u"C:\\Users\\user\\list.txt",
         [](platform::Substitute& w) { w.files.failWriteAfter = 0; }},
        {u"/savecfg:setup.cfg", u"C:\\Users\\user\\setup.cfg",
         [](platform::Substitute& w) { w.files.failWriteAfter = 0; }},
        {u"/savecfg:setup.cfg", u"C:\\Users\\user\\setup.cfg",
         [](platform::Substitute& w) {
             w.files.files[u"C:\\Users\\user\\setup.cfg"] = "\xB0\xA1";
         }},
        {u"/loadcfg:setup.cfg", u"C:\\Users\\user\\setup.cfg",
         [](platform::Substitute& w) {
             w.files.files[u"C:\\Users\\user\\setup.cfg"] = "[0804_list]\r\n1=broken\r\n";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(toUtf8(c.command));
        windows.files.files.clear();
        windows.files.failWriteAfter.reset();
        windows.dialogs.boxes.clear();
        form.ExitCode = 0;
        form.ComboBox3.itemIndex = -1;
        c.fault(windows);
        const std::string before =
            windows.files.files.count(c.path) ? windows.files.files[c.path] : std::string("(none)");
        run(ustring(u"/caps ") + c.command + u" /shift");
        ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
        EXPECT_NE(windows.dialogs.boxes[0].text.find(c.path), ustring::npos);
        EXPECT_EQ(form.ComboBox3.itemIndex, 0); // caps ran, shift did not
        EXPECT_EQ(form.ExitCode, 1);
        const std::string after =
            windows.files.files.count(c.path) ? windows.files.files[c.path] : std::string("(none)");
        EXPECT_EQ(after, before);
    }
}

} // namespace
} // namespace quillon::testing
