// The whole current setup of every installed language, read straight from Windows into the
// configuration file's document: what a save writes and what a backup keeps.
#pragma once

#include "files/ini_document.h"
#include "hotkeys/key_table.h"
#include "platform/platform.h"
#include "settings/other_settings_read.h"

namespace quillon {

// Every language of `languages` (the installed languages' ids, as the window's list holds them),
// each read as the catalogue refresh reads the shown language, into `document` (existing
// sections and keys keep their places). `shown` is what the window shows of the three other
// settings, kept where Windows holds a state that states neither. Nothing but reading: no
// language query, no write.
// A language whose profiles cannot be listed would be saved with rows that are not its own: it
// ends the reading with a QuillonError naming it ("无法列出语言 0804 的输入法").
void readSetupInto(platform::Platform& os, const StringList& languages, const KeyTable& keys,
                   const settings::OtherSettings& shown, IniDocument& document);
IniDocument readSetup(platform::Platform& os, const StringList& languages, const KeyTable& keys,
                      const settings::OtherSettings& shown);

} // namespace quillon
