// The command table of the command line: which argument is which command, and its value.
#pragma once

#include "core/text.h"

#include <optional>

namespace quillon {

enum class Command {
    Caps,
    Shift,
    Bar0,
    Bar1,
    Emoji0,
    Emoji1,
    Alone0,
    Alone1,
    Layout,
    Lang,
    AddNum,
    AddName,
    DelNum,
    DelName,
    DelAll,
    MoveNum,
    MoveName,
    LangList,
    DefaultNum,
    DefaultName,
    HotkeyNum,
    HotkeyName,
    SwitchKey,
    ExportEnabledList,
    ExportDisabledList,
    SaveCfg,
    LoadCfg,
    CheckCfg,
    ApplyCfg,
    Undo,
};

struct Argument {
    Command command;
    // Number and list commands: the lower-cased text after the first ":" (all of it without
    // one); file commands: the same, trimmed; name commands: the text after the first ":" as
    // written; "layout" and "lang:": the last character alone; others: empty.
    ustring value;
};

// Characters up to U+0020 removed from both ends.
ustring trimControls(ustring_view text);

// The command one argument (a piece between two "/", as written) names, tested against the
// table in its order; nullopt for an argument that names none. Pure: safe on any input.
std::optional<Argument> matchArgument(ustring_view piece);

// The item of the switching-key combo box ("Alt+Shift", "Ctrl+Shift", "禁用", "`") a digit
// selects for "layout" (`forLanguage` false) or "lang:" (true).
int switchKeyItem(int digit, bool forLanguage);

} // namespace quillon
