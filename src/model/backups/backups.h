// Backups before every change, and undo: the two entry points the window and the command line
// call, and the scope of one user action.
#pragma once

#include "core/text.h"

namespace quillon {
class TForm1;
}

namespace quillon::backups {

// One user action (a window event, a command-line run, a load): changes made while it is open
// share one backup, made before the first. Nested actions belong to the outermost; one opened
// before any change gives it its note and marks it a command-line run. When the outermost
// ends, a backup that could not be made is told in the status bar (a command-line run goes on
// silently).
class UserAction {
public:
    // `note` names the action in its backup; empty to take the first change's own name.
    explicit UserAction(TForm1& form, ustring note = {}, bool commandLine = false);
    ~UserAction();
    UserAction(const UserAction&) = delete;
    UserAction& operator=(const UserAction&) = delete;

private:
    TForm1& form_;
    bool outermost_;
};

// Called before the first write of every change to Windows' settings, `change` naming it.
// Keeps every key and value of the written-keys table (operations/written_keys.h) in a new
// backup, once per user action; a backup that cannot be made never stops the change, and it
// reads nothing but the registry, so that the change finds Windows as it was.
void beforeChange(TForm1& form, const ustring& change);

// Takes back the change of the newest backup and removes it: a backup of the current form is
// put back by difference (restore.h); one of the earlier form, a configuration file, is loaded.
// A newest backup that cannot be read is passed over, named, and left in place. The window
// asks first and tells when there is nothing to undo; the command line does neither and fails
// with "没有可撤销的更改。". A later change of the same action makes a backup of its own.
void undoLastChange(TForm1& form);

} // namespace quillon::backups
