// The general switching hotkeys: the layout and language keys, the Caps Lock release key and
// the IME toggles shown on the three buttons.
#include "core/error.h"
#include "form_fixture.h"
#include "hotkeys_fixture.h"

namespace quillon::testing {
namespace {

using platform::Hive;

const char* const kLangToggle = "SystemParametersInfo(0x5B, 0, 0x2)";

class SwitchKeysTest : public HotkeyTest {
protected:
    StringList toggleValues() {
        platform::TRegistry reg(windows.registry);
        if (!reg.OpenKey(u"\\" + kToggleKey, false)) {
            return {};
        }
        return {reg.ReadString(u"Layout Hotkey"), reg.ReadString(u"Language Hotkey"),
                reg.ReadString(u"Hotkey")};
    }
};

TEST_F(SwitchKeysTest, ReadsDigitsWithDefaults) {
    struct Case {
        const char* values; // lines of the Toggle key; nullptr: no key at all
        int layout;
        int language;
    };
    const Case cases[] = {
        {nullptr, 1, 0},
        {"", 1, 0},
        {"\"Layout Hotkey\"=\"3\"\n", 2, 0},
        {"\"Language Hotkey\"=\"4\"\n", 1, 3},
        {"\"Layout Hotkey\"=\"1\"\n\"Language Hotkey\"=\"2\"\n\"Hotkey\"=\"3\"\n", 0, 1},
        {"\"Layout Hotkey\"=\"0\"\n\"Language Hotkey\"=\"5\"\n", -1, -1},
        {"\"Layout Hotkey\"=\" +4\"\n\"Language Hotkey\"=\"$3\"\n", 3, 2},
    };
    for (const Case& c : cases) {
        windows.registry.removeKey(Hive::CurrentUser, kToggleKey);
        if (c.values) {
            reg(std::string("[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n") + c.values);
        }
        form.ComboBox1.itemIndex = 2;
        form.ComboBox2.itemIndex = 2;
        form.getswitchkey();
        EXPECT_EQ(form.ComboBox1.itemIndex, c.layout) << (c.values ? c.values : "no key");
        EXPECT_EQ(form.ComboBox2.itemIndex, c.language) << (c.values ? c.values : "no key");
    }
}

TEST_F(SwitchKeysTest, DigitThatIsNoNumberEndsTheRead) {
    const char* const bodies[] = {
        "\"Layout Hotkey\"=\"\"\n",
        "\"Layout Hotkey\"=\"2a\"\n",
        "\"Language Hotkey\"=dword:00000001\n",
    };
    for (const char* body : bodies) {
        windows.registry.removeKey(Hive::CurrentUser, kToggleKey);
        reg(std::string("[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n") + body);
        EXPECT_THROW(form.getswitchkey(), QuillonError) << body;
    }
    windows.registry.removeKey(Hive::CurrentUser, kToggleKey);
    reg("[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n\"Layout Hotkey\"=\"2x\"\n");
    try {
        form.getswitchkey();
        ADD_FAILURE();
    } catch (const QuillonError& e) {
        EXPECT_EQ(e.message(), u"注册表值“Layout Hotkey”（“2x”）不是十进制数。");
    }
}

TEST_F(SwitchKeysTest, CapsLockReleaseFromAttributes) {
    const std::pair<const char*, int> cases[] = {
        {"", 0},
        {"\"Attributes\"=dword:00000000\n", 0},
        {"\"Attributes\"=dword:00010000\n", 1},
        {"\"Attributes\"=dword:00000001\n", 1},
    };
    for (const auto& [body, item] : cases) {
        windows.registry.removeKey(Hive::CurrentUser, kKeyboardLayout);
        reg(std::string("[HKEY_CURRENT_USER\\Keyboard Layout]\n") + body);
        form.ComboBox3.itemIndex = -1;
        form.getswitchkey();
        EXPECT_EQ(form.ComboBox3.itemIndex, item) << body;
    }
}

TEST_F(SwitchKeysTest, ChangedBoxPushesTheOtherAside) {
    enum { AltShift, CtrlShift, Disabled, Grave };
    struct Case {
        int changedBox; // 1 or 2
        int box1;       // after the user's choice, before the handler
        int box2;
        int expected1;
        int expected2;
        StringList written;
    };
    const Case cases[] = {
        {2, AltShift, AltShift, CtrlShift, AltShift, {u"2", u"1", u"1"}},
        {1, AltShift, AltShift, AltShift, CtrlShift, {u"1", u"2", u"2"}},
        {1, CtrlShift, CtrlShift, CtrlShift, AltShift, {u"2", u"1", u"1"}},
        {1, Grave, Grave, Grave, AltShift, {u"4", u"1", u"1"}},
        {2, Grave, Grave, AltShift, Grave, {u"1", u"4", u"4"}},
        {2, Disabled, Disabled, Disabled, Disabled, {u"3", u"3", u"3"}},
        {1, Grave, CtrlShift, Grave, CtrlShift, {u"4", u"2", u"2"}},
        {2, Disabled, AltShift, Disabled, AltShift, {u"3", u"1", u"1"}},
    };
    for (const Case& c : cases) {
        reg("[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n");
        form.ComboBox1.itemIndex = c.box1;
        form.ComboBox2.itemIndex = c.box2;
        windows.calls.clear();
        c.changedBox == 1 ? form.ComboBox1Change() : form.ComboBox2Change();
        const std::string label = std::to_string(c.changedBox) + ": " + std::to_string(c.box1) +
                                  "/" + std::to_string(c.box2);
        EXPECT_EQ(form.ComboBox1.itemIndex, c.expected1) << label;
        EXPECT_EQ(form.ComboBox2.itemIndex, c.expected2) << label;
        EXPECT_EQ(toggleValues(), c.written) << label;
        EXPECT_EQ(windows.calls, std::vector<std::string>{kLangToggle}) << label;
    }
}

TEST_F(SwitchKeysTest, ABoxShowingNoItemKeepsItsValue) {
    // "5" and "0" are digits the boxes have no item for: the refresh shows no selection, and
    // a change of the other box must not write a digit of its own for it.
    for (const int changedBox : {1, 2}) {
        reg("[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n\"Layout Hotkey\"=\"5\"\n"
            "\"Language Hotkey\"=\"0\"\n\"Hotkey\"=\"0\"\n");
        form.ComboBox1.itemIndex = changedBox == 1 ? 1 : -1;
        form.ComboBox2.itemIndex = changedBox == 2 ? 0 : -1;
        changedBox == 1 ? form.ComboBox1Change() : form.ComboBox2Change();
        EXPECT_EQ(toggleValues(),
                  changedBox == 1 ? (StringList{u"2", u"0", u"0"}) : (StringList{u"5", u"1", u"1"}))
            << changedBox;
    }
}

TEST_F(SwitchKeysTest, ValuesAreWrittenInTheirOrder) {
    reg("[HKEY_CURRENT_USER\\Keyboard Layout\\Toggle]\n");
    form.ComboBox1.itemIndex = 0;
    form.ComboBox2.itemIndex = 1;
    form.ComboBox1Change();
    EXPECT_EQ(windows.registry.valueNames(Hive::CurrentUser, kToggleKey),
              (StringList{u"Layout Hotkey", u"Language Hotkey", u"Hotkey"}));
}

TEST_F(SwitchKeysTest, MissingToggleKeyWritesNothing) {
    form.ComboBox1.itemIndex = 0;
    form.ComboBox2.itemIndex = 1;
    const int writes = windows.registry.writeCount();
    EXPECT_THROW(form.ComboBox2Change(), QuillonError);
    EXPECT_FALSE(windows.registry.keyExists(Hive::CurrentUser, kToggleKey));
    EXPECT_EQ(windows.registry.writeCount(), writes);
    EXPECT_TRUE(windows.calls.empty());
}

TEST_F(SwitchKeysTest, ToggleCaptionsAndStatesPerLanguage) {
    reg(R"(
[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:20,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000011]
"Key Modifiers"=hex:04,80,00,00
"Virtual Key"=hex:20,00,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000012]
"Key Modifiers"=hex:00,00,00,00
"Virtual Key"=hex:20,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000070]
"Key Modifiers"=hex:06,40
"Virtual Key"=hex:30,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000072]
"Key Modifiers"=hex:03,80,00,00
"Virtual Key"=hex:ff,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000030]
"Key Modifiers"=hex:01,c0,00,00
"Virtual Key"=hex:5d,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000031]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:41,00,00,00

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000050]
"Virtual Key"=hex:41,00,00,00
)");
    struct Case {
        std::int32_t langid;
        std::vector<ustring> captions;
        std::vector<bool> enabled;
    };
    const Case cases[] = {
        {0x0804, {u"Ctrl+SPACE", u"左Shift+SPACE", u"无"}, {true, true, true}},
        {0x0404, {u"右Ctrl+Shift+0", u"无", u"左Ctrl+Alt"}, {true, true, true}},
        {0x0411, {u"左Alt+APPS", u"无", u"无"}, {true, false, false}},
        {0x0412, {u"无", u"无", u"无"}, {true, true, true}},
        {0x0409, {u"无", u"无", u"无"}, {false, false, false}},
        {0x0804, {u"Ctrl+SPACE", u"左Shift+SPACE", u"无"}, {true, true, true}},
    };
    for (const Case& c : cases) {
        form.mylangid = c.langid;
        form.getSWkey();
        EXPECT_EQ(captions(), c.captions) << c.langid;
        EXPECT_EQ((std::vector<bool>{form.Button_SW1.enabled, form.Button_SW2.enabled,
                                     form.Button_SW3.enabled}),
                  c.enabled)
            << c.langid;
    }
}

TEST_F(SwitchKeysTest, ToggleOfAnotherTypeEndsTheRead) {
    reg(R"(
[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
"Key Modifiers"=dword:0000c002
)");
    EXPECT_THROW(form.getSWkey(), QuillonError);
}

// The refresh puts everything in place, and a later refresh of a language without toggles
// shows "无" again.
TEST_F(FormTest, RefreshShowsHotkeysAndSwitchingKeys) {
    windows.loadReg(R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys\00001000]
"CLSID"="{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}"
"LangId"="00000804"
"Profile"="{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"
"Modifiers"="0000C006"
"virtualkey"="00000070"

[HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys\00000010]
"Key Modifiers"=hex:02,c0,00,00
"Virtual Key"=hex:20,00,00,00
"Target IME"=hex:00,00,00,00

[HKEY_CURRENT_USER\Keyboard Layout\Toggle]
"Layout Hotkey"="3"
"Language Hotkey"="4"

[HKEY_CURRENT_USER\Keyboard Layout]
"Attributes"=dword:00010000
)");
    start();
    EXPECT_EQ(form.ListView1.rows.at(0).fields[kFieldHotkey], u"Ctrl+Shift+F1");
    EXPECT_EQ(form.Button_SW1.caption, u"Ctrl+SPACE");
    EXPECT_EQ(form.Button_SW2.caption, u"无");
    EXPECT_EQ(form.ComboBox1.itemIndex, 2);
    EXPECT_EQ(form.ComboBox2.itemIndex, 3);
    EXPECT_EQ(form.ComboBox3.itemIndex, 1);
    form.mylangid = 0x0409;
    form.Button_RefreshClick();
    EXPECT_EQ(form.Button_SW1.caption, u"无");
    EXPECT_FALSE(form.Button_SW1.enabled);
}

} // namespace
} // namespace quillon::testing
