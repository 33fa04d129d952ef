// What the main window shows, as the values the domain's functions take.
#pragma once

#include "hotkeys/hotkey_store.h"
#include "settings/other_settings_read.h"

namespace quillon {

class TForm1;

// The shown language's enabled rows and toggles with the codes they were read from; it refers
// to the form's own fields, so it lasts no longer than they stay unchanged.
HotkeysToWrite hotkeysShown(const TForm1& form);

// The three check boxes' states.
settings::OtherSettings otherSettingsShown(const TForm1& form);

} // namespace quillon
