// The two hotkey converters: registry codes to hotkey text (`codetokey`) and back
// (`keytocode`). Input: three lines, the modifier code, the virtual-key code and a hotkey text,
// as UTF-8.
#include "app/tform1.h"
#include "fuzz_support.h"
#include "platform/substitute/substitute.h"

#include <algorithm>

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

bool isModifierCode(const ustring& code) {
    std::uint32_t ignored = 0;
    return code.size() == 4 && parseHex32(code, ignored);
}

const KeyRow* rowOfCode(const KeyTable& table, const ustring& code) {
    const auto it = std::find_if(table.begin(), table.end(),
                                 [&](const KeyRow& row) { return row.code == code; });
    return it == table.end() ? nullptr : &*it;
}

// Text to codes to text: the text `codetokey` gives back is canonical, converting it once more
// changes nothing.
void textConvertsToItsCanonicalForm(TForm1& f, const ustring& text) {
    ustring modifiers;
    ustring keyName;
    law(f.keytocode(text, modifiers, keyName), "keytocode answers true");
    const KeyRow* row = findKeyName(f.scancode, keyName);
    if (!row || !isModifierCode(modifiers)) {
        return; // the callers refuse such a text
    }
    ustring canonical;
    law(f.codetokey(modifiers, row->code, canonical), "codetokey answers true");
    ustring again;
    law(f.keytocode(canonical, modifiers, keyName), "keytocode answers true");
    if (canonical.empty()) {
        law(modifiers == u"00" && keyName == u"SPACE", "no hotkey converts to no hotkey");
        return;
    }
    law(keyName == row->name, "the canonical text names the same key");
    law(f.codetokey(modifiers, row->code, again) && again == canonical,
        "the canonical text converts back to itself");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TForm1& f = form();
    const auto input = fuzz::pieces(fuzz::bytesOf(data, size), 3);
    const ustring modifiers = fromUtf8(input[0]);
    const ustring virtualKey = fromUtf8(input[1]);

    // Codes to text and back: a text that names a key converts back to codes that give the
    // same text, in the same form (eight digits keep the side of the key).
    ustring text;
    law(f.codetokey(modifiers, virtualKey, text), "codetokey answers true");
    const ustring code = upperAscii(virtualKey.size() == 8 ? virtualKey.substr(6, 2) : virtualKey);
    const KeyRow* row = rowOfCode(f.scancode, code);
    if (!text.empty() && row) {
        ustring backModifiers;
        ustring backKey;
        law(f.keytocode(text, backModifiers, backKey), "keytocode answers true");
        law(backKey == row->name, "the key name comes back");
        law(isModifierCode(backModifiers), "the modifier text converts to a code");
        const ustring sameForm = modifiers.size() == 8 ? u"0000" + backModifiers : backModifiers;
        ustring back;
        law(f.codetokey(sameForm, row->code, back) && back == text,
            "the codes of a text give the same text");
    }
    textConvertsToItsCanonicalForm(f, text);
    textConvertsToItsCanonicalForm(f, fromUtf8(input[2]));
    return 0;
}
