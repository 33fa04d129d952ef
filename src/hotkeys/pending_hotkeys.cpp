// Hotkey parts not built yet.
#include "app/tform1.h"

namespace quillon {

void TForm1::BuildKeyTable() {}
bool TForm1::codetokey(const ustring&, const ustring&, ustring& key) {
    key.clear();
    return true;
}
bool TForm1::keytocode(const ustring&, ustring& Modifiers, ustring& VirtualKey) {
    Modifiers.clear();
    VirtualKey.clear();
    return true;
}
void TForm1::gethotkey() {}
void TForm1::puthotkey() {}
void TForm1::getswitchkey() {}
void TForm1::ComboBox1Change() {}
void TForm1::ComboBox2Change() {}
void TForm1::getSWkey() {}
void TForm1::Button_SW1Click(int) {}
ustring TForm1::paramtohotkey(const ustring&, const ustring&) { return {}; }

} // namespace quillon
