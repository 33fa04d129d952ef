// Undo takes back every change exactly: each changing operation of the window and of the
// command line, on a setup holding what real profiles hold, then an undo, must leave the whole
// of HKEY_CURRENT_USER as it was, byte for byte, and TSF's enabled profiles as they were; and
// nothing any operation writes may lie outside the table of what a backup keeps.
#include "app/tform1.h"
#include "backups/backups.h"
#include "cli/command_line.h"
#include "hotkeys/hotkey_dialog.h"
#include "operations/written_keys.h"
#include "sample_setup.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace quillon::testing {
namespace {

using platform::Hive;

const ustring kConfig = u"C:\\Users\\user\\setup.cfg";

// What real profiles hold beside the sample: hotkeys of input methods that are not enabled
// (the wubi service, another language's IMM input method), "Substitutes" and "Preload", no
// "Toggle" (Windows then uses its defaults), one IME toggle missing, a default input method that
// is not the first row, no emoji-panel key, and a key of another program; the Japanese keyboard
// installed.
const char* const kRealProfile = R"(Windows Registry Editor Version 5.00

[-HKEY_CURRENT_USER\Keyboard Layout\Toggle]

[-HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000011]

[HKEY_CURRENT_USER\Keyboard Layout\Preload]
"1"="00000804"
"2"="00000409"

[HKEY_CURRENT_USER\Keyboard Layout\Substitutes]
"00000c04"="00000404"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001001]
"CLSID"="{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"LangId"="00000804"
"Profile"="{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"Modifiers"="0000C003"
"virtualkey"="00000035"

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000104]
"Target IME"=hex:04,04,20,e0
"Key Modifiers"=hex:03,c0,00,00
"Virtual Key"=hex:34,00,00,00

[HKEY_CURRENT_USER\Control Panel\International\User Profile]
"InputMethodOverride"="0804:00000409"

[HKEY_CURRENT_USER\Software\Unrelated]
"Kept"="as it was"
)";

const char* const kToggle = R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Keyboard Layout\Toggle]
"Hotkey"="1"
"Language Hotkey"="1"
"Layout Hotkey"="2"
)";

const char* const kConfigFile = "[0804_switchkey]\r\nCAPS=Caps Lock\r\nSymbol Toggle=none\r\n\r\n"
                                "[0804_other]\r\nInputEmoji=0\r\nSwitchMode=1\r\n\r\n"
                                "[0409_other]\r\nInputEmoji=1\r\n";

struct World {
    platform::Substitute windows;
    TForm1 form{windows.platform()};
    TForm2 dialog{form};

    void start() {
        const SampleSetup setup =
            SampleSetup::testBed().reg(kRealProfile).japaneseKeyboard().backupFolder();
        setup.build(windows);
        windows.files.files[kConfig] = kConfigFile;
        setup.answerLanguageQuery(windows);
        form.FormCreate();
        form.Form2 = &dialog;
    }

    // A change from the window: one user action, as the view runs every event.
    void event(const std::function<void(TForm1&)>& handler) {
        const backups::UserAction action(form);
        handler(form);
    }
    void commandLine(const ustring& arguments) {
        form.ExitCode = 0;
        form.ReadParam(commandPieces(kProgram + arguments));
    }
    std::string userHive() const { return windows.registry.dump(Hive::CurrentUser); }
    // Which profiles TSF has enabled.
    std::string tsfState() const {
        std::string state;
        for (const auto& p : windows.tsf.profiles) {
            state += platform::logGuid(p.profile.clsid) + platform::logGuid(p.profile.guidProfile) +
                     platform::logHex(p.profile.hkl) + "=" +
                     std::to_string(p.profile.flags & platform::kTfIppFlagEnabled) + "\n";
        }
        return state;
    }
    std::size_t backupCount() {
        std::size_t n = 0;
        for (const auto& [path, bytes] : windows.files.files) {
            n += path.rfind(kBackupFolder + u"\\", 0) == 0 ? 1 : 0;
        }
        return n;
    }
};

int rowNamed(const ListView& list, const char16_t* part) {
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        if (list.rows[i].name.find(part) != ustring::npos) {
            return static_cast<int>(i);
        }
    }
    ADD_FAILURE() << "no row " << toUtf8(part);
    return 0;
}

bool atOrBelow(ustring_view path, ustring_view top) {
    return path.size() >= top.size() && equalsNoCase(path.substr(0, top.size()), top) &&
           (path.size() == top.size() || path[top.size()] == u'\\');
}

// Whether the table keeps what the write changes: a key of a whole-key row or below it, a row's
// own value, or a key on the way to a row (made before its values).
bool kept(const platform::RegWrite& write) {
    const ustring path = platform::normalizeKeyPath(write.path);
    return write.hive == Hive::CurrentUser &&
           std::any_of(std::begin(kWrittenKeys), std::end(kWrittenKeys), [&](const WrittenKey& k) {
               if (!k.value) {
                   return atOrBelow(path, k.path) ||
                          (write.kind == platform::RegWrite::Kind::CreateKey &&
                           atOrBelow(k.path, path));
               }
               switch (write.kind) {
               case platform::RegWrite::Kind::CreateKey:
               case platform::RegWrite::Kind::DeleteKey:
                   // Made for the value, or taken away again with it.
                   return atOrBelow(k.path, path);
               default:
                   return equalsNoCase(path, k.path) && equalsNoCase(write.name, k.value);
               }
           });
}

struct Operation {
    const char* name;
    std::function<void(World&)> act;
    std::function<void(World&)> setup = {};
};

void select(ListView& list, int row) {
    list.selected = row;
}

std::vector<Operation> operations() {
    const auto window = [](std::function<void(TForm1&)> handler) {
        return [handler](World& w) { w.event(handler); };
    };
    const auto command = [](const char16_t* arguments) {
        return [arguments](World& w) { w.commandLine(arguments); };
    };
    const auto withToggle = [](World& w) { w.windows.loadReg(kToggle); };
    return {
        {"move up", window([](TForm1& f) {
             select(f.ListView1, 1);
             f.Button_UpClick();
         })},
        {"move down", window([](TForm1& f) {
             select(f.ListView1, 0);
             f.Button_DownClick();
         })},
        {"enable a text service", window([](TForm1& f) {
             select(f.ListView2, rowNamed(f.ListView2, u"五笔"));
             f.Button_EnableClick();
         })},
        {"enable an IMM input method", window([](TForm1& f) {
             select(f.ListView2, rowNamed(f.ListView2, u"全拼"));
             f.Button_EnableClick();
         })},
        {"enable a keyboard layout (its substitutes)", window([](TForm1& f) {
             select(f.ListView2, rowNamed(f.ListView2, u"Japanese"));
             f.Button_EnableClick();
         })},
        {"disable a text service", window([](TForm1& f) {
             select(f.ListView1, rowNamed(f.ListView1, u"拼音"));
             f.Button_DisableClick();
         })},
        {"disable the default", window([](TForm1& f) {
             select(f.ListView1, f.defime);
             f.Button_DisableClick();
         })},
        {"disable all", window([](TForm1& f) { f.disable_all_Click(); })},
        {"set the default", window([](TForm1& f) {
             select(f.ListView1, 0);
             f.DefaultClick();
         })},
        {"use the language list", window([](TForm1& f) { f.N4Click(); })},
        {"a row's hotkey (the dialog's commit)", window([](TForm1& f) {
             select(f.ListView1, 1);
             f.ListView1.rows[1].fields[kFieldHotkey] = u"Ctrl+Shift+7";
             f.Button_FixClick();
         })},
        {"an IME toggle (the dialog's commit)", window([](TForm1& f) {
             f.Button_SW2.caption = u"Ctrl+F6";
             f.Button_FixClick();
         })},
        {"the switching keys", window([](TForm1& f) {
             f.ComboBox1.itemIndex = 2;
             f.ComboBox1Change();
         }),
         withToggle},
        {"a window's own input method", window([](TForm1& f) {
             f.CheckBox1.checked = !f.CheckBox1.checked;
             f.CheckBox1Click();
         })},
        {"the emoji panel", window([](TForm1& f) {
             f.CheckBox3.checked = !f.CheckBox3.checked;
             f.CheckBox3Click();
         })},
        {"Caps Lock released by Shift", window([](TForm1& f) {
             f.ComboBox3.itemIndex = 1;
             f.ComboBox3Change();
         })},
        {"the configuration load", window([](TForm1& f) { f.loadcfg(kConfig); })},
        {"/emoji:0", command(u"/emoji:0")},
        {"/shift /bar:1 /alone:1", command(u"/shift /bar:1 /alone:1")},
        {"/layout:3 /lang:2", command(u"/layout:3 /lang:2"), withToggle},
        {"/add_num:1", command(u"/add_num:1")},
        {"/del_num:1", command(u"/del_num:1")},
        {"/del_all", command(u"/del_all")},
        {"/move_num:2 1", command(u"/move_num:2 1")},
        {"/langlist", command(u"/langlist")},
        {"/default_num:1", command(u"/default_num:1")},
        {"/hotkey_num:1 ctrl 8", command(u"/hotkey_num:1 ctrl 8")},
        {"/switchkey:3 shift f4", command(u"/switchkey:3 shift f4")},
        {"/loadcfg", command(u"/loadcfg:setup.cfg")},
        {"/applycfg", command(u"/applycfg:setup.cfg")},
    };
}

TEST(UndoTable, EveryChangeIsTakenBackExactly) {
    for (const Operation& op : operations()) {
        for (const bool fromCommandLine : {false, true}) {
            SCOPED_TRACE(std::string(op.name) + (fromCommandLine ? ", /undo" : ", 撤销"));
            World w;
            w.start();
            if (op.setup) {
                op.setup(w);
                w.form.Button_RefreshClick();
            }
            const std::string hive = w.userHive();
            const std::string tsf = w.tsfState();
            std::vector<platform::RegWrite> outside;
            w.windows.registry.setWriteFault([&](const platform::RegWrite& write) {
                if (!kept(write)) {
                    outside.push_back(write);
                }
                return false;
            });

            op.act(w);
            ASSERT_EQ(w.form.ExitCode, 0);
            for (const auto& box : w.windows.dialogs.boxes) {
                ADD_FAILURE() << toUtf8(box.text);
            }
            ASSERT_TRUE(w.userHive() != hive || w.tsfState() != tsf) << "nothing changed";
            ASSERT_EQ(w.backupCount(), 1u);

            if (fromCommandLine) {
                w.commandLine(u"/undo");
                EXPECT_EQ(w.form.ExitCode, 0);
            } else {
                w.windows.dialogs.answers.push_back(platform::kIdYes);
                w.event([](TForm1& f) { backups::undoLastChange(f); });
            }
            EXPECT_EQ(w.userHive(), hive);
            EXPECT_EQ(w.tsfState(), tsf);
            EXPECT_EQ(w.backupCount(), 0u);
            for (const platform::RegWrite& write : outside) {
                ADD_FAILURE() << "written outside the backed-up keys: " << toUtf8(write.path) << " "
                              << toUtf8(write.name);
            }
        }
    }
}

// An undo of one change writes what differs and tells Windows only what that needs.
TEST(UndoTable, AnUndoOfOneValueWritesOnlyThatValue) {
    World w;
    w.start();
    w.commandLine(u"/emoji:0");
    int writes = 0;
    w.windows.registry.setWriteFault([&](const platform::RegWrite&) {
        ++writes;
        return false;
    });
    w.windows.calls.clear();
    w.commandLine(u"/undo");
    // The value goes, and the key made for it with its parent.
    EXPECT_EQ(writes, 3);
    for (const std::string& call : w.windows.calls) {
        EXPECT_EQ(call.find("ShellExecute"), std::string::npos) << call;
        EXPECT_EQ(call.find("Profile("), std::string::npos) << call;
    }
}

// Windows is told what the restored state needs, as the changes themselves tell it.
TEST(UndoTable, WindowsTakesUpTheRestoredState) {
    struct Case {
        const char* name;
        const char16_t* change;
        std::vector<std::string> told;
        // What Windows itself writes in answer to the change (the stand-in of PowerShell
        // writes nothing).
        std::function<void(World&)> windowsWrites = {};
    };
    const std::string reapply = "Set-WinUserLanguageList";
    const Case cases[] = {
        {"an IMM input method enabled: unloaded again",
         u"/add_name:示例全拼输入法",
         {"UnloadKeyboardLayout(0xFFFFFFFFE0200804)", reapply}},
        {"a text service disabled: enabled again",
         u"/del_num:1",
         {"ActivateProfile(1, 0804, {6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}, "
          "{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}, 0x0, 0x1)",
          reapply}},
        {"the default: set again",
         u"/langlist",
         {"Set-WinDefaultInputMethodOverride '0804:00000409'", reapply},
         [](World& w) {
             w.windows.registry.removeValue(Hive::CurrentUser, kUserProfile,
                                            u"InputMethodOverride");
         }},
        {"the Caps Lock key", u"/shift", {"ActivateKeyboardLayout(0x0, 0x40000000)"}},
        {"the language bar",
         u"/bar:1",
         {"Set-WinLanguageBarOption}"},
         [](World& w) {
             w.windows.registry.put(
                 Hive::CurrentUser, kDesktop, u"UserPreferencesMask",
                 platform::binaryValue({0x9e, 0x1e, 0x07, 0x80, 0x12, 0x01, 0, 0}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        w.start();
        w.commandLine(c.change);
        if (c.windowsWrites) {
            c.windowsWrites(w);
        }
        w.windows.calls.clear();
        w.commandLine(u"/undo");
        std::string calls;
        for (const std::string& call : w.windows.calls) {
            calls += call + "\n";
        }
        for (const std::string& told : c.told) {
            EXPECT_NE(calls.find(told), std::string::npos) << told << " in\n" << calls;
        }
    }
}

} // namespace
} // namespace quillon::testing
