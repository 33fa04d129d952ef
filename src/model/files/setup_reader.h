// The whole current setup of every installed language, read straight from Windows into the
// configuration file's document: what a save writes and what a backup keeps.
#pragma once

#include "files/ini_document.h"

namespace quillon {

class TForm1;

// Every language of `form.lang.code`, each read by the catalogue refresh's own readers, into
// `document` (existing sections and keys keep their places). The shown language, the window's
// lists and settings are as they were afterwards, also when an error ends the reading; the list
// of languages is the one read at start-up, so no language query is started.
// A language whose profiles cannot be listed would be saved with rows that are not its own: it
// ends the reading with a QuillonError naming it ("无法列出语言 0804 的输入法").
void readSetupInto(TForm1& form, IniDocument& document);
IniDocument readSetup(TForm1& form);

} // namespace quillon
