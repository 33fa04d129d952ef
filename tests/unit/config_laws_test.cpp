// The laws of the check, the apply and the load on generated machines and files, and the
// faults that broke them as cases of their own.
#include "config_laws.h"

#include "drift/drift_commands.h"
#include "form_fixture.h"

#include <cstdlib>

namespace quillon::testing {
namespace {

using platform::Hive;

// A fixed list of seeds, a few seconds in all; the fuzz preset draws many more
// (fuzz/config_laws.cpp).
TEST(ConfigLaws, HoldOnGeneratedMachinesAndFiles) {
    // QUILLON_LAW_SEEDS draws more, to look for a counterexample by hand.
    const char* more = std::getenv("QUILLON_LAW_SEEDS");
    const std::uint32_t seeds = more ? static_cast<std::uint32_t>(std::atoi(more)) : 30;
    for (std::uint32_t seed = 1; seed <= seeds; ++seed) {
        const laws::Case c = laws::drawCase(seed, 5);
        const std::string broken = laws::breaks(c);
        if (!broken.empty()) {
            const laws::Case smallest = laws::shrink(c);
            ADD_FAILURE() << "seed " << seed << "; smallest case: " << laws::breaks(smallest);
            return;
        }
    }
}

// Each command as its own process over one machine, with what Windows does in between.
class ConfigLawsTest : public ::testing::Test {
protected:
    const ustring file = u"C:\\Users\\user\\setup.cfg";

    // A machine with these profiles (in TSF's order) and this registry on top of the base.
    void machine(const std::vector<platform::ScriptedProfile>& profiles, const std::string& reg) {
        // Where backups go, so that one made would show.
        SampleSetup::base()
            .inputMethods(profiles)
            .reg("Windows Registry Editor Version 5.00\n\n" + reg)
            .backupFolder()
            .build(windows);
        laws::writeSortOrder(windows);
        laws::settle(windows);
    }

    int run(const std::function<void(TForm1&)>& command) {
        const laws::Run r = laws::run(windows, command);
        EXPECT_EQ(r.error, "");
        writes = r.writes;
        starts = r.starts;
        laws::settle(windows);
        return r.exitCode;
    }
    void save() {
        run([&](TForm1& form) { form.savecfg(file); });
    }
    int check() {
        return run([&](TForm1& form) { checkcfgCommand(form, u"C:\\Users\\user\\setup.cfg"); });
    }
    void apply() {
        run([&](TForm1& form) { applycfgCommand(form, u"C:\\Users\\user\\setup.cfg"); });
    }
    void load() {
        run([&](TForm1& form) { form.loadcfg(file); });
    }
    void edit(const char16_t* section, const char16_t* key, const ustring& value) {
        IniDocument document = readIni(windows.files.files[file]).document;
        document.write(section, key, value);
        windows.files.files[file] = document.bytes();
    }
    ustring entry(const char16_t* section, const char16_t* key) {
        return readIni(windows.files.files[file]).document.entry(section, key)->value;
    }
    std::string value(const ustring& key, const ustring& name) {
        const auto v = windows.registry.queryValue(Hive::CurrentUser, key, name);
        if (!v) {
            return "<none>";
        }
        std::string out;
        for (const std::uint8_t b : v->data) {
            out += (out.empty() ? "" : ",") + std::to_string(b);
        }
        return out;
    }

    // The machine's own save: the check finds it equal, and neither an apply nor a load
    // changes anything.
    void ownSaveChangesNothing() {
        save();
        const std::string before = laws::state(windows);
        EXPECT_EQ(check(), 0);
        apply();
        EXPECT_EQ(writes, 0);
        EXPECT_EQ(starts, 0);
        const std::size_t files = windows.files.files.size();
        load();
        EXPECT_EQ(laws::state(windows), before);
        EXPECT_EQ(windows.files.files.size(), files); // not even a backup
        EXPECT_EQ(check(), 0);
    }

    platform::Substitute windows;
    int writes = 0;
    int starts = 0;
};

// The default is the second row: a load keeps the order and the default.
TEST_F(ConfigLawsTest, ADefaultThatIsNotTheFirstRow) {
    machine({{textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"拼音"},
             {textService(0x0804, kPinyinClsid, kWubiProfile, 2), u"五笔"}},
            "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
            "\"InputMethodOverride\"=\"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
            "{82590C13-F4DD-44F4-BA1D-8667246FDF8E}\"\n");
    ownSaveChangesNothing();
    EXPECT_EQ(entry(u"0804_other", u"DefaultIME"), u"2");
    // Another file's default in its place: the order stays as the file has it.
    edit(u"0804_other", u"DefaultIME", u"1");
    EXPECT_EQ(check(), 2);
    apply();
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(windows.tsf.profiles[0].description, u"拼音");
}

// Two switching keys that name the same key: judged as the load leaves them, once.
TEST_F(ConfigLawsTest, SwitchingKeysThatCollide) {
    machine({{textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"拼音"}},
            "[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n\"Layout Hotkey\"=\"3\"\n"
            "\"Language Hotkey\"=\"2\"\n\"Hotkey\"=\"2\"\n");
    save();
    for (const char16_t* language : {u"0804_switchkey", u"0409_switchkey"}) {
        edit(language, u"layout", u"Alt+Shift");
        edit(language, u"language", u"Alt+Shift");
    }
    EXPECT_EQ(check(), 2);
    apply();
    EXPECT_EQ(check(), 0);
    apply();
    EXPECT_EQ(writes, 0);
    // One language's layout key against the other's "disable": the load's giving way counts.
    save();
    edit(u"0804_switchkey", u"layout", u"Alt+Shift");
    edit(u"0409_switchkey", u"layout", u"disable");
    const int status = check();
    const std::string before = laws::state(windows);
    load();
    EXPECT_EQ(status == 0, laws::state(windows) == before);
}

// What no apply can remove is no difference: a sided modifier a text service does not keep, an
// input method this machine does not have, a row listed twice.
TEST_F(ConfigLawsTest, DifferencesNoApplyRemoves) {
    machine({{textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"拼音"},
             {textService(0x0804, kPinyinClsid, kWubiProfile, 2), u"五笔"}},
            "");
    laws::settle(windows);
    save();
    const ustring pinyin = entry(u"0804_list", u"1");
    edit(u"0804_list", u"1", pinyin + u"左Ctrl+5");
    edit(u"0804_list", u"3", pinyin);
    edit(u"0804_list", u"4",
         u"别处的输入法|{2C4D6E8F-1A3B-4C5D-9E0F-1A2B3C4D5E6F}|0804|"
         u"{34745C63-B2F0-4784-8B67-5E12C8701A31}|{2C4D6E8F-1A3B-4C5D-9E0F-1A2B3C4D5E70}|"
         u"00000000|");
    EXPECT_EQ(check(), 2); // the hotkey is new
    apply();
    EXPECT_EQ(check(), 3); // only what this machine cannot hold is left
    apply();
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(starts, 0);
    // The report says so.
    run([&](TForm1& form) { checkcfgCommand(form, u"setup.cfg,report.txt"); });
    EXPECT_EQ(windows.files.files[u"C:\\Users\\user\\report.txt"],
              "\xEF\xBB\xBF" + toUtf8(u"一致\r\n0804_list 4（别处的输入法）：本机没有安装\r\n"));
}

// Values the check calls equal are left as they are.
TEST_F(ConfigLawsTest, EqualValuesAreNotRewritten) {
    machine({{textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"拼音"}},
            "[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n\"Layout Hotkey\"=\"2\"\n"
            "\"Language Hotkey\"=\"1\"\n\"Hotkey\"=\"3\"\n\n"
            "[HKEY_CURRENT_USER\\Software\\Microsoft\\Input\\Settings]\n"
            "\"EnableExpressiveInputEmojiMultipleSelection\"=dword:00000002\n");
    ownSaveChangesNothing();
    EXPECT_EQ(value(kToggleKey, u"Hotkey"), "51,0,0,0"); // "3"
    // Without the emoji value (Windows: stays open) the save says 1 and the load writes none.
    windows.registry.deleteValue(Hive::CurrentUser, kInputSettings,
                                 u"EnableExpressiveInputEmojiMultipleSelection");
    ownSaveChangesNothing();
    EXPECT_EQ(value(kInputSettings, u"EnableExpressiveInputEmojiMultipleSelection"), "<none>");
}

// A hotkey entry whose GUIDs are in lower case is the input method's own: shown, saved, kept.
TEST_F(ConfigLawsTest, AHotkeyEntryInLowerCaseIsSeen) {
    machine({{textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"拼音"}},
            "[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001000]\n"
            "\"CLSID\"=\"{81d4e9c9-1d3b-41bc-9e6c-4b40bf79e35e}\"\n\"LangId\"=\"00000804\"\n"
            "\"Profile\"=\"{fa550b04-5ad7-411f-a5ac-ca038ec515d7}\"\n"
            "\"Modifiers\"=\"0000C002\"\n\"VirtualKey\"=\"00000035\"\n");
    ownSaveChangesNothing();
    EXPECT_EQ(entry(u"0804_list", u"1").substr(entry(u"0804_list", u"1").rfind(u'|')), u"|Ctrl+5");
    EXPECT_TRUE(windows.registry.keyExists(Hive::CurrentUser, kDirectSwitch + u"\\00001000"));
}

// "none" is no hotkey: loaded as the window's "无" writes it, three zero values, never Space.
TEST_F(ConfigLawsTest, NoneIsNoHotkey) {
    machine({{textService(0x0804, kPinyinClsid, kPinyinProfile, 2), u"拼音"},
             {layout(0x0804, 0xE0200804, 2), std::nullopt}},
            "[HKEY_CURRENT_USER\\Control Panel\\Input Method\\Hot Keys\\00000011]\n"
            "\"Key Modifiers\"=hex:02,c0,00,00\n\"Virtual Key\"=hex:20,00,00,00\n"
            "\"Target IME\"=hex:00,00,00,00\n\n"
            "[HKEY_CURRENT_USER\\Control Panel\\Input Method\\Hot Keys\\00000100]\n"
            "\"Key Modifiers\"=hex:06,c0,00,00\n\"Virtual Key\"=hex:71,00,00,00\n"
            "\"Target IME\"=hex:04,08,20,e0\n");
    save();
    EXPECT_EQ(entry(u"0804_switchkey", u"Ime/NonIme Toggle"), u"none"); // absent here
    edit(u"0804_switchkey", u"Symbol Toggle", u"none");
    const ustring imm = entry(u"0804_list", u"2");
    edit(u"0804_list", u"2", imm.substr(0, imm.rfind(u'|') + 1) + u"NONE");
    load();
    const ustring hotKeys = kImmHotKeys + u"\\";
    EXPECT_EQ(value(hotKeys + u"00000011", u"Key Modifiers"), "0,0,0,0");
    EXPECT_EQ(value(hotKeys + u"00000011", u"Virtual Key"), "0,0,0,0");
    EXPECT_EQ(value(hotKeys + u"00000011", u"Target IME"), "0,0,0,0");
    // The commit writes every toggle the window shows as "无" in that form.
    EXPECT_EQ(value(hotKeys + u"00000010", u"Virtual Key"), "0,0,0,0");
    // The IMM row has no hotkey left, and no entry names a key for it.
    EXPECT_FALSE(windows.registry.keyExists(Hive::CurrentUser, hotKeys + u"00000100"));
    EXPECT_EQ(check(), 0);
}

} // namespace
} // namespace quillon::testing
