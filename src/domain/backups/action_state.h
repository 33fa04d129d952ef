// What the window's model keeps of the user action under way, for its backup: the one piece of
// state the backups need, owned by TForm1 like every other.
#pragma once

#include "core/text.h"

#include <optional>

namespace quillon::backups {

struct ActionState {
    // Nesting depth of the open actions; 0 when none is open, and then every change is an
    // action of its own.
    int depth = 0;
    // The action's backup is made (or was tried): later changes of the action make none.
    bool backedUp = false;
    // An undo is applying a backup: it makes none.
    bool undoing = false;
    // A command-line run: a backup that fails is not reported.
    bool commandLine = false;
    // What the action is called in its backup; empty to take the first change's own name.
    ustring note;
    // Why the backup could not be made, to be told when the action ends.
    std::optional<ustring> failure;
};

} // namespace quillon::backups
