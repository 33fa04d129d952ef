// The main window's hotkeys: read into the enabled list, and written from it with the toggles.
#include "app/form_values.h"
#include "app/tform1.h"
#include "hotkeys/hotkey_store.h"

namespace quillon {

void TForm1::gethotkey() {
    readHotkeys(os().registry, LangId(), scancode, ListView1.rows, hotkeysRead);
}

void TForm1::puthotkey() {
    platform::KeyReads reads(os().registry, platform::Hive::CurrentUser);
    const HotkeyPlan plan = planHotkeys(hotkeysShown(*this), reads);
    writeHotkeys(plan, reads, os().system);
}

} // namespace quillon
