// Hotkey words of the command line, turned into a hotkey text.
#include "hotkeys/hotkey_words.h"

#include <algorithm>

namespace quillon {

namespace {

// Key names with blanks, Chinese prefixes or "/" get words of their own.
const std::vector<HotkeyWord>& namedKeyWords() {
    static const std::vector<HotkeyWord> words = [] {
        std::vector<HotkeyWord> out = {
            {u"LEFT_WINDOW", u"左WINDOW"}, {u"RIGHT_WINDOW", u"右WINDOW"}, {u"?", u"/"},
            {u"PGUP", u"PAGE UP"},         {u"PGDN", u"PAGE DOWN"},
        };
        for (char16_t d = u'0'; d <= u'9'; ++d) {
            out.push_back({ustring(u"NUM") + d, ustring(u"NUMPAD ") + d});
        }
        out.push_back({u"NUM.", u"NUMPAD ."});
        out.push_back({u"NUM?", u"NUMPAD /"});
        out.push_back({u"NUM*", u"NUMPAD *"});
        return out;
    }();
    return words;
}

bool isOwnWord(const ustring& name) {
    return name.find(u' ') == ustring::npos && name.find(u'/') == ustring::npos &&
           name.find(u'左') == ustring::npos && name.find(u'右') == ustring::npos;
}

const HotkeyWord* findWord(const std::vector<HotkeyWord>& words, const ustring& word) {
    const auto it = std::find_if(words.begin(), words.end(),
                                 [&](const HotkeyWord& w) { return w.word == word; });
    return it == words.end() ? nullptr : &*it;
}

} // namespace

const std::vector<HotkeyWord>& modifierWords() {
    static const std::vector<HotkeyWord> words = {
        {u"alt", u"左Alt"},
        {u"ctrl", u"Ctrl"},
        {u"left_ctrl", u"左Ctrl"},
        {u"right_ctrl", u"右Ctrl"},
        {u"ctrl+alt", u"Ctrl+左Alt"},
        {u"shift", u"Shift"},
        {u"left_shift", u"左Shift"},
        {u"right_shift", u"右Shift"},
        {u"alt+shift", u"左Alt+Shift"},
        {u"ctrl+shift", u"Ctrl+Shift"},
        {u"left_ctrl+shift", u"左Ctrl+Shift"},
        {u"right_ctrl+shift", u"右Ctrl+Shift"},
        {u"ctrl+alt+shift", u"Ctrl+左Alt+Shift"},
    };
    return words;
}

std::vector<HotkeyWord> keyWords(const KeyTable& table) {
    std::vector<HotkeyWord> out;
    for (const KeyRow& row : table) {
        if (isOwnWord(row.name)) {
            out.push_back({row.name, row.name});
            continue;
        }
        const auto& named = namedKeyWords();
        const auto it = std::find_if(named.begin(), named.end(),
                                     [&](const HotkeyWord& w) { return w.text == row.name; });
        if (it != named.end()) {
            out.push_back(*it);
        }
    }
    return out;
}

ustring hotkeyOfWords(const ustring& str1, const ustring& str2) {
    const HotkeyWord* modifier = findWord(modifierWords(), str1);
    const HotkeyWord* key = findWord(namedKeyWords(), str2);
    return (modifier ? modifier->text : ustring()) + u"+" + (key ? key->text : str2);
}

} // namespace quillon
