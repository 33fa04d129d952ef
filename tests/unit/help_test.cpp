// The help window's model, its text, and the ways it opens.
#include "core/version.h"
#include "form_fixture.h"
#include "help/tform_help.h"
#include "hotkeys/hotkey_words.h"
#include "platform/substitute/substitute.h"

#include <set>

namespace quillon::testing {
namespace {

StringList lines(const ustring& text) {
    StringList out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u"\r\n", start)) != ustring::npos; start = end + 2) {
        out.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the text ends with a line break";
    return out;
}

// The lines after `heading` up to the next empty line.
StringList section(const StringList& all, const char* heading) {
    const auto at = std::find(all.begin(), all.end(), fromUtf8(heading));
    EXPECT_NE(at, all.end()) << heading;
    StringList out;
    for (auto it = at == all.end() ? at : at + 1; it != all.end() && !it->empty(); ++it) {
        out.push_back(*it);
    }
    return out;
}

// "A … Z", "F1 … F12", "NUM0 … NUM9" as the single words they stand for.
StringList expand(const ustring& entry) {
    const std::size_t dots = entry.find(u" … ");
    if (dots == ustring::npos) {
        return {entry};
    }
    const ustring first = entry.substr(0, dots);
    const ustring last = entry.substr(dots + 3);
    StringList out;
    if (first.size() == 1 && last.size() == 1) {
        for (char16_t c = first[0]; c <= last[0]; ++c) {
            out.push_back(ustring(1, c));
        }
        return out;
    }
    const std::size_t digits = first.find_first_of(u"0123456789");
    const ustring prefix = first.substr(0, digits);
    EXPECT_EQ(last.substr(0, digits), prefix) << toUtf8(entry);
    for (int n = std::stoi(toUtf8(first.substr(digits)));
         n <= std::stoi(toUtf8(last.substr(digits))); ++n) {
        out.push_back(prefix + fromUtf8(std::to_string(n)));
    }
    return out;
}

class HelpTest : public FormTest {
protected:
    HelpTest() {
        help.ShowModalView = [this] {
            ++shown;
            order.push_back("help");
            help.Button1Click();
        };
    }

    TFormHelp help{windows.platform(), makeKeyTable()};
    int shown = 0;
    std::vector<std::string> order;
};

// The word lists are the words the command line converts: every modifier word gives a modifier
// the commit can store, every key word a key of the table, and only the two keypad keys the
// command line cannot name are missing.
TEST_F(HelpTest, WordListsAreTheWordsTheCommandLineAccepts) {
    start();
    const StringList all = lines(helpText(form.scancode));
    const StringList modifiers = section(all, "左侧控制键列表如下（不分大小写）：");
    EXPECT_EQ(modifiers.size(), 13u);
    std::set<ustring> modifierTexts;
    for (const ustring& word : modifiers) {
        ustring codes;
        ustring key;
        form.keytocode(form.paramtohotkey(word, u"A"), codes, key);
        EXPECT_EQ(codes.size(), 4u) << toUtf8(word) << " gives no modifier code";
        modifierTexts.insert(codes);
    }
    EXPECT_EQ(modifierTexts.size(), modifiers.size()); // no two words for one modifier

    StringList keys = section(all, "右侧字符键列表如下：");
    ASSERT_FALSE(keys.empty());
    keys.erase(keys.begin()); // the note on letter case
    std::set<ustring> reached;
    for (const ustring& line : keys) {
        for (const ustring& word : expand(line.substr(0, line.find(u'\t')))) {
            EXPECT_EQ(word.find_first_of(u" /"), ustring::npos) << toUtf8(word);
            ustring codes;
            ustring name;
            // The command line upper-cases key words, so the help's own case must not matter.
            form.keytocode(form.paramtohotkey(u"ctrl", upperAscii(word)), codes, name);
            EXPECT_NE(findKeyName(form.scancode, name), nullptr) << toUtf8(word);
            reached.insert(name);
        }
    }
    for (const KeyRow& row : form.scancode) {
        const bool unnamed = row.name == u"NUMPAD +" || row.name == u"NUMPAD -";
        EXPECT_EQ(reached.count(row.name), unnamed ? 0u : 1u) << toUtf8(row.name);
    }
}

TEST_F(HelpTest, CommandSectionFollowsTheCommandTable) {
    const StringList all = lines(help.Memo1);
    std::vector<std::string> commands;
    for (const ustring& line : all) {
        if (!line.empty() && line[0] == u'/') {
            const std::string entry = toUtf8(line.substr(0, line.find(u'\t')));
            commands.push_back(entry.substr(0, entry.find_first_of(":< ")));
        }
    }
    const std::vector<std::string> expected = {"/?",
                                               "/r",
                                               "/remove_eng",
                                               "/caps",
                                               "/shift",
                                               "/alone",
                                               "/alone",
                                               "/bar",
                                               "/bar",
                                               "/emoji",
                                               "/emoji",
                                               "/layout",
                                               "/lang",
                                               "/add_num",
                                               "/add_name",
                                               "/del_num",
                                               "/del_name",
                                               "/move_num",
                                               "/move_name",
                                               "/langlist",
                                               "/default_num",
                                               "/default_name",
                                               "/export_enabled_list",
                                               "/export_disabled_list",
                                               "/savecfg",
                                               "/loadcfg",
                                               "/checkcfg",
                                               "/applycfg",
                                               "/hotkey_num",
                                               "/hotkey_name",
                                               "/switchkey",
                                               "/undo"};
    EXPECT_EQ(commands, expected);
    EXPECT_NE(help.Memo1.find(u"/? /h /help\t"), ustring::npos);
    EXPECT_NE(help.Memo1.find(u"/r /refresh\t"), ustring::npos);
    // The exit codes are documented.
    EXPECT_NE(help.Memo1.find(u"关闭错误信息后为 1"), ustring::npos);
    EXPECT_NE(help.Memo1.find(u"发现差异时为 2"), ustring::npos);
    EXPECT_EQ(all.front(), u"Quillon 帮助");
}

TEST_F(HelpTest, ModalShowAndTheLinkOpensTheSite) {
    EXPECT_EQ(help.ShowModal(), ModalResult::Close);
    EXPECT_EQ(help.ShowModal(), ModalResult::Close);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(help.Caption, u"帮助");
    EXPECT_EQ(help.Button1.caption, u"关闭");

    help.ShowModalView = [this] { help.LinkLabel1LinkClick(help.url); }; // then the close box
    EXPECT_EQ(help.ShowModal(), ModalResult::Close);
    EXPECT_EQ(windows.calls,
              (std::vector<std::string>{"ShellExecute(, " QUILLON_ADDRESS ", , 1)"}));
}

TEST_F(HelpTest, OpensFromTheButtonAndFromASingleArgumentOnly) {
    form.FormHelp = &help;
    form.SpeedButton1Click();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(windows.processEnd.terminated);

    struct Case {
        const char16_t* line;
        int shown;
        bool ends;
    };
    const Case cases[] = {
        {u"quillon.exe /?", 1, true},
        {u"quillon.exe /h", 1, true},
        {u"quillon.exe /help", 1, true},
        {u"quillon.exe/?", 1, true},
        {u"quillon/?", 1, true},
        {u"\"C:/Program Files/Quillon/quillon.exe\"/?", 1, true},
        {u"C:/tools/quillon.exe /HELP", 1, true},
        {u"quillon.exe /H", 1, true},
        {u"quillon.exe /help ", 1, true},
        {u"quillon.exe /? /caps", 0, true},
        {u"quillon.exe ? help", 0, false},
        // The "/" of the program's path introduces no argument: an interactive start.
        {u"C:/tools/quillon.exe", 0, false},
        {u"C:/quillon.exe", 0, false},
        {u"\"C:/Program Files/quillon.exe\"", 0, false},
    };
    for (const Case& c : cases) {
        platform::Substitute os;
        os.loadReg(kBaseRegistry);
        os.system.indirectStrings[u"@%SystemRoot%\\system32\\input.dll,-5000"] = u"美式键盘";
        os.system.commandLine = c.line;
        TForm1 f(os.platform());
        TFormHelp h(os.platform(), makeKeyTable());
        int count = 0;
        h.ShowModalView = [&] {
            ++count;
            os.record("help");
        };
        f.FormCreate(); // the table pass: the help window does not exist yet
        f.FormHelp = &h;
        f.FormShow();
        EXPECT_EQ(count, c.shown) << toUtf8(c.line);
        EXPECT_EQ(f.ShowMainForm, !c.ends) << toUtf8(c.line);
        EXPECT_EQ(os.processEnd.terminated, c.ends) << toUtf8(c.line);
        if (c.shown) {
            // The run ends only after the window has closed.
            EXPECT_EQ(os.calls[os.calls.size() - 2], "help");
            EXPECT_EQ(os.calls.back(), "Terminate");
        }
    }
}

TEST_F(HelpTest, RemoveEngThatFailsEndsWithStatusOne) {
    windows.system.commandLine = u"quillon.exe /remove_eng";
    start();
    windows.tsf.offersProfileMgr = false;
    form.FormShow();
    EXPECT_EQ(form.ExitCode, 1);
    EXPECT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_FALSE(form.ShowMainForm);
    EXPECT_EQ(windows.calls.back(), "Terminate");
}

TEST_F(HelpTest, TheKeyboardSectionListsTheWindowsKeys) {
    const StringList all = lines(help.Memo1);
    for (const char16_t* line : {
             u"F5：刷新",
             u"F1：显示本帮助",
             u"Enter（在启用的输入法列表中）：设置选中输入法的热键（同双击）",
             u"Delete（在禁用的输入法列表中）：删除选中的输入法（先询问）",
             u"Alt+上方向键（在启用的输入法列表或它旁边的按钮上）：上移选中的输入法",
             u"空格、Enter、Alt+下方向键、F4（在“其它功能”按钮上）：打开“其它功能”菜单",
             u"Esc（在帮助窗口中）：关闭帮助窗口",
         }) {
        EXPECT_NE(std::find(all.begin(), all.end(), ustring(line)), all.end()) << toUtf8(line);
    }
}

TEST_F(HelpTest, KeysLeaveTheTextAndCloseTheWindow) {
    using C = ToolKeyCommand;
    struct Case {
        KeyStroke stroke;
        bool inText;
        C expected;
    };
    const Case cases[] = {
        {{Key::Tab}, true, C::NextControl},
        {{Key::Tab, false, false, true}, true, C::PreviousControl},
        {{Key::Tab}, false, C::NextControl},
        {{Key::Tab, false, true}, true, C::None}, // Ctrl+Tab stays the text's
        {{Key::Escape}, true, C::Close},
        {{Key::Escape}, false, C::Close},
        {{Key::Enter}, true, C::Close}, // the default button, as the text takes no typing
        {{Key::Enter}, false, C::None}, // the button or the link answers it itself
        {{Key::F1}, true, C::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(help.keyCommand(c.stroke, c.inText), c.expected) << "case " << (&c - cases);
    }
}

} // namespace
} // namespace quillon::testing
