// Applying a checked configuration document: the load's walk over the installed languages.
#pragma once

#include "files/ini_document.h"

namespace quillon {

class TForm1;

enum class LoadScope {
    // A load: every installed language is shown in turn.
    Whole,
    // An apply: a language without anything that differs is not visited.
    Differences,
};

// Applies `changes` (what `compareSetup` found to differ from the machine) to `languages`
// (4-digit ids, as the check saw them) with the window taking no input meanwhile: a language is
// committed only for its list or toggles, the other settings are written by their own handlers
// and only where they differ. A failure stops at its language and says which were applied, naming
// `filename`. The last language visited stays shown.
void applyConfigDocument(TForm1& form, const IniDocument& changes, const StringList& languages,
                         const ustring& filename, LoadScope scope);

} // namespace quillon
