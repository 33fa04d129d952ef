// Applying a checked configuration document: the load's walk over the installed languages.
#pragma once

#include "files/ini_document.h"

namespace quillon {

class TForm1;

enum class LoadScope {
    // The file as a whole: every installed language is shown in turn, and any list or switching
    // key commits that language.
    Whole,
    // Only what differs (the document holds nothing else): a language without sections is not
    // visited, and only its list or its toggles commit it; the other settings are written by
    // their own handlers.
    Differences,
};

// Applies `document` to `languages` (4-digit ids, as the check saw them) with the window taking
// no input meanwhile. A failure stops at its language and says which were applied, naming
// `filename`. The last language visited stays shown.
void applyConfigDocument(TForm1& form, const IniDocument& document, const StringList& languages,
                         const ustring& filename, LoadScope scope);

} // namespace quillon
