// List export and the configuration file: saving, loading, the check before the first change,
// and writes that fail.
#include "app/form_values.h"
#include "core/error.h"
#include "files/config_file.h"
#include "files/setup_reader.h"
#include "form_fixture.h"

#include <algorithm>

namespace quillon::testing {
namespace {

using platform::Hive;

const std::string kBom = "\xEF\xBB\xBF";
const std::string kPowerShell =
    "ShellExecute(open, C:\\Windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe, ";
const std::string kReapply =
    kPowerShell + "-command \"& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}\", 0)";
const std::string kClearDefault =
    kPowerShell + "-command \"& {Set-WinDefaultInputMethodOverride}\", 0)";
const std::string kSetPinyinDefault =
    kPowerShell +
    "-command \"& {Set-WinDefaultInputMethodOverride '0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
    "{FA550B04-5AD7-411F-A5AC-CA038EC515D7}'}, 0)";
const ustring kPath = u"C:\\Users\\me\\输入法.cfg";
const ustring kZhProfile = kUserProfile + u"\\zh-Hans-CN";
const ustring kEnProfile = kUserProfile + u"\\en-US";

// The settings shown beside the lists, as Windows keeps them: layout switching off, Shift
// releases Caps Lock, Ctrl+SPACE toggles the IME, a separate input method per window, the
// emoji panel closes, and Ctrl+5 switches to Pinyin.
const char* const kSettings = R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Keyboard Layout]
"Attributes"=dword:00010000

[HKEY_CURRENT_USER\Keyboard Layout\Toggle]
"Layout Hotkey"="3"
"Language Hotkey"="1"
"Hotkey"="1"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"UserPreferencesMask"=hex:9e,1e,07,80,92,00,07,80

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

[HKEY_CURRENT_USER\Software\Microsoft\Input\Settings]
"EnableExpressiveInputEmojiMultipleSelection"=dword:00000000
)";

// The same settings, all different.
const char* const kOtherSettings = R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Keyboard Layout]
"Attributes"=-

[HKEY_CURRENT_USER\Keyboard Layout\Toggle]
"Layout Hotkey"="1"
"Language Hotkey"="2"
"Hotkey"="2"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"UserPreferencesMask"=hex:9e,1e,07,80,12,00,07,80

[-HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
[-HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]

[HKEY_CURRENT_USER\Software\Microsoft\Input\Settings]
"EnableExpressiveInputEmojiMultipleSelection"=dword:00000001
)";

std::string crlf(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return out;
}

// A file as the program writes it: byte-order mark, CR LF.
std::string cfg(std::string_view text) {
    return kBom + crlf(text);
}

class ConfigTest : public FormTest {
protected:
    // A user with a profile: each load backs up what it changes.
    ConfigTest() : FormTest(SampleSetup::base().reg(kSettings).backupFolder()) {}

    std::string file(const ustring& path) {
        const auto it = windows.files.files.find(path);
        return it == windows.files.files.end() ? "<none>" : it->second;
    }
    int count(const std::string& call) const {
        return static_cast<int>(std::count(windows.calls.begin(), windows.calls.end(), call));
    }
    bool called(const std::string& prefix) const {
        return std::any_of(windows.calls.begin(), windows.calls.end(),
                           [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
    }
    std::string value(const ustring& key, const ustring& name) {
        const auto v = windows.registry.queryValue(Hive::CurrentUser, key, name);
        if (!v) {
            return "<none>";
        }
        std::string out;
        for (const std::uint8_t b : v->data) {
            const char* const digits = "0123456789abcdef";
            out += (out.empty() ? "" : ",") + std::string{digits[b >> 4], digits[b & 15]};
        }
        return out;
    }
    // A REG_SZ value's text.
    std::string text(const ustring& key, const ustring& name) {
        const auto v = windows.registry.queryValue(Hive::CurrentUser, key, name);
        if (!v) {
            return "<none>";
        }
        ustring out;
        for (std::size_t i = 0; i + 1 < v->data.size(); i += 2) {
            const auto unit = static_cast<char16_t>(v->data[i] | (v->data[i + 1] << 8));
            if (unit == 0) {
                break;
            }
            out.push_back(unit);
        }
        return toUtf8(out);
    }
    std::string state() const { return windows.registry.dump(Hive::CurrentUser); }
    void load(std::string_view text) {
        windows.files.files[kPath] = cfg(text);
        windows.calls.clear();
        form.loadcfg(kPath);
    }
};

// ---- List export ---------------------------------------------------------------------------

TEST_F(ConfigTest, ListExport) {
    start();
    const ustring path = u"C:\\out\\禁用.txt";
    windows.dialogs.fileAnswers.push_back(path);
    form.N11Click();
    // Names as shown, blanks included and unquoted, each line ended, nothing more.
    EXPECT_EQ(file(path), "微软五笔\r\n美式键盘\r\n中文 (简体) - 微软拼音 IMM\r\n");
    ASSERT_EQ(windows.dialogs.fileRequests.size(), 1u);
    const platform::FileDialogRequest& request = windows.dialogs.fileRequests[0];
    EXPECT_EQ(request.title, u"导出输入法列表");
    EXPECT_EQ(request.defaultExtension, u"txt");
    EXPECT_EQ(request.filter, u"文本文件|*.txt|所有文件|*.*");
    EXPECT_EQ(request.fileName, u"");

    // An empty list gives an empty file; an existing file is replaced without a question; the
    // dialog offers the name chosen last.
    form.ListView2.rows.clear();
    windows.dialogs.fileAnswers.push_back(path);
    form.N11Click();
    EXPECT_EQ(file(path), "");
    EXPECT_TRUE(windows.dialogs.boxes.empty());
    EXPECT_EQ(windows.dialogs.fileRequests.back().fileName, path);

    // Cancelled: nothing is written.
    windows.calls.clear();
    form.N8Click();
    EXPECT_FALSE(called("WriteFile("));

    windows.dialogs.fileAnswers.push_back(u"C:\\out\\启用.txt");
    form.N8Click();
    EXPECT_EQ(file(u"C:\\out\\启用.txt"), "微软拼音\r\n");

    // A file that cannot be written names itself and the system's reason; the old one stays.
    windows.files.failWriteAfter = 3;
    try {
        form.writeListFile(form.ListView1, u"C:\\out\\启用.txt");
        FAIL() << "no error";
    } catch (const QuillonError& e) {
        EXPECT_EQ(e.message(), u"无法创建文件“C:\\out\\启用.txt”。磁盘空间不足。");
    }
    EXPECT_EQ(file(u"C:\\out\\启用.txt"), "微软拼音\r\n");
    EXPECT_EQ(windows.files.files.size(), 2u);
}

// ---- Saving --------------------------------------------------------------------------------

TEST_F(ConfigTest, SaveWritesEveryLanguageInTheExactFormat) {
    windows.loadReg("Windows Registry Editor Version 5.00\n"
                    "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
                    "\"InputMethodOverride\"=\"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
                    "{FA550B04-5AD7-411F-A5AC-CA038EC515D7}\"\n");
    start();
    form.savecfg(kPath);
    EXPECT_EQ(file(kPath), cfg(R"([0804_list]
1=微软拼音|{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{FA550B04-5AD7-411F-A5AC-CA038EC515D7}|00000000|Ctrl+5

[0804_disabled]
1=微软五笔|{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{82590C13-F4DD-44F4-BA1D-8667246FDF8E}|00000000
2=美式键盘|{00000000-0000-0000-0000-000000000000}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|04090804
3=中文 (简体) - 微软拼音 IMM|{00000000-0000-0000-0000-000000000000}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|E0200804

[0804_switchkey]
layout=disable
language=Alt+Shift
CAPS=Shift
Ime/NonIme Toggle=Ctrl+SPACE
Symbol Toggle=none
Shape Toggle=none

[0804_other]
SwitchMode=1
LanguageBar=0
InputEmoji=0
DefaultIME=1

[0409_list]
1=美式键盘|{00000000-0000-0000-0000-000000000000}|0409|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|04090409|

[0409_switchkey]
layout=disable
language=Alt+Shift
CAPS=Shift
Ime/NonIme Toggle=none
Symbol Toggle=none
Shape Toggle=none

[0409_other]
SwitchMode=1
LanguageBar=0
InputEmoji=0
DefaultIME=0

)"));
    // The direct reader gives the same document the save wrote, and leaves the shown language
    // as it was.
    EXPECT_EQ(readSetup(form.os(), form.lang.code, form.scancode, otherSettingsShown(form)).bytes(),
              file(kPath));
    EXPECT_EQ(form.mylangid, 0x0409);
}

TEST_F(ConfigTest, SaveWithOneLanguage) {
    windows.loadReg(
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
        "\"Languages\"=hex(7):7a,00,68,00,2d,00,48,00,61,00,6e,00,73,00,2d,00,43,00,4e,00,00,"
        "00,00,00\n");
    start();
    form.savecfg(kPath);
    const IniRead read = readIni(file(kPath));
    StringList sections;
    for (const IniSection& s : read.document.sections()) {
        sections.push_back(s.name);
    }
    EXPECT_EQ(sections,
              (StringList{u"0804_list", u"0804_disabled", u"0804_switchkey", u"0804_other"}));
    EXPECT_EQ(file(kPath).substr(0, 3), kBom);
    EXPECT_EQ(file(kPath).substr(file(kPath).size() - 4), "\r\n\r\n");
}

TEST_F(ConfigTest, SaveMergesIntoAnExistingFile) {
    start();
    windows.files.files[kPath] = cfg(R"(; my notes
[Mine]
keep=1
[0804_LIST]
1=old
2=surplus|{00000000-0000-0000-0000-000000000000}|0804||{00000000-0000-0000-0000-000000000000}|E0200804|
[0804_other]
DefaultIME=7
Extra=x
)");
    form.savecfg(kPath);
    const std::string saved = file(kPath);
    // Sections and keys keep their places, surplus rows survive, comments do not.
    EXPECT_EQ(saved.find("; my notes"), std::string::npos);
    EXPECT_EQ(saved.rfind(kBom + "[Mine]\r\nkeep=1\r\n\r\n[0804_LIST]\r\n1=微软拼音|", 0), 0u);
    EXPECT_NE(saved.find("|Ctrl+5\r\n2=surplus|"), std::string::npos);
    EXPECT_NE(saved.find("[0804_other]\r\nDefaultIME=0\r\nExtra=x\r\nSwitchMode=1\r\n"
                         "LanguageBar=0\r\nInputEmoji=0\r\n\r\n[0804_disabled]"),
              std::string::npos);
}

// The command line's save ends its run with the message, as every failing command does.
ustring saveError(TForm1& form, const ustring& path) {
    try {
        form.savecfg(path);
    } catch (const QuillonError& e) {
        return e.message();
    }
    return u"(saved)";
}

TEST_F(ConfigTest, SaveNeverMergesOverWhatItCannotRead) {
    start();
    const std::string notText = "[0804_list]\r\n1=\xB0\xA1\r\n"; // GBK, not UTF-8
    windows.files.files[kPath] = notText;
    EXPECT_EQ(saveError(form, kPath),
              kPath +
                  u"\r已有的文件第 2 行不是有效的 UTF-8 文本，为免丢失其中的内容，没有写入配置。");
    windows.files.unreadable = {kPath};
    EXPECT_EQ(saveError(form, kPath),
              kPath + u"\r无法读取已有的文件（另一个程序正在使用此文件，进程无法访问。），"
                      u"为免丢失其中的设置，没有写入配置。");
    windows.files.unreadable.clear();
    EXPECT_EQ(file(kPath), notText);
    EXPECT_FALSE(called("WriteFile("));
    EXPECT_TRUE(windows.dialogs.boxes.empty());
}

// Without a language's profiles the lists still hold the language shown before; a save then
// never writes them under this language's section, and the old file stays.
TEST_F(ConfigTest, ASaveStopsAtALanguageWhoseProfilesCannotBeListed) {
    start();
    const std::string old = cfg("[0804_list]\n1=old\n\n");
    windows.files.files[kPath] = old;
    windows.tsf.enumeratorMissing = true;
    EXPECT_EQ(saveError(form, kPath), kPath + u"\r无法列出语言 0804 的输入法，没有写入配置。");
    EXPECT_EQ(file(kPath), old);

    windows.dialogs.fileAnswers.push_back(kPath);
    windows.dialogs.answers.push_back(platform::kIdYes);
    form.N14Click();
    EXPECT_EQ(file(kPath), old);
    ASSERT_FALSE(windows.dialogs.boxes.empty());
    EXPECT_EQ(windows.dialogs.boxes.back().text,
              kPath + u"\r无法列出语言 0804 的输入法，没有写入配置。");

    // A reason that is a sentence of its own loses its full stop before the clause.
    windows.tsf.enumeratorMissing = false;
    windows.tsf.offersProfileMgr = false;
    EXPECT_EQ(saveError(form, kPath),
              kPath + u"\r不支持此接口（ITfInputProcessorProfileMgr），没有写入配置。");
    EXPECT_EQ(file(kPath), old);
}

TEST_F(ConfigTest, MenuExportAsksBeforeReplacingAndWritesAFreshFile) {
    start();
    const std::string old = cfg("[0804_list]\n1=a\n2=surplus\n\n");
    windows.files.files[kPath] = old;

    windows.dialogs.fileAnswers.push_back(kPath);
    form.N14Click(); // the question is answered No
    EXPECT_EQ(file(kPath), old);
    ASSERT_EQ(windows.dialogs.boxes.size(), 1u);
    EXPECT_EQ(windows.dialogs.boxes[0].text, kPath + u"\r文件已存在，是否覆盖？");
    EXPECT_EQ(windows.dialogs.boxes[0].caption, u"确认");
    EXPECT_EQ(windows.dialogs.boxes[0].flags, 0x124u);
    const platform::FileDialogRequest& request = windows.dialogs.fileRequests.back();
    EXPECT_EQ(request.title, u"导出配置");
    EXPECT_EQ(request.defaultExtension, u"cfg");
    EXPECT_EQ(request.filter, u"配置文件|*.cfg|所有文件|*.*");

    windows.dialogs.fileAnswers.push_back(kPath);
    windows.dialogs.answers.push_back(platform::kIdYes);
    form.N14Click();
    EXPECT_EQ(file(kPath).find("surplus"), std::string::npos);
    EXPECT_NE(file(kPath).find("[0409_other]"), std::string::npos);

    // A new name is not asked about; the list export offers it next.
    windows.dialogs.fileAnswers.push_back(u"C:\\new.cfg");
    form.N14Click();
    EXPECT_EQ(windows.dialogs.boxes.size(), 2u);
    EXPECT_EQ(file(u"C:\\new.cfg"), file(kPath));
    form.N8Click(); // cancelled
    EXPECT_EQ(windows.dialogs.fileRequests.back().fileName, u"C:\\new.cfg");
    EXPECT_EQ(windows.dialogs.fileRequests.back().title, u"导出输入法列表");
    EXPECT_EQ(windows.dialogs.fileRequests.back().defaultExtension, u"txt");
}

// The new content fails at any point of its write, or cannot replace the old file: the old
// file stays byte for byte, no temporary file is left, and the user is told.
TEST_F(ConfigTest, AFailedSaveLeavesTheOldFileAsItWas) {
    start();
    const std::string old = cfg("[0804_list]\n1=old\n\n");
    struct Case {
        std::optional<std::size_t> failAfter;
        bool failReplace;
        bool menu;
        const char16_t* message;
    };
    const Case cases[] = {
        {0, false, false, u"无法写入配置文件！"},   {7, false, false, u"无法写入配置文件！"},
        {900, false, false, u"无法写入配置文件！"}, {{}, true, false, u"无法写入配置文件！"},
        {0, false, true, u"无法写入配置文件！"},    {900, false, true, u"无法写入配置文件！"},
        {{}, true, true, u"文件无法覆盖！"},
    };
    for (const Case& c : cases) {
        windows.files.files = {{kPath, old}};
        windows.files.mostFiles = 0;
        windows.files.failWriteAfter = c.failAfter;
        windows.files.failReplace = c.failReplace;
        windows.dialogs.boxes.clear();
        const std::string what = c.failAfter ? std::to_string(*c.failAfter) : "replace";
        if (!c.menu) {
            EXPECT_EQ(saveError(form, kPath), kPath + u"\r" + c.message) << what;
            EXPECT_EQ(windows.files.files, (std::map<ustring, std::string>{{kPath, old}})) << what;
            EXPECT_TRUE(windows.dialogs.boxes.empty()) << what;
            continue;
        }
        windows.dialogs.fileAnswers.push_back(kPath);
        windows.dialogs.answers.push_back(platform::kIdYes);
        form.N14Click();
        EXPECT_EQ(windows.files.files, (std::map<ustring, std::string>{{kPath, old}})) << what;
        EXPECT_EQ(windows.files.mostFiles, 2u) << what; // the new file was beside the old one
        ASSERT_FALSE(windows.dialogs.boxes.empty()) << what;
        EXPECT_EQ(windows.dialogs.boxes.back().text, kPath + u"\r" + c.message) << what;
        EXPECT_EQ(windows.dialogs.boxes.back().caption, u"错误");
        EXPECT_EQ(windows.dialogs.boxes.back().flags, platform::kMbIconError);
    }
}

// ---- Loading -------------------------------------------------------------------------------

TEST_F(ConfigTest, LoadAppliesTheListSwitchingKeysTogglesAndOtherSettings) {
    start();
    windows.loadReg(kOtherSettings);
    std::vector<ustring> statuses;
    form.Changed = [&] {
        if (statuses.empty() || statuses.back() != form.StatusBar1) {
            statuses.push_back(form.StatusBar1);
        }
    };
    std::optional<bool> enabledMeanwhile;
    windows.messages.pendingInput.push_back(
        {windows.clockMs + 2000, [&] { enabledMeanwhile = form.Enabled; }});
    load(R"([0804_list]
1=中文 (简体) - 微软拼音 IMM|{00000000-0000-0000-0000-000000000000}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|E0200804|Ctrl+Shift+F2
2=美式键盘|{00000000-0000-0000-0000-000000000000}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|04090804
3=微软拼音|{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}|0804|{34745C63-B2F0-4784-8B67-5E12C8701A31}|{FA550B04-5AD7-411F-A5AC-CA038EC515D7}|00000000|Ctrl+5

[0804_disabled]
1=never read|x

[0804_switchkey]
layout=DiSaBlE
language=alt+shift
CAPS=caps lock
Ime/NonIme Toggle=ctrl+space
Symbol Toggle=none
Shape Toggle=Shift+SPACE
Unknown=1

[0804_other]
SwitchMode=1
LanguageBar=0x1
InputEmoji=0
)");
    // The enabled list in the file's order, six fields meaning no hotkey.
    EXPECT_EQ(value(kZhProfile, u"0804:E0200804"), "01,00,00,00");
    EXPECT_EQ(value(kZhProfile, u"0804:00000409"), "02,00,00,00");
    EXPECT_EQ(value(kZhProfile, u"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
                                u"{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"),
              "03,00,00,00");
    const ustring hotKeys = kImmHotKeys + u"\\";
    EXPECT_EQ(value(hotKeys + u"00000100", u"Target IME"), "04,08,20,e0");
    EXPECT_EQ(value(hotKeys + u"00000100", u"Key Modifiers"), "06,c0,00,00");
    EXPECT_EQ(value(hotKeys + u"00000100", u"Virtual Key"), "71,00,00,00");
    EXPECT_FALSE(windows.registry.keyExists(Hive::CurrentUser, hotKeys + u"00000101"));
    const ustring ts = kDirectSwitch + u"\\00001000";
    EXPECT_EQ(text(ts, u"Modifiers"), "0000C002");
    EXPECT_EQ(text(ts, u"virtualkey"), "00000035");
    // Switching keys, Caps Lock, toggles ("none" is stored as no key).
    EXPECT_EQ(text(kToggleKey, u"Layout Hotkey"), "3");
    EXPECT_EQ(text(kToggleKey, u"Language Hotkey"), "1");
    EXPECT_EQ(text(kToggleKey, u"Hotkey"), "1");
    EXPECT_EQ(value(kKeyboardLayout, u"Attributes"), "<none>");
    EXPECT_EQ(value(hotKeys + u"00000010", u"Key Modifiers"), "02,c0,00,00");
    // "none" is no hotkey, written as the window's "无" writes it: never the key Space.
    EXPECT_EQ(value(hotKeys + u"00000011", u"Key Modifiers"), "00,00,00,00");
    EXPECT_EQ(value(hotKeys + u"00000011", u"Virtual Key"), "00,00,00,00");
    EXPECT_EQ(value(hotKeys + u"00000012", u"Key Modifiers"), "04,c0,00,00");
    // Other settings.
    EXPECT_EQ(value(kDesktop, u"UserPreferencesMask"),
              "9e,1e,07,80,92,00,07,80"); // the language bar only through PowerShell
    EXPECT_EQ(count(kPowerShell + "-command \"& {Set-WinLanguageBarOption -UseLegacySwitchMode "
                                  "-UseLegacyLanguageBar}\", 0)"),
              1);
    EXPECT_EQ(value(kInputSettings, u"EnableExpressiveInputEmojiMultipleSelection"), "00,00,00,00");
    EXPECT_EQ(count("MsgWait(4000, 0x4FF)"), 1); // one language changed: one wait
    EXPECT_EQ(count(kReapply), 1);
    EXPECT_EQ(count(kClearDefault), 0); // no DefaultIME: the default is left alone
    // Every language was read once for the comparison and shown in turn; the last stays; the
    // window took no input meanwhile.
    EXPECT_EQ(count("EnumProfiles(0804)"), 3);
    EXPECT_EQ(count("EnumProfiles(0409)"), 2);
    EXPECT_EQ(form.mylangid, 0x0409);
    EXPECT_EQ(enabledMeanwhile, false);
    EXPECT_TRUE(form.Enabled);
    EXPECT_EQ(statuses.back(), u"就绪");
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), u"正在刷新，请稍候..."), statuses.end());
}

TEST_F(ConfigTest, LoadSwitchingKeyValues) {
    start();
    struct Case {
        const char* text;
        const char* layout;   // "Layout Hotkey" afterwards
        const char* language; // "Language Hotkey"
        const char* attributes;
        bool written; // the switching keys were written
    };
    const Case cases[] = {
        {"layout=disable", "3", "1", "00,00,01,00", false}, // already so: nothing is written
        {"layout=DISABLE\nlanguage=DiSaBlE", "3", "3", "00,00,01,00", true},
        {"layout=alt+shift", "1", "2", "00,00,01,00", true}, // the other box gives way
        {"layout=nothing", "3", "1", "00,00,01,00", false},  // matches no item: kept
        {"CAPS=caps lock", "3", "1", "<none>", false},       // alone, without the others
    };
    for (const Case& c : cases) {
        windows.loadReg(kSettings);
        load(std::string("[0804_switchkey]\n") + c.text + "\n");
        EXPECT_EQ(text(kToggleKey, u"Layout Hotkey"), c.layout) << c.text;
        EXPECT_EQ(text(kToggleKey, u"Language Hotkey"), c.language) << c.text;
        EXPECT_EQ(value(kKeyboardLayout, u"Attributes"), c.attributes) << c.text;
        EXPECT_EQ(called("SystemParametersInfo("), c.written) << c.text;
    }
}

TEST_F(ConfigTest, LoadDefaultInputMethod) {
    // Pinyin is the default, as Windows keeps it.
    const std::string pinyinDefault =
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
        "\"InputMethodOverride\"=\"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
        "{FA550B04-5AD7-411F-A5AC-CA038EC515D7}\"\n";
    const std::string languageList = "Windows Registry Editor Version 5.00\n"
                                     "[HKEY_CURRENT_USER\\Control Panel\\International\\User "
                                     "Profile]\n\"InputMethodOverride\"=-\n";
    windows.loadReg(pinyinDefault);
    start();
    struct Case {
        const std::string* machine;
        const char* value;
        int set;
        int cleared;
    };
    // What the machine holds already is not set again.
    const Case cases[] = {
        {&pinyinDefault, "1", 0, 0},   {&pinyinDefault, "0x1", 0, 0}, {&pinyinDefault, "0", 0, 1},
        {&pinyinDefault, "abc", 0, 1}, {&pinyinDefault, "2", 0, 0},   {&pinyinDefault, "-1", 0, 0},
        {&languageList, "1", 1, 0},    {&languageList, "0x1", 1, 0},  {&languageList, "0", 0, 0},
    };
    for (const Case& c : cases) {
        windows.loadReg(*c.machine);
        load(std::string("[0804_other]\nDefaultIME=") + c.value + "\n");
        EXPECT_EQ(count(kSetPinyinDefault), c.set) << c.value;
        EXPECT_EQ(count(kClearDefault), c.cleared) << c.value;
        EXPECT_EQ(count("MsgWait(4000, 0x4FF)"), 0) << c.value; // nothing to settle
        // The order stays: only the language list's own commit re-applies it.
        EXPECT_EQ(called(kReapply), c.cleared == 1) << c.value;
    }
    // Windows has one default for all languages: a 0 replaces it only for the language that
    // holds it, whatever the other sections say, so a saved file loads back to its default.
    windows.loadReg(pinyinDefault);
    load("[0804_other]\nDefaultIME=1\n[0409_other]\nDefaultIME=0\n");
    EXPECT_EQ(count(kSetPinyinDefault), 0);
    EXPECT_EQ(count(kClearDefault), 0);
    load("[0409_other]\nDefaultIME=0\n[0804_other]\nDefaultIME=0\n");
    EXPECT_EQ(count(kClearDefault), 1);
    load("[0804_other]\nDefaultIME=0\n[0409_other]\nDefaultIME=1\n");
    EXPECT_EQ(count(kClearDefault), 0); // 0409's row 1 becomes the default instead
    windows.loadReg(languageList);
    load("[0804_other]\nDefaultIME=1\n[0409_other]\nDefaultIME=0\n");
    EXPECT_EQ(count(kSetPinyinDefault), 1);
}

// The default names the file's own row, also while Windows still lists the rows in its old
// order (it takes up the re-applied list in its own time).
TEST_F(ConfigTest, TheDefaultIsTheFilesRowWhateverOrderWindowsShows) {
    windows.loadReg("Windows Registry Editor Version 5.00\n"
                    "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
                    "\"InputMethodOverride\"=\"0804:00000409\"\n");
    // Windows lists the US keyboard first, before and after the load.
    windows.tsf.profiles.insert(windows.tsf.profiles.begin(),
                                {layout(0x0804, 0x04090804, 2), std::nullopt});
    start();
    load("[0804_list]\n"
         "1=微软拼音|{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}|0804|"
         "{34745C63-B2F0-4784-8B67-5E12C8701A31}|{FA550B04-5AD7-411F-A5AC-CA038EC515D7}|00000000\n"
         "2=美式键盘|{00000000-0000-0000-0000-000000000000}|0804|"
         "{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|04090804\n"
         "[0804_other]\nDefaultIME=1\n");
    ASSERT_EQ(toUtf8(form.ListView1.rows.at(0).name), "美式键盘");
    EXPECT_EQ(count(kSetPinyinDefault), 1);
}

TEST_F(ConfigTest, LoadAnEmptyListSectionCommitsAnEmptyList) {
    start();
    load("[0804_list]\n");
    EXPECT_EQ(value(kZhProfile, u"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
                                u"{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"),
              "<none>");
    EXPECT_NE(value(kZhProfile, u"CachedLanguageName"), "<none>");
    EXPECT_EQ(count(kReapply), 1);
}

TEST_F(ConfigTest, LoadChangesNothingForLanguagesNotInstalled) {
    start();
    const std::string before = state();
    std::vector<ustring> statuses;
    form.Changed = [&] { statuses.push_back(form.StatusBar1); };
    load("[0411_list]\n1=broken\n[0411_switchkey]\nlayout=disable\n");
    EXPECT_EQ(state(), before);
    EXPECT_FALSE(called("ShellExecute("));
    // Each language read for the comparison, then shown in turn.
    EXPECT_EQ(count("EnumProfiles(0804)"), 2);
    EXPECT_EQ(count("EnumProfiles(0409)"), 2);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), u"正在刷新，请稍候..."), statuses.end());
    EXPECT_EQ(form.StatusBar1, u"就绪");

    // A missing file does nothing at all.
    windows.calls.clear();
    form.loadcfg(u"C:\\no such.cfg");
    EXPECT_TRUE(windows.calls.empty());
}

// Anything that would stop a load halfway is found before the first change.
TEST_F(ConfigTest, ABrokenFileChangesNothing) {
    start();
    const std::string row = "|{00000000-0000-0000-0000-000000000000}|0804|{34745C63-B2F0-4784-"
                            "8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|E0200804";
    struct Case {
        std::string text;
        const char* where;
        const char* what;
    };
    const Case cases[] = {
        {"[0804_switchkey]\nlayout=disable\n[0804_list]\n1=\xFF\n", "第 4 行：", "UTF-8"},
        {"[0804_list]\n1=\n", "第 2 行，节“0804_list”，键“1”", "没有值"},
        {"[0804_list]\n\n lonely \n", "第 3 行，节“0804_list”，键“lonely”", "没有值"},
        {"[0804_list]\n1=IMM" + row.substr(0, row.size() - 9) + "\n", "键“1”", "实有 5 个"},
        {"[0804_list]\n1=IMM" + row + "||\n", "键“1”", "实有 8 个"},
        {"[0804_list]\n1=x|{81d4e9c9-1d3b-41bc-9e6c-4b40bf79e35e}|0804||"
         "{FA550B04-5AD7-411F-A5AC-CA038EC515D7}|00000000\n",
         "键“1”", "（clsid）"},
        {"[0804_list]\n1=x|{00000000-0000-0000-0000-000000000000}|804||"
         "{00000000-0000-0000-0000-000000000000}|E0200804\n",
         "键“1”", "（langid）"},
        {"[0804_list]\n1=x|{00000000-0000-0000-0000-000000000000}|0804|{34745c63-b2f0-4784-"
         "8b67-5e12c8701a31}|{00000000-0000-0000-0000-000000000000}|E0200804\n",
         "键“1”", "（catid）"},
        {"[0804_list]\n1=x|{00000000-0000-0000-0000-000000000000}|0804||"
         "{00000000-0000-0000-0000-000000000000}|e0200804\n",
         "键“1”", "（hkl）"},
        {"[0804_list]\n1=IMM" + row + "|Hyper+Q\n", "键“1”", "“HYPER”不是可识别的修饰键"},
        // A row of another language under this language's section.
        {"[0409_list]\n1=微软拼音|{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}|0804|"
         "{34745C63-B2F0-4784-8B67-5E12C8701A31}|{FA550B04-5AD7-411F-A5AC-CA038EC515D7}|"
         "00000000\n",
         "节“0409_list”，键“1”", "“0804”不是本节的语言 0409"},
        {"[0804_list]\n1=微软拼音|{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}|0804|"
         "{34745C63-B2F0-4784-8B67-5E12C8701A31}|{FA550B04-5AD7-411F-A5AC-CA038EC515D7}|"
         "00000000|Ctrl+NoKey\n",
         "键“1”", "“NoKey”不是可识别的按键"},
        {"[0804_switchkey]\nSymbol Toggle=Ctrl+NoKey\n", "节“0804_switchkey”，键“Symbol Toggle”",
         "“NOKEY”不是可识别的按键"},
        // Only the second language's section is broken: the first is not applied either.
        {"[0804_switchkey]\nlayout=disable\n[0409_list]\n1=x|y\n", "第 4 行，节“0409_list”",
         "实有 2 个"},
    };
    for (const Case& c : cases) {
        const std::string before = state();
        const EntryList rows = form.ListView1.rows;
        try {
            load(c.text);
            ADD_FAILURE() << "no error: " << c.text;
        } catch (const QuillonError& e) {
            const std::string message = toUtf8(e.message());
            EXPECT_EQ(
                message.rfind("配置文件“" + toUtf8(kPath) + "”有错误，没有导入任何设置。\r", 0), 0u)
                << message;
            EXPECT_NE(message.find(c.where), std::string::npos) << message;
            EXPECT_NE(message.find(c.what), std::string::npos) << message;
        }
        EXPECT_EQ(state(), before) << c.text;
        EXPECT_EQ(form.ListView1.rows, rows) << c.text;
        EXPECT_EQ(windows.calls, std::vector<std::string>{"ReadFile(" + toUtf8(kPath) + ")"})
            << c.text;
    }
}

TEST_F(ConfigTest, TheCheckLetsThroughWhatTheLoadWouldStoreAnyway) {
    start();
    // Languages without toggles write none; sections of languages not installed are never
    // applied.
    load("[0804_list]\n1=微软拼音|{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}|0804|"
         "{34745C63-B2F0-4784-8B67-5E12C8701A31}|{FA550B04-5AD7-411F-A5AC-CA038EC515D7}|"
         "00000000|\n"
         "[0409_switchkey]\nShape Toggle=Hyper+Q\n[0411_list]\n1=\n");
    EXPECT_EQ(count(kReapply), 1); // 0409 has nothing the load would change
    EXPECT_EQ(listRow(u"a|b|c|d|e|f").fields[kFieldHotkey], u"");
    EXPECT_EQ(listRow(u"\"a|b\"|1|2|3|4|5|6").name, u"a|b");
}

// A failure of Windows itself stops at that language, whose commit is undone, and says which
// languages were applied before it.
TEST_F(ConfigTest, ARefusedWriteStopsAtItsLanguage) {
    start();
    // A position the load puts right, so that it writes below en-US.
    windows.registry.put(Hive::CurrentUser, kEnProfile, u"0409:00000409", platform::dwordValue(2));
    const std::string enBefore = windows.registry.dump(Hive::CurrentUser, kEnProfile);
    bool refused = false;
    windows.registry.setWriteFault([&](const platform::RegWrite& w) {
        if (!refused && w.kind == platform::RegWrite::Kind::SetValue &&
            w.path.find(u"en-US") != ustring::npos) {
            refused = true;
            return true;
        }
        return false;
    });
    try {
        load("[0804_list]\n1=美式键盘|{00000000-0000-0000-0000-000000000000}|0804|"
             "{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|"
             "04090804\n"
             "[0409_list]\n1=美式键盘|{00000000-0000-0000-0000-000000000000}|0409|"
             "{34745C63-B2F0-4784-8B67-5E12C8701A31}|{00000000-0000-0000-0000-000000000000}|"
             "04090409|Ctrl+Shift+9\n");
        FAIL() << "no error";
    } catch (const QuillonError& e) {
        const ustring& message = e.message();
        EXPECT_EQ(message.rfind(
                      u"无法写入注册表值“0409:00000409”。\r注册表已恢复为更改前的状态。\r\r", 0),
                  0u)
            << toUtf8(message);
        EXPECT_NE(message.find(u"在语言 0409 处停止。已导入的语言：0804。"), ustring::npos)
            << toUtf8(message);
    }
    EXPECT_TRUE(refused);
    EXPECT_EQ(value(kZhProfile, u"0804:00000409"), "01,00,00,00");
    EXPECT_EQ(windows.registry.dump(Hive::CurrentUser, kEnProfile), enBefore);
    EXPECT_TRUE(form.Enabled);
    EXPECT_EQ(form.StatusBar1, u"就绪");
}

TEST_F(ConfigTest, ASavedFileLoadsBackToTheSameSetup) {
    start();
    form.savecfg(kPath);
    const std::string saved = file(kPath);
    windows.loadReg(kOtherSettings);
    form.Button_RefreshClick();
    form.loadcfg(kPath);
    windows.files.files.clear();
    form.savecfg(kPath);
    EXPECT_EQ(file(kPath), saved);
}

} // namespace
} // namespace quillon::testing
