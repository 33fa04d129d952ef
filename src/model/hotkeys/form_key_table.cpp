// The main window's hotkey conversions: its key table and the converters' older names, which
// its handlers and the command line use.
#include "app/tform1.h"
#include "hotkeys/hotkey_words.h"

namespace quillon {

void TForm1::BuildKeyTable() {
    scancode = makeKeyTable();
}

bool TForm1::codetokey(const ustring& Modifiers, const ustring& VirtualKey, ustring& key) {
    key = hotkeyTextOfCodes(scancode, Modifiers, VirtualKey);
    return true;
}

bool TForm1::keytocode(const ustring& key, ustring& Modifiers, ustring& VirtualKey) {
    splitHotkeyText(key, Modifiers, VirtualKey);
    return true;
}

ustring TForm1::paramtohotkey(const ustring& str1, const ustring& str2) {
    return hotkeyOfWords(str1, str2);
}

} // namespace quillon
