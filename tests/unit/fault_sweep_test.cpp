// Every operation that writes, with a fault at every write (see fault_sweep.h): the table
// names what each may touch and the partial states its steps outside the registry's rollback
// may leave, with what the message says of them.
#include "app/tform1.h"
#include "backups/backups.h"
#include "drift/drift_commands.h"
#include "fault_sweep.h"
#include "sample_setup.h"

#include <cctype>
#include <gtest/gtest.h>

namespace quillon::testing {
namespace {

const char* const kExtras = R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Keyboard Layout]
"Attributes"=dword:00010000

[HKEY_CURRENT_USER\Keyboard Layout\Substitutes]
"00000804"="00000804"

[HKEY_CURRENT_USER\Software\Unrelated]
"Kept"="as it was"
)";

const std::string kImmKey = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\E0200804";
const ustring kCfgPath = u"C:\\Users\\user\\setup.cfg";
const ustring kListPath = u"C:\\Users\\user\\list.txt";

// The sample setup (Simplified Chinese: pinyin enabled and the default, wubi disabled, the US
// keyboard enabled, an IMM input method and the Japanese keyboard disabled; US English with
// the US keyboard), started as a user starts it, with old files beside it.
void sampleWindow(SweepWorld& w) {
    const SampleSetup setup = SampleSetup::testBed().reg(kExtras).japaneseKeyboard();
    setup.build(w.windows);
    setup.answerLanguageQuery(w.windows);
    w.windows.files.files[kCfgPath] = "[0804_list]\r\n1=old\r\n\r\n[kept]\r\nx=1\r\n";
    w.windows.files.files[kListPath] = "old list\r\n";
    w.form.FormCreate();
    w.form.Form2 = &w.dialog;
    ASSERT_EQ(w.form.ListView1.count(), 2);
    ASSERT_EQ(w.form.ListView2.count(), 3);
}

int rowNamed(const ListView& list, const char16_t* part) {
    for (std::size_t i = 0; i < list.rows.size(); ++i) {
        if (list.rows[i].name.find(part) != ustring::npos) {
            return static_cast<int>(i);
        }
    }
    ADD_FAILURE() << "no row " << toUtf8(part);
    return -1;
}

bool called(const SweepRun& run, const std::string& part) {
    const auto& calls = run.world->windows.calls;
    return std::any_of(calls.begin(), calls.end(),
                       [&](const std::string& c) { return c.find(part) != std::string::npos; });
}

std::function<bool(const SweepRun&)> whenCalled(std::string part) {
    return [part](const SweepRun& run) { return called(run, part); };
}

// Keys a commit of Simplified Chinese may change.
const std::vector<std::string> kCommitKeys = {
    "HKCU\\Control Panel\\International\\User Profile\\zh-Hans-CN",
    "HKCU\\Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804",
    "HKCU\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys",
    "HKCU\\Control Panel\\Input Method\\Hot Keys",
};

std::vector<std::string> commitKeysAnd(std::vector<std::string> more) {
    more.insert(more.end(), kCommitKeys.begin(), kCommitKeys.end());
    return more;
}

const char* const kConfigFile = R"([0804_list]
1=示例全拼输入法|{00000000-0000-0000-0000-000000000000}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|E0200804|Ctrl+Shift+F2
2=示例拼音输入法|{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}|00000000|Ctrl+5
3=美式键盘|{00000000-0000-0000-0000-000000000000}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|04090804

[0804_switchkey]
layout=DiSaBlE
language=alt+shift
CAPS=caps lock
Ime/NonIme Toggle=ctrl+F6
Symbol Toggle=none
Shape Toggle=Shift+SPACE

[0804_other]
SwitchMode=1
LanguageBar=0
InputEmoji=0
DefaultIME=2

[0409_list]
1=美式键盘|{00000000-0000-0000-0000-000000000000}|0409|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|04090409|Ctrl+Shift+9

[0409_switchkey]
layout=Ctrl+Shift

[0409_other]
InputEmoji=1
)";

const ustring kToldEnabled = u"已在系统中启用";
const ustring kToldDisabled = u"已在系统中禁用";
const ustring kToldRemoved = u"已从系统中删除";
const ustring kToldDefault = u"默认输入法已设置为";
const ustring kToldLanguageList = u"默认输入法已改为使用语言列表";

std::vector<SweptOperation> operations() {
    using W = SweepWorld;
    // The configuration load, and the apply of what differs through the load's walk.
    const std::vector<std::string> loadTouches =
        commitKeysAnd({"HKCU\\Control Panel\\International\\User Profile\\en-US",
                       "HKCU\\Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000409",
                       "HKCU\\Keyboard Layout", "HKCU\\Control Panel\\Desktop",
                       "HKCU\\Software\\Microsoft\\Input"});
    const PartialState stoppedAtALanguage{
        "stopped at a language",
        {"HKCU"},
        [](const SweepRun& run) { return run.registry != run.before; },
        {u"已导入的语言：", u"的设置已部分导入", u"未能恢复为更改前的状态"}};
    const PartialState clearedDefault{"the default cleared by its command",
                                      {},
                                      whenCalled("Set-WinDefaultInputMethodOverride}"),
                                      {kToldLanguageList}};
    // Disabling the default first clears it with a commit of its own, which stays when the
    // disabling's commit fails.
    const PartialState clearedAndCommitted{"the default cleared and committed",
                                           kCommitKeys,
                                           whenCalled("Set-WinUserLanguageList"),
                                           {kToldLanguageList}};
    return {
        {"enable a text service",
         [](W& w) { w.form.ListView2.selected = rowNamed(w.form.ListView2, u"五笔"); },
         [](W& w) { w.form.Button_EnableClick(); },
         kCommitKeys,
         {{"enabled in TSF", {}, whenCalled("ActivateProfile("), {kToldEnabled}}}},
        {"enable an IMM input method",
         [](W& w) { w.form.ListView2.selected = rowNamed(w.form.ListView2, u"全拼"); },
         [](W& w) { w.form.Button_EnableClick(); },
         kCommitKeys,
         {{"layout loaded", {}, whenCalled("LoadKeyboardLayout("), {kToldEnabled}}}},
        {"enable a keyboard layout",
         [](W& w) { w.form.ListView2.selected = rowNamed(w.form.ListView2, u"Japanese"); },
         [](W& w) { w.form.Button_EnableClick(); },
         commitKeysAnd({"HKCU\\Keyboard Layout\\Substitutes"}),
         {{"layout substitutes written",
           {"HKCU\\Keyboard Layout\\Substitutes"},
           [](const SweepRun& run) {
               return run.registry.at("HKCU\\Keyboard Layout\\Substitutes").find("d0010804") !=
                      std::string::npos;
           },
           {kToldEnabled}}}},
        {"disable the default text service",
         [](W& w) { w.form.ListView1.selected = rowNamed(w.form.ListView1, u"拼音"); },
         [](W& w) { w.form.Button_DisableClick(); },
         kCommitKeys,
         {clearedDefault,
          clearedAndCommitted,
          {"disabled in TSF", {}, whenCalled("DeactivateProfile("), {kToldDisabled}}}},
        {"disable a keyboard layout",
         [](W& w) { w.form.ListView1.selected = rowNamed(w.form.ListView1, u"US"); },
         [](W& w) { w.form.Button_DisableClick(); },
         kCommitKeys,
         {{"layout unloaded", {}, whenCalled("UnloadKeyboardLayout("), {kToldDisabled}}}},
        {"remove a text service",
         [](W& w) {
             w.form.ListView2.selected = rowNamed(w.form.ListView2, u"五笔");
             w.windows.dialogs.answers.push_back(platform::kIdYes);
         },
         [](W& w) { w.form.Button_DELClick(); },
         kCommitKeys,
         {{"unregistered", {}, whenCalled("Unregister("), {kToldRemoved}}}},
        {"remove an IMM input method",
         [](W& w) {
             w.form.ListView2.selected = rowNamed(w.form.ListView2, u"全拼");
             w.windows.dialogs.answers.push_back(platform::kIdYes);
         },
         [](W& w) { w.form.Button_DELClick(); },
         commitKeysAnd({kImmKey}),
         {{"its key deleted",
           {kImmKey},
           [](const SweepRun& run) { return run.registry.count(kImmKey) == 0; },
           {kToldRemoved}},
          {"its deletion refused, as without administrator rights: the refresh lists it again",
           kCommitKeys,
           [](const SweepRun& run) {
               const ListView& disabled = run.world->form.ListView2;
               return run.registry.count(kImmKey) == 1 &&
                      std::any_of(disabled.rows.begin(), disabled.rows.end(),
                                  [](const auto& r) { return r.fields[kFieldHkl] == u"E0200804"; });
           },
           {}}}},
        {"disable all",
         nullptr,
         [](W& w) { w.form.disable_all_Click(); },
         kCommitKeys,
         {clearedDefault,
          {"disabled in TSF", {}, whenCalled("DeactivateProfile("), {kToldDisabled}}}},
        {"disable all, enabling the US keyboard in their place",
         [](W& w) {
             for (auto& p : w.windows.tsf.profiles) {
                 if (p.profile.hkl == 0x04090804) {
                     p.profile.flags = 0;
                 }
             }
             w.form.Button_RefreshClick();
         },
         [](W& w) { w.form.disable_all_Click(); },
         commitKeysAnd({"HKCU\\Keyboard Layout\\Substitutes"}),
         {clearedDefault,
          {"disabled in TSF", {}, whenCalled("DeactivateProfile("), {kToldDisabled}},
          {"layout substitutes written",
           {"HKCU\\Keyboard Layout\\Substitutes"},
           [](const SweepRun& run) {
               return run.registry.at("HKCU\\Keyboard Layout\\Substitutes").find("d0010804") !=
                      std::string::npos;
           },
           {kToldEnabled}}}},
        {"set the default input method",
         [](W& w) { w.form.ListView1.selected = rowNamed(w.form.ListView1, u"US"); },
         [](W& w) { w.form.DefaultClick(); },
         kCommitKeys,
         {{"the default set by its command",
           {},
           whenCalled("Set-WinDefaultInputMethodOverride '"),
           {kToldDefault}}}},
        {"use the language list",
         nullptr,
         [](W& w) { w.form.N4Click(); },
         kCommitKeys,
         {clearedDefault}},
        {"move down",
         [](W& w) { w.form.ListView1.selected = 0; },
         [](W& w) { w.form.Button_DownClick(); },
         kCommitKeys,
         {}},
        {"a window's own input method",
         [](W& w) { w.form.CheckBox1.checked = true; },
         [](W& w) { w.form.CheckBox1Click(); },
         {"HKCU\\Control Panel\\Desktop"},
         {}},
        {"the emoji panel, its key missing",
         [](W& w) { w.form.CheckBox3.checked = false; },
         [](W& w) { w.form.CheckBox3Click(); },
         {"HKCU\\Software\\Microsoft\\Input"},
         {}},
        {"Caps Lock released by Caps Lock",
         [](W& w) { w.form.ComboBox3.itemIndex = 0; },
         [](W& w) { w.form.ComboBox3Change(); },
         {"HKCU\\Keyboard Layout"},
         {}},
        {"Caps Lock released by Shift",
         [](W& w) {
             w.windows.registry.removeValue(platform::Hive::CurrentUser, kKeyboardLayout,
                                            u"Attributes");
             w.form.ComboBox3.itemIndex = 1;
         },
         [](W& w) { w.form.ComboBox3Change(); },
         {"HKCU\\Keyboard Layout"},
         {}},
        {"the switching keys",
         [](W& w) { w.form.ComboBox1.itemIndex = 0; },
         [](W& w) { w.form.ComboBox1Change(); },
         {"HKCU\\Keyboard Layout\\Toggle"},
         {}},
        {"the hotkey dialog on a row",
         [](W& w) {
             w.form.ListView1.selected = rowNamed(w.form.ListView1, u"拼音");
             w.windows.dialogs.modalSteps.push_back([](platform::ModalForm& form) {
                 auto& dialog = dynamic_cast<TForm2&>(form);
                 dialog.RadioGroup1.itemIndex = 6; // Ctrl+Shift
                 dialog.RadioGroup1Click();
                 const auto& items = dialog.ComboBox1.items;
                 dialog.ComboBox1.itemIndex =
                     static_cast<int>(std::find(items.begin(), items.end(), u"Q") - items.begin());
                 return platform::kIdOk;
             });
         },
         [](W& w) { w.form.Button_HotkeyClick(); },
         kCommitKeys,
         {}},
        {"the hotkey dialog on a toggle",
         [](W& w) {
             w.windows.dialogs.modalSteps.push_back([](platform::ModalForm& form) {
                 auto& dialog = dynamic_cast<TForm2&>(form);
                 dialog.RadioGroup1.itemIndex = 0; // no hotkey
                 dialog.RadioGroup1Click();
                 return platform::kIdOk;
             });
         },
         [](W& w) { w.form.Button_SW1Click(1); },
         kCommitKeys,
         {}},
        {"the configuration load",
         [](W& w) { w.windows.files.files[u"C:\\load.cfg"] = kConfigFile; },
         [](W& w) { w.form.loadcfg(u"C:\\load.cfg"); },
         loadTouches,
         {stoppedAtALanguage}},
        {"the apply of what differs",
         [](W& w) { w.windows.files.files[u"C:\\load.cfg"] = kConfigFile; },
         [](W& w) { applyDifferences(w.form, u"C:\\load.cfg"); },
         loadTouches,
         {stoppedAtALanguage}},
        {"undo of a move and the Caps Lock key",
         [](W& w) {
             const ustring local = u"C:\\Users\\user\\AppData\\Local";
             w.windows.system.localAppData = local;
             w.windows.files.directories.push_back(u"C:\\Users\\user\\AppData");
             w.windows.files.directories.push_back(local);
             const backups::UserAction action(w.form);
             w.form.ListView1.selected = 0;
             w.form.Button_DownClick();
             w.form.ComboBox3.itemIndex = 0;
             w.form.ComboBox3Change();
         },
         [](W& w) {
             const backups::UserAction action(w.form, u"命令行 /undo", true);
             backups::undoLastChange(w.form);
         },
         {"HKCU\\Control Panel\\International\\User Profile", "HKCU\\Software\\Microsoft\\CTF",
          "HKCU\\Control Panel\\Input Method\\Hot Keys", "HKCU\\Keyboard Layout"},
         {}},
        {"the list export",
         [](W& w) { w.windows.dialogs.fileAnswers.push_back(kListPath); },
         [](W& w) { w.form.N8Click(); },
         {},
         {}},
        {"the configuration save (merged)",
         nullptr,
         [](W& w) { w.form.savecfg(kCfgPath); },
         {},
         {}},
        {"the configuration export (replaced)",
         [](W& w) {
             w.windows.dialogs.fileAnswers.push_back(kCfgPath);
             w.windows.dialogs.answers.push_back(platform::kIdYes);
         },
         [](W& w) { w.form.N14Click(); },
         {},
         {}},
    };
}

// The words of the messages the sweep looks for, in full for a few failures.
TEST(FaultMessages, SayWhatTookEffectBeforeTheFailure) {
    const auto ops = operations();
    const auto op = [&](const char* name) {
        return *std::find_if(ops.begin(), ops.end(),
                             [&](const SweptOperation& o) { return std::string(o.name) == name; });
    };
    struct Case {
        const char* operation;
        std::size_t write;
        const char16_t* message;
    };
    const Case cases[] = {
        {"enable a text service", 1,
         u"无法写入注册表值“0804:{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
         u"{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}”。\r注册表已恢复为更改前的状态。\r"
         u"“示例五笔输入法”已在系统中启用，但输入法列表的更改未能保存，请点击“刷新”查看系统当前的"
         u"设置。"},
        {"enable a keyboard layout", 2,
         u"无法写入注册表值“d0010804”。\r注册表已恢复为更改前的状态。"},
        {"the switching keys", 2,
         u"无法写入注册表值“Language Hotkey”。\r注册表已恢复为更改前的状态。"},
        {"the configuration load", 1,
         u"无法删除注册表值“Attributes”。\r\r"
         u"导入配置文件“C:\\load.cfg”时在语言 0804 处停止。此前没有导入任何语言的设置。"},
        {"the configuration load", 4,
         u"无法写入注册表值“0804:E0200804”。\r注册表已恢复为更改前的状态。\r\r"
         u"导入配置文件“C:\\load.cfg”时在语言 0804 处停止。此前没有导入任何语言的设置。"
         u"语言 0804 的设置已部分导入。"},
    };
    for (const Case& c : cases) {
        const SweepRun run = runSwept(sampleWindow, op(c.operation), {Fault::Kind::Once, c.write});
        EXPECT_EQ(run.message, c.message) << c.operation << ", write " << c.write;
    }
}

class FaultSweep : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FaultSweep, EndsAsBeforeOrSaysWhatItLeft) {
    sweepFaults(sampleWindow, operations().at(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(EveryWritingOperation, FaultSweep,
                         ::testing::Range<std::size_t>(0, operations().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                             std::string name = operations().at(param.param).name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

} // namespace
} // namespace quillon::testing
