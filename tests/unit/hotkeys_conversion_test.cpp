// The key table, the converters between registry codes and hotkey text, and the command
// line's hotkey words.
#include "hotkeys_fixture.h"

#include <iterator>
#include <set>

namespace quillon::testing {
namespace {

class KeyTableTest : public HotkeyTest {};

// Every row against a literal copy of the table, so that two swapped codes or names show.
TEST_F(KeyTableTest, RowsInTheirFixedOrder) {
    const KeyRow expected[] = {
        {u"0", u"30"},         {u"1", u"31"},        {u"2", u"32"},        {u"3", u"33"},
        {u"4", u"34"},         {u"5", u"35"},        {u"6", u"36"},        {u"7", u"37"},
        {u"8", u"38"},         {u"9", u"39"},        {u"SPACE", u"20"},    {u"F1", u"70"},
        {u"F2", u"71"},        {u"F3", u"72"},       {u"F4", u"73"},       {u"F5", u"74"},
        {u"F6", u"75"},        {u"F7", u"76"},       {u"F8", u"77"},       {u"F9", u"78"},
        {u"F10", u"79"},       {u"F11", u"7A"},      {u"F12", u"7B"},      {u"A", u"41"},
        {u"B", u"42"},         {u"C", u"43"},        {u"D", u"44"},        {u"E", u"45"},
        {u"F", u"46"},         {u"G", u"47"},        {u"H", u"48"},        {u"I", u"49"},
        {u"J", u"4A"},         {u"K", u"4B"},        {u"L", u"4C"},        {u"M", u"4D"},
        {u"N", u"4E"},         {u"O", u"4F"},        {u"P", u"50"},        {u"Q", u"51"},
        {u"R", u"52"},         {u"S", u"53"},        {u"T", u"54"},        {u"U", u"55"},
        {u"V", u"56"},         {u"W", u"57"},        {u"X", u"58"},        {u"Y", u"59"},
        {u"Z", u"5A"},         {u";", u"BA"},        {u"=", u"BB"},        {u",", u"BC"},
        {u"-", u"BD"},         {u".", u"BE"},        {u"/", u"BF"},        {u"`", u"C0"},
        {u"[", u"DB"},         {u"\\", u"DC"},       {u"]", u"DD"},        {u"'", u"DE"},
        {u"BACKSPACE", u"08"}, {u"TAB", u"09"},      {u"ENTER", u"0D"},    {u"PAGE UP", u"21"},
        {u"PAGE DOWN", u"22"}, {u"END", u"23"},      {u"HOME", u"24"},     {u"LEFT", u"25"},
        {u"UP", u"26"},        {u"RIGHT", u"27"},    {u"DOWN", u"28"},     {u"INS", u"2D"},
        {u"DEL", u"2E"},       {u"NUMPAD 0", u"60"}, {u"NUMPAD 1", u"61"}, {u"NUMPAD 2", u"62"},
        {u"NUMPAD 3", u"63"},  {u"NUMPAD 4", u"64"}, {u"NUMPAD 5", u"65"}, {u"NUMPAD 6", u"66"},
        {u"NUMPAD 7", u"67"},  {u"NUMPAD 8", u"68"}, {u"NUMPAD 9", u"69"}, {u"NUMPAD *", u"6A"},
        {u"NUMPAD +", u"6B"},  {u"NUMPAD -", u"6D"}, {u"NUMPAD .", u"6E"}, {u"NUMPAD /", u"6F"},
        {u"~", u"7E"},         {u"左WINDOW", u"5B"}, {u"右WINDOW", u"5C"}, {u"APPS", u"5D"},
    };
    const KeyTable& t = form.scancode;
    ASSERT_EQ(t.size(), std::size(expected));
    ASSERT_EQ(t.size(), 92u);
    for (std::size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(t[i].name, expected[i].name) << "row " << i + 1;
        EXPECT_EQ(t[i].code, expected[i].code) << "row " << i + 1;
    }
    std::set<ustring> names;
    std::set<ustring> codes;
    for (const KeyRow& row : t) {
        names.insert(row.name);
        codes.insert(row.code);
    }
    EXPECT_EQ(names.size(), 92u);
    EXPECT_EQ(codes.size(), 92u);
}

TEST_F(KeyTableTest, NameLookupIsExactAndBoundedByTheCallersRows) {
    const KeyTable& t = form.scancode;
    ASSERT_NE(findKeyName(t, u"APPS"), nullptr);
    EXPECT_EQ(findKeyName(t, u"APPS")->code, u"5D");
    EXPECT_EQ(findKeyName(t, u"APPS", kTextServiceKeyRows), nullptr);
    EXPECT_EQ(findKeyName(t, u"左WINDOW", kTextServiceKeyRows), nullptr);
    ASSERT_NE(findKeyName(t, u"~", kTextServiceKeyRows), nullptr);
    EXPECT_EQ(findKeyName(t, u"a"), nullptr);
    EXPECT_EQ(findKeyName(t, u"space"), nullptr);
    EXPECT_EQ(findKeyName(t, u"NUMPAD+"), nullptr);
}

TEST_F(KeyTableTest, CodesToText) {
    struct Case {
        const char16_t* modifiers;
        const char16_t* key;
        const char16_t* text;
    };
    const Case cases[] = {
        // Long form: the side byte names the side of Ctrl and Shift only.
        {u"0000C002", u"00000020", u"Ctrl+SPACE"},
        {u"00008002", u"41", u"左Ctrl+A"},
        {u"00004004", u"20", u"右Shift+SPACE"},
        {u"0000C003", u"35", u"Ctrl+Alt+5"},
        {u"00008003", u"35", u"左Ctrl+Alt+5"},
        {u"00008001", u"41", u"左Alt+A"},
        {u"00004005", u"41", u"左Alt+Shift+A"},
        {u"00008007", u"41", u"Ctrl+左Alt+Shift+A"},
        {u"00000002", u"41", u"Ctrl+A"},
        {u"00002006", u"41", u"Ctrl+Shift+A"},
        {u"00008006", u"6B", u"左Ctrl+Shift+NUMPAD +"},
        {u"0000C002", u"0000005B", u"Ctrl+左WINDOW"},
        // Short form: the flags are the last two characters.
        {u"0003", u"35", u"Ctrl+左Alt+5"},
        {u"C003", u"35", u"Ctrl+左Alt+5"},
        {u"8002", u"41", u"Ctrl+A"},
        {u"0002", u"be", u"Ctrl+."},
        {u"2", u"41", u"Ctrl+A"},
        {u"000000004", u"41", u"Shift+A"},
        {u"0007", u"DC", u"Ctrl+左Alt+Shift+\\"},
        // An unknown key code leaves the modifier alone.
        {u"0002", u"FF", u"Ctrl"},
        {u"0002", u"", u"Ctrl"},
        {u"0002", u"6C", u"Ctrl"},
        // No modifier, or one that cannot be read: no hotkey at all.
        {u"0000", u"41", u""},
        {u"0008", u"41", u""},
        {u"00000000", u"41", u""},
        {u"0000C008", u"41", u""},
        {u"", u"41", u""},
        {u"00ZZ", u"41", u""},
        {u"0000ZZ02", u"41", u""},
    };
    for (const Case& c : cases) {
        ustring text = u"old";
        EXPECT_TRUE(form.codetokey(c.modifiers, c.key, text));
        EXPECT_EQ(text, c.text) << toUtf8(c.modifiers) << " " << toUtf8(c.key);
    }
}

TEST_F(KeyTableTest, TextToCodes) {
    struct Case {
        const char16_t* text;
        const char16_t* modifiers;
        const char16_t* key;
    };
    const Case cases[] = {
        {u"", u"00", u"SPACE"},
        {u"无", u"00", u"SPACE"},
        {u"none", u"00", u"SPACE"},
        {u"NoNe", u"00", u"SPACE"},
        {u"Ctrl+左Alt+5", u"C003", u"5"},
        {u"Ctrl+Alt+5", u"C003", u"5"},
        {u"左Ctrl+Shift+F1", u"8006", u"F1"},
        {u"右Ctrl+Shift+F1", u"4006", u"F1"},
        {u"左Alt+A", u"C001", u"A"},
        {u"左Alt+Shift+A", u"C005", u"A"},
        {u"Ctrl+左Alt+Shift+A", u"C007", u"A"},
        {u"右Shift+SPACE", u"4004", u"SPACE"},
        {u"A", u"0000", u"A"},
        {u"+A", u"0000", u"A"},
        {u"ctrl+a", u"C002", u"a"},
        {u"Ctrl+NUMPAD +", u"C002", u"NUMPAD +"},
        {u"Ctrl++", u"C002", u"+"},
        {u"NUMPAD +", u"0000", u"NUMPAD +"},
        {u"Ctrl+", u"0000", u"Ctrl+"},
        {u"Ctrl", u"0000", u"Ctrl"},
        // Texts outside the table are passed on upper-cased, to fail where they are used.
        {u"Alt+A", u"ALT", u"A"},
        {u"右Alt+A", u"右ALT", u"A"},
        {u"左Alt+Ctrl+A", u"左ALT+CTRL", u"A"},
        // Ctrl+Alt with one side of Ctrl, as Windows can hold it.
        {u"左Ctrl+Alt+A", u"8003", u"A"},
        {u"右ctrl+alt+A", u"4003", u"A"},
    };
    for (const Case& c : cases) {
        ustring modifiers = u"old";
        ustring key = u"old";
        EXPECT_TRUE(form.keytocode(c.text, modifiers, key));
        EXPECT_EQ(modifiers, c.modifiers) << toUtf8(c.text);
        EXPECT_EQ(key, c.key) << toUtf8(c.text);
    }
}

// What each displayed text gives back: short-form texts their flags with both sides; long-form
// Ctrl, Shift and Ctrl+Alt keep their side, Alt combinations lose it.
TEST_F(KeyTableTest, DisplayedTextsConvertBack) {
    for (std::uint32_t flags = 1; flags <= 7; ++flags) {
        ustring text;
        form.codetokey(hexText(flags, 4), u"41", text);
        ustring modifiers;
        ustring key;
        form.keytocode(text, modifiers, key);
        EXPECT_EQ(modifiers, hexText(0xC000 + flags, 4)) << toUtf8(text);
        EXPECT_EQ(key, u"A");
    }
    for (const std::uint32_t side : {0x80u, 0x40u, 0xC0u}) {
        for (std::uint32_t flags = 1; flags <= 7; ++flags) {
            ustring text;
            form.codetokey(hexText((side << 8) | flags, 8), u"41", text);
            ustring modifiers;
            ustring key;
            form.keytocode(text, modifiers, key);
            std::uint32_t back = 0;
            const bool converts = parseHex32(modifiers, back);
            const bool keepsSide = flags == 2 || flags == 3 || flags == 4 || flags == 6;
            EXPECT_TRUE(converts) << toUtf8(text);
            EXPECT_EQ(back, ((keepsSide ? side : 0xC0u) << 8) | flags) << toUtf8(text);
        }
    }
}

TEST_F(KeyTableTest, CommandLineWords) {
    struct Case {
        const char16_t* modifier;
        const char16_t* key;
        const char16_t* text;
    };
    const Case cases[] = {
        {u"ctrl", u"5", u"Ctrl+5"},
        {u"shift", u"HOME", u"Shift+HOME"},
        {u"ctrl+alt", u"D", u"Ctrl+左Alt+D"},
        {u"left_ctrl+shift", u"NUM?", u"左Ctrl+Shift+NUMPAD /"},
        {u"right_ctrl+shift", u"NUM*", u"右Ctrl+Shift+NUMPAD *"},
        {u"alt", u"?", u"左Alt+/"},
        {u"ctrl", u"PGDN", u"Ctrl+PAGE DOWN"},
        {u"ctrl", u"PGUP", u"Ctrl+PAGE UP"},
        {u"left_ctrl", u"NUM0", u"左Ctrl+NUMPAD 0"},
        {u"right_ctrl", u"NUM9", u"右Ctrl+NUMPAD 9"},
        {u"left_shift", u"NUM.", u"左Shift+NUMPAD ."},
        {u"right_shift", u"LEFT_WINDOW", u"右Shift+左WINDOW"},
        {u"alt+shift", u"RIGHT_WINDOW", u"左Alt+Shift+右WINDOW"},
        {u"ctrl+shift", u"\\", u"Ctrl+Shift+\\"},
        {u"ctrl+alt+shift", u"APPS", u"Ctrl+左Alt+Shift+APPS"},
        {u"win", u"A", u"+A"},
        {u"ctrl", u"NUM+", u"Ctrl+NUM+"},
        {u"ctrl", u"NUM-", u"Ctrl+NUM-"},
        {u"ctrl", u"NUM10", u"Ctrl+NUM10"},
        {u"Alt", u"A", u"+A"},
        {u"alt", u"pgup", u"左Alt+pgup"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(form.paramtohotkey(c.modifier, c.key), c.text)
            << toUtf8(c.modifier) << " " << toUtf8(c.key);
    }
}

// Every key name without a blank is its own word, and every word reaches a key the store can
// write, except the two keypad keys that have no word.
TEST_F(KeyTableTest, EveryWordedKeyIsReachable) {
    for (const KeyRow& row : form.scancode) {
        if (row.name.find(u' ') != ustring::npos || row.name.find(u"WINDOW") != ustring::npos) {
            continue;
        }
        const ustring word = row.name == u"/" ? ustring(u"?") : row.name;
        const ustring text = form.paramtohotkey(u"ctrl", word);
        ustring modifiers;
        ustring key;
        form.keytocode(text, modifiers, key);
        EXPECT_EQ(modifiers, u"C002") << toUtf8(text);
        EXPECT_EQ(key, row.name) << toUtf8(text);
    }
}

} // namespace
} // namespace quillon::testing
