// The key table and the two converters between registry codes and hotkey text.
#include "hotkeys/key_table.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

namespace quillon {

namespace {

void addRange(KeyTable& table, const ustring& prefix, char16_t firstName, int count,
              std::uint32_t firstCode) {
    for (int i = 0; i < count; ++i) {
        table.push_back({prefix + static_cast<char16_t>(firstName + i),
                         hexText(firstCode + static_cast<std::uint32_t>(i), 2)});
    }
}

// Side prefix of the long form, from the side byte of an IMM modifier code.
ustring sidePrefix(std::uint32_t side) {
    if (side == 0x80) {
        return u"左";
    }
    if (side == 0x40) {
        return u"右";
    }
    return {};
}

// Modifier text for the flag byte. Only Ctrl and Shift ever carry a side prefix; Alt is named
// as the left key, except in "Ctrl+Alt" of the long form.
ustring modifierText(std::uint32_t flags, bool longForm, std::uint32_t side) {
    const ustring prefix = longForm ? sidePrefix(side) : ustring();
    switch (flags) {
    case 1:
        return u"左Alt";
    case 2:
        return prefix + u"Ctrl";
    case 3:
        return longForm ? prefix + u"Ctrl+Alt" : u"Ctrl+左Alt";
    case 4:
        return prefix + u"Shift";
    case 5:
        return u"左Alt+Shift";
    case 6:
        return prefix + u"Ctrl+Shift";
    case 7:
        return u"Ctrl+左Alt+Shift";
    default:
        return {};
    }
}

struct ModifierCode {
    const char16_t* text;
    const char16_t* code;
};

// Upper-cased modifier texts the program itself produces, and the codes they stand for.
constexpr ModifierCode kModifierCodes[] = {
    {u"", u"0000"},
    {u"左ALT", u"C001"},
    {u"左CTRL", u"8002"},
    {u"右CTRL", u"4002"},
    {u"CTRL", u"C002"},
    {u"CTRL+左ALT", u"C003"},
    {u"CTRL+ALT", u"C003"},
    // Windows can hold Ctrl+Alt with one side of Ctrl; what is shown for it converts back.
    {u"左CTRL+ALT", u"8003"},
    {u"右CTRL+ALT", u"4003"},
    {u"左SHIFT", u"8004"},
    {u"右SHIFT", u"4004"},
    {u"SHIFT", u"C004"},
    {u"左ALT+SHIFT", u"C005"},
    {u"左CTRL+SHIFT", u"8006"},
    {u"右CTRL+SHIFT", u"4006"},
    {u"CTRL+SHIFT", u"C006"},
    {u"CTRL+左ALT+SHIFT", u"C007"},
};

} // namespace

KeyTable makeKeyTable() {
    KeyTable table;
    table.reserve(kAllKeyRows);
    addRange(table, u"", u'0', 10, 0x30);
    table.push_back({u"SPACE", u"20"});
    for (std::uint32_t i = 0; i < 12; ++i) {
        table.push_back({u"F" + fromUtf8(std::to_string(i + 1)), hexText(0x70 + i, 2)});
    }
    addRange(table, u"", u'A', 26, 0x41);
    const KeyRow punctuationAndEditing[] = {
        {u";", u"BA"},     {u"=", u"BB"},     {u",", u"BC"},       {u"-", u"BD"},
        {u".", u"BE"},     {u"/", u"BF"},     {u"`", u"C0"},       {u"[", u"DB"},
        {u"\\", u"DC"},    {u"]", u"DD"},     {u"'", u"DE"},       {u"BACKSPACE", u"08"},
        {u"TAB", u"09"},   {u"ENTER", u"0D"}, {u"PAGE UP", u"21"}, {u"PAGE DOWN", u"22"},
        {u"END", u"23"},   {u"HOME", u"24"},  {u"LEFT", u"25"},    {u"UP", u"26"},
        {u"RIGHT", u"27"}, {u"DOWN", u"28"},  {u"INS", u"2D"},     {u"DEL", u"2E"},
    };
    table.insert(table.end(), std::begin(punctuationAndEditing), std::end(punctuationAndEditing));
    addRange(table, u"NUMPAD ", u'0', 10, 0x60);
    // 6C, the keypad separator, has no row.
    const KeyRow keypadAndSystem[] = {
        {u"NUMPAD *", u"6A"}, {u"NUMPAD +", u"6B"}, {u"NUMPAD -", u"6D"},
        {u"NUMPAD .", u"6E"}, {u"NUMPAD /", u"6F"}, {u"~", u"7E"},
        {u"左WINDOW", u"5B"}, {u"右WINDOW", u"5C"}, {u"APPS", u"5D"},
    };
    table.insert(table.end(), std::begin(keypadAndSystem), std::end(keypadAndSystem));
    return table;
}

const KeyRow* findKeyName(const KeyTable& table, ustring_view name, std::size_t rows) {
    const auto end = table.begin() + static_cast<std::ptrdiff_t>(std::min(rows, table.size()));
    const auto it =
        std::find_if(table.begin(), end, [&](const KeyRow& row) { return row.name == name; });
    return it == end ? nullptr : &*it;
}

ustring upperAscii(ustring_view text) {
    ustring out(text);
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return out;
}

ustring hotkeyTextOfCodes(const KeyTable& scancode, const ustring& Modifiers,
                          const ustring& VirtualKey) {
    ustring key;
    // An 8-digit code comes from an IMM entry and carries the side byte; every shorter form
    // has lost it.
    const bool longForm = Modifiers.size() == 8;
    std::uint32_t flags = 0;
    std::uint32_t side = 0;
    if (longForm) {
        if (!parseHex32(ustring_view(Modifiers).substr(4, 2), side) ||
            !parseHex32(ustring_view(Modifiers).substr(6, 2), flags)) {
            return key;
        }
    } else {
        const std::size_t from = Modifiers.size() > 2 ? Modifiers.size() - 2 : 0;
        if (!parseHex32(ustring_view(Modifiers).substr(from), flags)) {
            return key;
        }
    }
    const ustring modifier = modifierText(flags, longForm, side);
    if (modifier.empty()) {
        return key;
    }
    const ustring code = upperAscii(VirtualKey.size() == 8 ? VirtualKey.substr(6, 2) : VirtualKey);
    const auto row = std::find_if(scancode.begin(), scancode.end(),
                                  [&](const KeyRow& r) { return r.code == code; });
    key = row == scancode.end() ? modifier : modifier + u"+" + row->name;
    return key;
}

void splitHotkeyText(ustring_view key, ustring& Modifiers, ustring& VirtualKey) {
    if (key.empty() || key == u"无" || upperAscii(key) == u"NONE") {
        Modifiers = u"00";
        VirtualKey = u"SPACE";
        return;
    }
    // The separator is the last "+" that is not the final character, so that the key name
    // "NUMPAD +" keeps its own "+".
    std::size_t separator = ustring::npos;
    if (key.size() >= 2) {
        separator = key.rfind(u'+', key.size() - 2);
    }
    ustring modifier;
    if (separator == ustring::npos) {
        VirtualKey = ustring(key);
    } else {
        modifier = upperAscii(key.substr(0, separator));
        VirtualKey = ustring(key.substr(separator + 1));
    }
    Modifiers = modifier;
    for (const auto& m : kModifierCodes) {
        if (modifier == m.text) {
            Modifiers = m.code;
            break;
        }
    }
}

} // namespace quillon
