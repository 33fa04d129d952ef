// The command line's hotkey words (`paramtohotkey`): a modifier word and a key word turned
// into a hotkey text. Input: two lines, the two words, as UTF-8.
#include "app/tform1.h"
#include "fuzz_support.h"
#include "platform/substitute/substitute.h"

using namespace quillon;
using quillon::fuzz::law;

namespace {

TForm1& form() {
    static platform::Substitute windows;
    static TForm1 instance{windows.platform()};
    if (instance.scancode.empty()) {
        instance.BuildKeyTable();
    }
    return instance;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TForm1& f = form();
    const auto input = fuzz::pieces(fuzz::bytesOf(data, size), 2);
    const ustring modifierWord = fromUtf8(input[0]);
    const ustring keyWord = fromUtf8(input[1]);

    const ustring text = f.paramtohotkey(modifierWord, keyWord);
    law(text.find(u'+') != ustring::npos, "a modifier text, \"+\", a key name");
    ustring modifiers;
    ustring keyName;
    law(f.keytocode(text, modifiers, keyName), "keytocode answers true");
    // Every modifier text a word gives is one the converter knows: when the words name a key,
    // the hotkey converts to codes, and back to the same text. (A "+" in the key word moves
    // the split; the callers refuse what then comes out.)
    const KeyRow* row = findKeyName(f.scancode, keyName);
    if (!row || keyWord.find(u'+') != ustring::npos) {
        return 0;
    }
    std::uint32_t code = 0;
    law(modifiers.size() == 4 && parseHex32(modifiers, code), "the modifier text converts");
    if (text.front() == u'+') {
        law(code == 0, "an unknown modifier word gives no modifiers");
        return 0;
    }
    law((code & 0xFF) != 0, "a modifier word gives modifiers");
    ustring back;
    law(f.codetokey(modifiers.size() == 4 && (code >> 8) != 0xC0 ? u"0000" + modifiers : modifiers,
                    row->code, back) &&
            back == text,
        "the words' hotkey converts back to itself");
    return 0;
}
