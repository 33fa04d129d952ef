// Undo's restore: the registry put back by difference, then Windows told what the restored
// state needs, as the changes themselves tell it.
#pragma once

#include "backups/snapshot.h"

namespace quillon {
class TForm1;
}

namespace quillon::backups {

// An input method the restore lists again (enable) or no longer lists (disable) in a
// language's user profile: its tip, "0804:{clsid}{profile}", "0804:00000409", "0804:E0010804".
struct TipChange {
    ustring tip;
    bool enable = false;
};

// What Windows must be told once the registry holds `kept` where it held `now`.
struct TakeUp {
    std::vector<TipChange> tips;
    bool defaultChanged = false;
    std::optional<ustring> defaultTip; // the restored override; nullopt: the language list
    bool reapplyLanguageList = false;
    bool switchKeys = false;
    std::optional<bool> shiftReleasesCapsLock;
    struct LanguageBar {
        bool separateIme;
        bool desktopBar;
    };
    std::optional<LanguageBar> languageBar;
};

TakeUp planTakeUp(const Snapshot& now, const Snapshot& kept);

// Writes what differs from `kept` and deletes what it did not hold, nothing else, then tells
// Windows. Nothing is written when TSF would be needed and is not there. A write that fails
// puts back what was written; the QuillonError says, in undo's words, that nothing was undone
// (or what could not be put back) and that undoing again will finish it.
void restoreSnapshot(TForm1& form, const Snapshot& kept);

} // namespace quillon::backups
