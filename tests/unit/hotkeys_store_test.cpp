// The per-input-method hotkey store: reading the hotkeys into the enabled list, and writing the
// list and the general toggles back.
#include "app/form_values.h"
#include "core/error.h"
#include "hotkeys/hotkey_registry.h"
#include "hotkeys/hotkey_store.h"
#include "hotkeys_fixture.h"

#include <algorithm>

namespace quillon::testing {
namespace {

using platform::Hive;

class HotkeyStoreTest : public HotkeyTest {};

// GUIDs name the same text service in any letter case, as Windows compares them.
TEST_F(HotkeyStoreTest, TextServiceEntryMatchesGuidsInAnyCase) {
    reg(R"(
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"Modifiers"="0000C003"
"VirtualKey"="00000035"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001001]
"CLSID"="{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"Modifiers"="0000C002"
"VirtualKey"="00000041"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001002]
"CLSID"="{7b6c3d20-4f5a-4b8c-8d2e-3f4a5b6c7d8e}"
"Profile"="{7b6c3d21-4f5a-4b8c-8d2e-3f4a5b6c7d8e}"
"Modifiers"="0000C002"
"VirtualKey"="00000042"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\my own name]
"clsid"="{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"PROFILE"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"modifiers"="00008006"
"virtualkey"="00000070"
)");
    addTextService(kTipA, kTipAProfile); // the first entry
    addTextService(kTipB, kTipBProfile); // only the lower-case entry names it
    addTextService(kTipB, kTipAProfile); // the last entry, names in another case
    form.gethotkey();
    // The side byte of a text-service entry is never shown.
    EXPECT_EQ(hotkeys(), (std::vector<ustring>{u"Ctrl+左Alt+5", u"Ctrl+B", u"Ctrl+Shift+F1"}));
}

// The commit takes an entry as this language's by its "LangId": the reader shows exactly those,
// so a row never shows another language's hotkey for the same text service. An entry with a
// value in a wrong form shows nothing and keeps the others from nothing.
TEST_F(HotkeyStoreTest, EntriesOfAnotherLanguageOrInAWrongFormShowNoHotkey) {
    reg(R"(
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"LangId"="00000409"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"Modifiers"="0000C002"
"VirtualKey"="00000031"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001001]
"CLSID"="{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"LangId"="00000804"
"Profile"="{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"Modifiers"="0000C002"
"VirtualKey"="00000032"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001002]
"CLSID"=hex:00
"Profile"="{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"Modifiers"="0000C002"
"VirtualKey"="00000033"

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"="E0200804"
"Key Modifiers"=hex:02,80,00,00
"Virtual Key"=hex:41,00,00,00
)");
    addTextService(kTipA, kTipAProfile);
    addTextService(kTipB, kTipBProfile);
    form.gethotkey();
    EXPECT_EQ(hotkeys(), (std::vector<ustring>{u"", u"Ctrl+2"}));
}

TEST_F(HotkeyStoreTest, TextServiceValuesThatAreShortOrMissing) {
    struct Case {
        const char* modifiers; // nullptr: no value
        const char* virtualKey;
        const char16_t* text;
    };
    const Case cases[] = {
        {"\"C002\"", "\"41\"", u"Ctrl+A"},  {"\"4\"", "\"0041\"", u"Shift+A"},
        {"\"0000C002\"", "\"1\"", u"Ctrl"}, {"\"0000C002\"", nullptr, u"Ctrl"},
        {"\"0000C002\"", "\"\"", u"Ctrl"},  {nullptr, "\"00000041\"", u""},
        {"\"\"", "\"00000041\"", u""},
    };
    for (const Case& c : cases) {
        windows.registry.removeKey(Hive::CurrentUser, kDirectSwitch);
        std::string body = "[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\x]\n"
                           "\"CLSID\"=\"" +
                           toUtf8(kTipA) + "\"\n\"Profile\"=\"" + toUtf8(kTipAProfile) + "\"\n";
        if (c.modifiers) {
            body += std::string("\"Modifiers\"=") + c.modifiers + "\n";
        }
        if (c.virtualKey) {
            body += std::string("\"VirtualKey\"=") + c.virtualKey + "\n";
        }
        reg(body);
        form.ListView1.rows.clear();
        addTextService(kTipA, kTipAProfile);
        form.gethotkey();
        EXPECT_EQ(hotkeys().front(), c.text) << body;
    }
}

TEST_F(HotkeyStoreTest, ImmEntriesComeLastAndShowTheSide) {
    reg(R"(
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"Modifiers"="0000C002"
"VirtualKey"="00000031"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001001]
"CLSID"="{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"Profile"="{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"Modifiers"="0000C002"
"VirtualKey"="00000032"

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:02,80,00,00
"Virtual Key"=hex:41,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000101]
"Target IME"=hex:04,08,09,04
"Key Modifiers"=hex:04,40,00,00,ff,ff
"Virtual Key"=hex:5b

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\000001FF]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:36,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000102]
"Target IME"=hex:00,00,00,00
"Key Modifiers"=hex:03,c0,00,00
"Virtual Key"=hex:35,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000200]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:37,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00
)");
    addTextService(kTipA, kTipAProfile);
    addLayout(u"E0200804");
    addLayout(u"04090804");
    addLayout(u"E0210804");
    addTextService(kTipB, kTipBProfile);
    form.gethotkey();
    // 102 targets layout 0, which is every text service's: it replaces their entries' texts.
    // 1FF has no target and so names nothing; 200 and the toggle 010 are out of range.
    EXPECT_EQ(hotkeys(), (std::vector<ustring>{u"Ctrl+Alt+5", u"左Ctrl+A", u"右Shift+左WINDOW", u"",
                                               u"Ctrl+Alt+5"}));
}

TEST_F(HotkeyStoreTest, ValuesOfAnotherTypeSpoilOnlyTheirEntry) {
    const char* const bodies[] = {
        R"([HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"Modifiers"=dword:0000c002
)",
        R"([HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"="E0200804"
)",
        R"([HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=dword:0000c002
)",
    };
    for (const char* body : bodies) {
        windows.registry.removeKey(Hive::CurrentUser, kDirectSwitch);
        windows.registry.removeKey(Hive::CurrentUser, kImmHotKeys);
        reg(body);
        form.ListView1.rows.clear();
        addTextService(kTipA, kTipAProfile);
        addLayout(u"E0200804");
        EXPECT_NO_THROW(form.gethotkey()) << body;
        EXPECT_EQ(hotkeys(), (std::vector<ustring>{u"", u""})) << body;
    }
}

TEST_F(HotkeyStoreTest, TextServiceEntriesTakeTheFirstFreeNumbers) {
    reg(R"(
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{11111111-1111-1111-1111-111111111111}"
"LangId"="00000409"
"Profile"="{22222222-2222-2222-2222-222222222222}"
"Modifiers"="0000C002"
"virtualkey"="00000041"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001002]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"LangId"="804"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\no language]
"CLSID"="{33333333-3333-3333-3333-333333333333}"
"LangId"=""

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\nothing at all]
)");
    addTextService(kTipA, kTipAProfile, u"Ctrl+左Alt+5");
    addLayout(u"04090804");
    addTextService(kTipB, kTipBProfile, u"左Ctrl+Shift+NUMPAD +");
    form.puthotkey();
    // 1000 is another language's and stays; 1002 is this input method's own and is rewritten
    // where it stands; the entries naming no language go, and the other input method takes
    // the first free number.
    EXPECT_EQ(exported(kDirectSwitch),
              R"([HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys]

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{11111111-1111-1111-1111-111111111111}"
"LangId"="00000409"
"Profile"="{22222222-2222-2222-2222-222222222222}"
"Modifiers"="0000C002"
"virtualkey"="00000041"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001001]
"CLSID"="{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"LangId"="00000804"
"Profile"="{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"
"PreservedKeyId"="{A0000002-1111-4222-8333-444455556666}"
"Modifiers"="00008006"
"virtualkey"="0000006B"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001002]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"LangId"="00000804"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"PreservedKeyId"="{A0000001-1111-4222-8333-444455556666}"
"Modifiers"="0000C003"
"virtualkey"="00000035"
)");
    // The two entries read back, without their sides.
    form.ListView1.rows[0].fields[kFieldHotkey].clear();
    form.ListView1.rows[2].fields[kFieldHotkey].clear();
    form.gethotkey();
    EXPECT_EQ(hotkeys(), (std::vector<ustring>{u"Ctrl+左Alt+5", u"", u"Ctrl+Shift+NUMPAD +"}));
}

TEST_F(HotkeyStoreTest, NoOtherEntriesGiveTheFirstNumbers) {
    addTextService(kTipA, kTipAProfile, u"Ctrl+1");
    addTextService(kTipB, kTipBProfile, u"Ctrl+2");
    form.puthotkey();
    StringList names = windows.registry.subKeyNames(Hive::CurrentUser, kDirectSwitch);
    EXPECT_EQ(names, (StringList{u"00001000", u"00001001"}));
}

// Numbers other languages hold are skipped wherever they lie, numbers the language's own entries
// free are used again, and none is handed out twice.
TEST_F(HotkeyStoreTest, TextServiceNumbersSkipThoseOfOtherLanguages) {
    std::string body;
    for (const char* entry : {"00001000", "00001002", "00001003", "00001005"}) {
        body += std::string("[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\") +
                entry + "]\n\"LangId\"=\"00000409\"\n\n";
    }
    body += "[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001004]\n"
            "\"LangId\"=\"00000804\"\n";
    reg(body);
    addTextService(kTipA, kTipAProfile, u"Ctrl+1");
    addTextService(kTipB, kTipBProfile, u"Ctrl+2");
    addTextService(kTipB, kTipAProfile, u"Ctrl+3");
    addTextService(kTipA, kTipBProfile, u"Ctrl+4");
    form.puthotkey();
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kDirectSwitch),
              (StringList{u"00001000", u"00001001", u"00001002", u"00001003", u"00001004",
                          u"00001005", u"00001006", u"00001007"}));
    platform::TRegistry check(windows.registry);
    const std::pair<const char16_t*, const char16_t*> written[] = {{u"00001001", u"00000031"},
                                                                   {u"00001004", u"00000032"},
                                                                   {u"00001006", u"00000033"},
                                                                   {u"00001007", u"00000034"}};
    for (const auto& [name, key] : written) {
        ASSERT_TRUE(check.OpenKey(u"\\" + kDirectSwitch + u"\\" + name, false));
        EXPECT_EQ(check.ReadString(u"virtualkey"), key) << toUtf8(name);
    }
}

// A text-service entry holds texts, but one that would not read back as the hotkey it stands
// for would be a hotkey lost: such a text is refused like an IMM input method's.
TEST_F(HotkeyStoreTest, TextServiceTextsMustConvert) {
    addTextService(kTipA, kTipAProfile, u"无");
    form.puthotkey();
    platform::TRegistry reg(windows.registry);
    ASSERT_TRUE(reg.OpenKey(u"\\" + kDirectSwitch + u"\\00001000", false));
    EXPECT_EQ(reg.ReadString(u"Modifiers"), u"000000");
    EXPECT_EQ(reg.ReadString(u"virtualkey"), u"00000020");

    const std::string before = wholeUser();
    for (const char16_t* text : {u"Alt+a", u"Ctrl+NUM+", u"Ctrl"}) {
        form.ListView1.rows.front().fields[kFieldHotkey] = text;
        EXPECT_THROW(form.puthotkey(), QuillonError) << toUtf8(text);
        EXPECT_EQ(wholeUser(), before);
    }
}

// The two Windows keys and the application key, which the dialog offers IMM input methods only,
// are written and read back for a text service too.
TEST_F(HotkeyStoreTest, TextServiceHotkeysOnTheLastThreeKeys) {
    addTextService(kTipA, kTipAProfile, u"Ctrl+左WINDOW");
    addTextService(kTipB, kTipBProfile, u"Shift+右WINDOW");
    addTextService(kTipB, kTipAProfile, u"左Alt+APPS");
    form.puthotkey();
    const std::pair<const char16_t*, const char16_t*> stored[] = {
        {u"0000C002", u"0000005B"}, {u"0000C004", u"0000005C"}, {u"0000C001", u"0000005D"}};
    for (std::size_t i = 0; i < std::size(stored); ++i) {
        platform::TRegistry reg(windows.registry);
        ASSERT_TRUE(reg.OpenKey(
            u"\\" + kDirectSwitch + u"\\0000" + fromUtf8(std::to_string(1000 + i)), false));
        EXPECT_EQ(reg.ReadString(u"Modifiers"), stored[i].first);
        EXPECT_EQ(reg.ReadString(u"virtualkey"), stored[i].second);
    }
    for (auto& row : form.ListView1.rows) {
        row.fields[kFieldHotkey].clear();
    }
    form.gethotkey();
    EXPECT_EQ(hotkeys(),
              (std::vector<ustring>{u"Ctrl+左WINDOW", u"Shift+右WINDOW", u"左Alt+APPS"}));
}

TEST_F(HotkeyStoreTest, ImmEntriesTakeTheFirstFreeNumbersAfterTheRemoval) {
    reg(R"(
[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,09,04
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:41,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000101]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:42,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000103]
"Target IME"=hex:09,04,09,04
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:43,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000104]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:44,00,00,00
)");
    form.mylangid = 0x0409; // no toggles
    addLayout(u"E0200409", u"右Ctrl+左WINDOW");
    addLayout(u"04090409", u"无");
    addLayout(u"E0210409", u"Ctrl+Alt+F12");
    form.puthotkey();
    // Only the language's own entry (103) goes; one without a target belongs to nobody.
    EXPECT_EQ(exported(kImmHotKeys), R"([HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys]

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,09,04
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:41,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000101]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:42,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000102]
"Target IME"=hex:09,04,20,e0
"Key Modifiers"=hex:02,40,00,00
"Virtual Key"=hex:5b,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000103]
"Target IME"=hex:09,04,09,04
"Key Modifiers"=hex:00,00,00,00
"Virtual Key"=hex:20,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000104]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:44,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000105]
"Target IME"=hex:09,04,21,e0
"Key Modifiers"=hex:03,c0,00,00
"Virtual Key"=hex:7b,00,00,00
)");
    // What was written reads back as it was given, except that "无" is no hotkey.
    for (auto& row : form.ListView1.rows) {
        row.fields[kFieldHotkey].clear();
    }
    form.gethotkey();
    EXPECT_EQ(hotkeys(), (std::vector<ustring>{u"右Ctrl+左WINDOW", u"", u"Ctrl+Alt+F12"}));
}

// An IMM entry written again under its own number ends holding only what it is given, as one
// made anew would; one that holds exactly that already is not written at all.
TEST_F(HotkeyStoreTest, ImmEntryWrittenAgainHoldsOnlyItsValues) {
    reg(R"(
[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:09,04,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:41,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000101]
"Target IME"=hex:09,04,21,e0
"key modifiers"=hex:02,c0,00,00
"Extra"=dword:00000001

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000101\Below]
)");
    form.mylangid = 0x0409; // no toggles
    addLayout(u"E0200409", u"Ctrl+A");
    addLayout(u"E0210409", u"Ctrl+B");
    form.puthotkey();
    const std::string written = R"([HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys]

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:09,04,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:41,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000101]
"Target IME"=hex:09,04,21,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:42,00,00,00
)";
    EXPECT_EQ(exported(kImmHotKeys), written);
    const int writes = windows.registry.writeCount();
    form.puthotkey();
    EXPECT_EQ(windows.registry.writeCount(), writes);
    EXPECT_EQ(exported(kImmHotKeys), written);
}

// Only names of eight hexadecimal digits from 100 to 1FF are entries, in any letter case; of two
// entries for one layout the higher number counts; another language's entry keeps its number.
TEST_F(HotkeyStoreTest, ImmRangeWithOtherNamesAndOtherLanguages) {
    reg(R"(
[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000105]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:41,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\000001a0]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:42,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:09,04,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:43,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\101]
"Target IME"=hex:04,08,21,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:44,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\0000010G]
"Target IME"=hex:04,08,21,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:45,00,00,00
)");
    form.Button_SW1.caption = u"无";
    form.Button_SW2.caption = u"无";
    form.Button_SW3.caption = u"无";
    addLayout(u"E0200804");
    addLayout(u"E0210804");
    form.gethotkey();
    EXPECT_EQ(hotkeys(), (std::vector<ustring>{u"Ctrl+B", u""}));

    form.ListView1.rows[0].fields[kFieldHotkey] = u"Ctrl+1";
    form.ListView1.rows[1].fields[kFieldHotkey] = u"Ctrl+2";
    form.puthotkey();
    // 105 and 1a0 were the language's and go; 100 is another's; 101 and 10G are no entries.
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kImmHotKeys),
              (StringList{u"00000010", u"00000011", u"00000012", u"00000100", u"00000101",
                          u"00000102", u"0000010G", u"101"}));
    platform::TRegistry check(windows.registry);
    ASSERT_TRUE(check.OpenKey(u"\\" + kImmHotKeys + u"\\00000102", false));
    EXPECT_EQ(hotkeys::readBinary32(check, u"Target IME"), 0xE0210804u);
    EXPECT_EQ(hotkeys::readBinary32(check, u"Virtual Key"), 0x32u);
}

// Every IMM entry number taken by other languages: the hotkey cannot be stored, which is said
// before anything changes; a number the language's own entry frees is used.
TEST_F(HotkeyStoreTest, NoFreeImmNumberIsRefusedBeforeAnyChange) {
    for (std::uint32_t n = 0x100; n <= 0x1FF; ++n) {
        windows.registry.put(Hive::CurrentUser, kImmHotKeys + u"\\" + hexText(n, 8), u"Target IME",
                             {platform::kRegBinary, {0x04, 0x08, 0x20, 0xE0}});
    }
    form.mylangid = 0x0409;
    addLayout(u"E0200409", u"Ctrl+A");
    const std::string before = wholeUser();
    try {
        form.puthotkey();
        ADD_FAILURE() << "no error";
    } catch (const QuillonError& e) {
        EXPECT_EQ(e.message(), u"输入法“layout E0200409”的热键“Ctrl+A”无法保存：输入法热键的编号 "
                               u"00000100 至 000001FF 已全部被占用。");
    }
    EXPECT_EQ(wholeUser(), before);

    windows.registry.put(Hive::CurrentUser, kImmHotKeys + u"\\000001A0", u"Target IME",
                         {platform::kRegBinary, {0x09, 0x04, 0x21, 0xE0}});
    form.puthotkey();
    EXPECT_EQ(exported(kImmHotKeys + u"\\000001A0"),
              R"([HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\000001A0]
"Target IME"=hex:09,04,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:41,00,00,00
)");
}

TEST_F(HotkeyStoreTest, TogglesOfTheLanguagesGroup) {
    struct Case {
        std::int32_t langid;
        std::vector<const char16_t*> subkeys;
    };
    const Case cases[] = {
        {0x0804, {u"00000010", u"00000011", u"00000012"}},
        {0x0404, {u"00000070", u"00000071", u"00000072"}},
        {0x0412, {u"00000050", u"00000051", u"00000052"}},
        {0x0411, {u"00000030"}},
        {0x0409, {}},
    };
    for (const Case& c : cases) {
        windows.registry.removeKey(Hive::CurrentUser, kImmHotKeys);
        form.mylangid = c.langid;
        form.Button_SW1.caption = u"Ctrl+SPACE";
        form.Button_SW2.caption = u"无";
        form.Button_SW3.caption = u"左Shift+.";
        form.puthotkey();
        const StringList names = windows.registry.subKeyNames(Hive::CurrentUser, kImmHotKeys);
        EXPECT_EQ(names, StringList(c.subkeys.begin(), c.subkeys.end())) << c.langid;
    }
    form.mylangid = 0x0804;
    form.Button_SW2.caption = u"";
    form.puthotkey();
    EXPECT_EQ(exported(kImmHotKeys), R"([HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys]

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000011]
"Key Modifiers"=hex:00,00,00,00
"Virtual Key"=hex:00,00,00,00
"Target IME"=hex:00,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000012]
"Key Modifiers"=hex:04,80,00,00
"Virtual Key"=hex:be,00,00,00
"Target IME"=hex:00,00,00,00
)");
}

TEST_F(HotkeyStoreTest, NoneCaptionIsAHotkeyOfSpaceWithoutModifiers) {
    form.mylangid = 0x0411;
    form.Button_SW1.caption = u"NONE";
    form.puthotkey();
    EXPECT_EQ(exported(kImmHotKeys + u"\\00000030"),
              R"([HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000030]
"Key Modifiers"=hex:00,00,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00
)");
    form.getSWkey();
    EXPECT_EQ(form.Button_SW1.caption, u"无");
}

TEST_F(HotkeyStoreTest, CommitWithoutHotkeysStillRemovesTheLanguagesEntries) {
    reg(R"(
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"LangId"="00000804"

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001001]
"CLSID"="{11111111-1111-1111-1111-111111111111}"
"LangId"="00000409"

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,20,e0

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000101]
"Target IME"=hex:09,04,09,04
)");
    form.mylangid = 0x0409 + 0x0400; // 0809 has no toggles
    addTextService(kTipA, kTipAProfile);
    form.puthotkey();
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kDirectSwitch),
              (StringList{u"00001000", u"00001001"}));
    form.mylangid = 0x0804;
    form.Button_SW1.caption = u"无";
    form.Button_SW2.caption = u"无";
    form.Button_SW3.caption = u"无";
    form.puthotkey();
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kDirectSwitch),
              (StringList{u"00001001"}));
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kImmHotKeys),
              (StringList{u"00000010", u"00000011", u"00000012", u"00000101"}));
}

TEST_F(HotkeyStoreTest, TextServiceKeyIsCreatedOnlyForSomethingToWrite) {
    form.mylangid = 0x0409;
    addTextService(kTipA, kTipAProfile, u"");
    form.puthotkey();
    EXPECT_FALSE(windows.registry.keyExists(Hive::CurrentUser, kDirectSwitch));
    form.ListView1.rows.front().fields[kFieldHotkey] = u"Shift+F5";
    form.puthotkey();
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kDirectSwitch),
              (StringList{u"00001000"}));
}

// Whatever cannot be converted stops the commit before anything of any language is removed.
TEST_F(HotkeyStoreTest, UnconvertibleTextStopsBeforeAnythingIsRemoved) {
    const char* const existing = R"(
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"LangId"="00000804"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"Modifiers"="0000C002"
"virtualkey"="00000031"

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:32,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00
)";
    struct Case {
        const char16_t* immHotkey;
        const char16_t* toggle;
        const char16_t* immHkl;
        const char* extra; // more registry
        const char16_t* message;
    };
    const Case cases[] = {
        {u"Alt+A", u"Ctrl+SPACE", u"E0200804", "",
         u"输入法“layout E0200804”的热键“Alt+A”无法转换为按键代码：“ALT”不是可识别的修饰键。"},
        {u"Ctrl+NUMPAD+", u"Ctrl+SPACE", u"E0200804", "",
         u"输入法“layout "
         u"E0200804”的热键“Ctrl+NUMPAD+”无法转换为按键代码：“NUMPAD+”不是可识别的按键。"},
        {u"Ctrl+A", u"Ctrl", u"E0200804", "",
         u"“打开/关闭输入法”的热键“Ctrl”无法转换为按键代码：“Ctrl”不是可识别的按键。"},
        {u"Ctrl+A", u"右Alt+SPACE", u"E0200804", "",
         u"“打开/关闭输入法”的热键“右Alt+SPACE”无法转换为按键代码：“右ALT”不是可识别的修饰键。"},
        {u"Ctrl+A", u"Ctrl+SPACE", u"E020080G", "",
         u"输入法“layout E020080G”的键盘布局代码“E020080G”不是十六进制数，无法写入热键。"},
        {u"Ctrl+A", u"Ctrl+SPACE", u"E0200804",
         "[HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001005]\n"
         "\"LangId\"=\"0x804\"\n",
         u"注册表项“HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\00001005”"
         u"的值“LangId”（“0x804”）不是十六进制数，无法写入热键。"},
    };
    for (const Case& c : cases) {
        windows.registry.removeKey(Hive::CurrentUser, kDirectSwitch);
        windows.registry.removeKey(Hive::CurrentUser, kImmHotKeys);
        reg(existing);
        reg(c.extra);
        form.ListView1.rows.clear();
        addTextService(kTipA, kTipAProfile, u"Ctrl+1");
        addLayout(c.immHkl, c.immHotkey);
        form.Button_SW1.caption = c.toggle;
        form.Button_SW2.caption = u"无";
        form.Button_SW3.caption = u"无";
        const std::string before = wholeUser();
        const int writes = windows.registry.writeCount();
        try {
            form.puthotkey();
            ADD_FAILURE() << "no error for " << toUtf8(c.message);
        } catch (const QuillonError& e) {
            EXPECT_EQ(e.message(), c.message);
        }
        EXPECT_EQ(windows.registry.writeCount(), writes);
        EXPECT_EQ(wholeUser(), before);
    }
}

// What the tables cannot name is shown as far as they can (a key such as F13 not at all), and
// written back as it was read while its text is unchanged; a changed text is converted.
TEST_F(HotkeyStoreTest, UnchangedHotkeysAreWrittenBackAsRead) {
    reg(R"(
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"LangId"="00000804"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"Modifiers"="0000C002"
"VirtualKey"="0000007C"

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:07,c0,00,00
"Virtual Key"=hex:7c,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000101]
"Target IME"=hex:04,08,21,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:7d,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:7e,00,00,00
"Target IME"=hex:00,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000011]
"Key Modifiers"=hex:08,00,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000012]
"Key Modifiers"=hex:03,80,00,00
"Virtual Key"=hex:41,00,00,00
"Target IME"=hex:00,00,00,00
)");
    addTextService(kTipA, kTipAProfile);
    addLayout(u"E0200804");
    addLayout(u"E0210804");
    form.gethotkey();
    form.getSWkey();
    EXPECT_EQ(hotkeys(), (std::vector<ustring>{u"Ctrl", u"Ctrl+左Alt+Shift", u"Ctrl"}));
    EXPECT_EQ(captions(), (std::vector<ustring>{u"Ctrl+~", u"无", u"左Ctrl+Alt+A"}));
    // The order changes; the hotkeys stay with their input methods.
    std::swap(form.ListView1.rows[0], form.ListView1.rows[2]);
    std::vector<std::string> toggles;
    for (const char16_t* toggle : {u"\\00000010", u"\\00000011", u"\\00000012"}) {
        toggles.push_back(exported(kImmHotKeys + toggle));
    }
    form.puthotkey();
    platform::TRegistry entry(windows.registry);
    ASSERT_TRUE(entry.OpenKey(u"\\" + kDirectSwitch + u"\\00001000", false));
    EXPECT_EQ(entry.ReadString(u"Modifiers"), u"0000C002");
    EXPECT_EQ(entry.ReadString(u"virtualkey"), u"0000007C");
    EXPECT_EQ(exported(kImmHotKeys + u"\\00000100"),
              R"([HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,21,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:7d,00,00,00
)");
    EXPECT_EQ(exported(kImmHotKeys + u"\\00000101"),
              R"([HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000101]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:07,c0,00,00
"Virtual Key"=hex:7c,00,00,00
)");
    EXPECT_EQ(exported(kImmHotKeys + u"\\00000010"), toggles[0]);
    EXPECT_EQ(exported(kImmHotKeys + u"\\00000011"), toggles[1]);
    EXPECT_EQ(exported(kImmHotKeys + u"\\00000012"), toggles[2]);

    // Changed texts are converted; one that does not convert is refused.
    form.ListView1.rows[0].fields[kFieldHotkey] = u"Ctrl+A";
    form.Button_SW1.caption = u"Ctrl+SPACE";
    form.puthotkey();
    platform::TRegistry changed(windows.registry);
    ASSERT_TRUE(changed.OpenKey(u"\\" + kImmHotKeys + u"\\00000100", false));
    std::uint8_t bytes[4] = {};
    changed.ReadBinaryData(u"Virtual Key", bytes, 4);
    EXPECT_EQ(bytes[0], 0x41);
    ASSERT_TRUE(changed.OpenKey(u"\\" + kImmHotKeys + u"\\00000010", false));
    changed.ReadBinaryData(u"Virtual Key", bytes, 4);
    EXPECT_EQ(bytes[0], 0x20);
    form.ListView1.rows[2].fields[kFieldHotkey] = u"Ctrl+Shift";
    EXPECT_THROW(form.puthotkey(), QuillonError);
}

// An entry's key that cannot be made ends the write with an error naming it, whichever kind
// of entry it is, so that the commit puts everything back.
TEST_F(HotkeyStoreTest, EntryThatCannotBeMadeEndsTheWrite) {
    const std::pair<bool, const char16_t*> cases[] = {
        {true,
         u"无法创建注册表项“HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\DirectSwitchHotkeys\\"
         u"00001000”。"},
        {false, u"无法创建注册表项“HKEY_CURRENT_USER\\Control Panel\\Input Method\\Hot "
                u"Keys\\00000100”。"},
    };
    for (const auto& [textService, message] : cases) {
        form.ListView1.rows.clear();
        if (textService) {
            addTextService(kTipA, kTipAProfile, u"Ctrl+1");
        } else {
            addLayout(u"E0200804", u"Ctrl+1");
        }
        form.mylangid = 0x0409; // no toggles
        windows.registry.setWriteFault([](const platform::RegWrite& w) {
            return w.kind == platform::RegWrite::Kind::CreateKey &&
                   (w.path.find(u"00001000") != ustring::npos ||
                    w.path.find(u"00000100") != ustring::npos);
        });
        try {
            form.puthotkey();
            ADD_FAILURE() << "no error";
        } catch (const QuillonError& e) {
            EXPECT_EQ(e.message(), message);
        }
        windows.registry.setWriteFault(nullptr);
    }
}

// A text service's entry is rewritten where it stands, so a changed hotkey needs no new key:
// with keys refused below the text-service key the write still succeeds and the entry keeps
// its name, its PreservedKeyId and the values Quillon does not own; a second row of the same
// input method needs a key of its own and ends the write with the entry still in place.
TEST_F(HotkeyStoreTest, TextServiceEntryIsRewrittenWhereItStands) {
    reg(R"(
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001007]
"CLSID"="{6a5b2c10-3e4f-4a7b-9c1d-2e3f4a5b6c7d}"
"LangId"="804"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"PreservedKeyId"="{12345678-1234-1234-1234-123456789ABC}"
"Modifiers"="0000C002"
"virtualkey"="00000031"
"Kept"="x"
)");
    addTextService(kTipA, kTipAProfile, u"Ctrl+Shift+2");
    windows.registry.setWriteFault([](const platform::RegWrite& w) {
        return w.kind == platform::RegWrite::Kind::CreateKey &&
               w.path.find(u"DirectSwitchHotkeys\\") != ustring::npos;
    });
    form.puthotkey();
    EXPECT_EQ(exported(kDirectSwitch),
              R"([HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys]

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001007]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"LangId"="00000804"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"PreservedKeyId"="{12345678-1234-1234-1234-123456789ABC}"
"Modifiers"="0000C006"
"virtualkey"="00000032"
"Kept"="x"
)");

    addTextService(kTipA, kTipAProfile, u"Ctrl+3");
    const std::string before = exported(kDirectSwitch);
    EXPECT_THROW(form.puthotkey(), QuillonError);
    windows.registry.setWriteFault(nullptr);
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kDirectSwitch),
              StringList{u"00001007"});
    EXPECT_EQ(exported(kDirectSwitch), before);
}

TEST_F(HotkeyStoreTest, RemovalThatFailsEndsTheWrite) {
    reg(R"(
[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,20,e0
)");
    // The layout's hotkey was cleared: its entry goes.
    addLayout(u"E0200804");
    form.Button_SW1.caption = u"无";
    windows.registry.setWriteFault(
        [](const platform::RegWrite& w) { return w.kind == platform::RegWrite::Kind::DeleteKey; });
    try {
        form.puthotkey();
        ADD_FAILURE();
    } catch (const QuillonError& e) {
        EXPECT_EQ(e.message(), u"无法删除注册表项“HKEY_CURRENT_USER\\Control Panel\\Input "
                               u"Method\\Hot Keys\\00000100”。");
    }
    EXPECT_EQ(windows.registry.subKeyNames(Hive::CurrentUser, kImmHotKeys),
              StringList{u"00000100"});
}

TEST_F(HotkeyStoreTest, PlanTouchesNothingAndWritesStayInsideThePlannedKeys) {
    reg(R"(
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"LangId"="00000804"

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,20,e0
)");
    addTextService(kTipA, kTipAProfile, u"Ctrl+1");
    addLayout(u"E0200804", u"Ctrl+2");
    form.Button_SW1.caption = u"Ctrl+SPACE";
    const int writes = windows.registry.writeCount();
    platform::KeyReads reads(windows.registry, platform::Hive::CurrentUser);
    const HotkeyPlan plan = planHotkeys(hotkeysShown(form), reads);
    EXPECT_EQ(windows.registry.writeCount(), writes);
    EXPECT_TRUE(windows.calls.empty());
    EXPECT_EQ(plan.immEntriesToRemove, StringList{u"00000100"});
    EXPECT_EQ(plan.textServiceEntriesToRemove, StringList{u"00001000"});
    EXPECT_EQ(plan.toggles.size(), 3u);
    EXPECT_EQ(plan.entries.size(), 2u);

    // The removed entries, the toggles and the new entries, whose names are chosen now: the
    // removed ones' numbers are free again.
    const std::vector<ustring> touched = plan.keysTouched();
    EXPECT_EQ(touched,
              (std::vector<ustring>{kImmHotKeys + u"\\00000100", kImmHotKeys + u"\\00000010",
                                    kImmHotKeys + u"\\00000011", kImmHotKeys + u"\\00000012",
                                    kDirectSwitch + u"\\00001000", kDirectSwitch + u"\\00001000",
                                    kImmHotKeys + u"\\00000100"}));
    std::vector<ustring> outside;
    windows.registry.setWriteFault([&](const platform::RegWrite& w) {
        const bool inside = std::any_of(touched.begin(), touched.end(), [&](const ustring& key) {
            return w.hive == Hive::CurrentUser && w.path.compare(0, key.size(), key) == 0 &&
                   (w.path.size() == key.size() || w.path[key.size()] == u'\\');
        });
        if (!inside) {
            outside.push_back(w.path);
        }
        return false;
    });
    writeHotkeys(plan, reads, windows.system);
    EXPECT_TRUE(outside.empty());
    EXPECT_GT(windows.registry.writeCount(), writes);
}

// The hotkey part of the test bed's sample setup, read as the window shows it and written back
// by a commit.
const char* const kSample = R"(
[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"LangId"="00000804"
"Profile"="{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"
"PreservedKeyId"="{3F2E1D0C-5B4A-4978-8695-A4B3C2D1E0F9}"
"Modifiers"="0000C002"
"virtualkey"="00000031"

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000100]
"Target IME"=hex:04,08,20,e0
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:32,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000011]
"Key Modifiers"=hex:01,c0,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000012]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:be,00,00,00
"Target IME"=hex:00,00,00,00

[HKEY_CURRENT_USER\Keyboard Layout\Toggle]
"Hotkey"="1"
"Language Hotkey"="1"
"Layout Hotkey"="2"
)";

TEST_F(HotkeyStoreTest, SampleSetupShowsAndWritesBack) {
    for (const bool immEnabled : {false, true}) {
        windows.registry.removeKey(Hive::CurrentUser, kDirectSwitch);
        windows.registry.removeKey(Hive::CurrentUser, kImmHotKeys);
        reg(kSample);
        form.ListView1.rows.clear();
        addTextService(kTipA, kTipAProfile);
        addLayout(u"04090804");
        if (immEnabled) {
            addLayout(u"E0200804");
        }
        form.gethotkey();
        form.getswitchkey();
        form.getSWkey();
        const std::vector<ustring> shown = immEnabled
                                               ? std::vector<ustring>{u"Ctrl+1", u"", u"Ctrl+2"}
                                               : std::vector<ustring>{u"Ctrl+1", u""};
        EXPECT_EQ(hotkeys(), shown);
        EXPECT_EQ(captions(), (std::vector<ustring>{u"Ctrl+SPACE", u"左Alt+SPACE", u"Ctrl+."}));
        EXPECT_EQ(form.ComboBox1.itemIndex, 1); // Ctrl+Shift
        EXPECT_EQ(form.ComboBox2.itemIndex, 0); // Alt+Shift
        EXPECT_EQ(form.ComboBox3.itemIndex, 0); // Caps Lock

        std::string textServices = exported(kDirectSwitch);
        std::string imm = exported(kImmHotKeys);
        form.puthotkey();

        // Byte for byte as before: the entry is rewritten where it stands and keeps the
        // PreservedKeyId the text service knows it by.
        EXPECT_EQ(exported(kDirectSwitch), textServices);
        // A commit keeps exactly the enabled rows' hotkeys: the IMM input method's entry
        // survives only while it is enabled.
        if (!immEnabled) {
            const std::size_t from =
                imm.find("[HKEY_CURRENT_USER\\Control Panel\\Input Method\\Hot Keys\\00000100]");
            const std::size_t blank = imm.find("\n\n", from);
            imm.erase(from - 1, (blank == std::string::npos ? imm.size() : blank + 1) - (from - 1));
        }
        EXPECT_EQ(exported(kImmHotKeys), imm) << immEnabled;
    }
}

} // namespace
} // namespace quillon::testing
