// Hotkey words of the command line: two plain words that a command line carries well, turned
// into a hotkey text.
#include "app/tform1.h"

#include <iterator>

namespace quillon {

namespace {

struct Word {
    const char16_t* word;
    const char16_t* text;
};

constexpr Word kModifierWords[] = {
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

// Key names with blanks, Chinese prefixes or "/" get words of their own.
constexpr Word kKeyWords[] = {
    {u"LEFT_WINDOW", u"左WINDOW"}, {u"RIGHT_WINDOW", u"右WINDOW"}, {u"?", u"/"},
    {u"PGUP", u"PAGE UP"},         {u"PGDN", u"PAGE DOWN"},        {u"NUM.", u"NUMPAD ."},
    {u"NUM?", u"NUMPAD /"},        {u"NUM*", u"NUMPAD *"},
};

ustring lookUp(const ustring& word, const Word* begin, const Word* end, const ustring& otherwise) {
    for (const Word* w = begin; w != end; ++w) {
        if (word == w->word) {
            return w->text;
        }
    }
    return otherwise;
}

} // namespace

ustring TForm1::paramtohotkey(const ustring& str1, const ustring& str2) {
    const ustring modifier =
        lookUp(str1, std::begin(kModifierWords), std::end(kModifierWords), ustring());
    ustring key = lookUp(str2, std::begin(kKeyWords), std::end(kKeyWords), str2);
    if (str2.size() == 4 && str2.compare(0, 3, u"NUM") == 0 && str2[3] >= u'0' && str2[3] <= u'9') {
        key = u"NUMPAD " + str2.substr(3);
    }
    return modifier + u"+" + key;
}

} // namespace quillon
