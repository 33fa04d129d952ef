// The check of the machine against a configuration file and the apply of what differs, as the
// command line and the window call them.
#pragma once

#include "core/text.h"
#include "drift/config_drift.h"

namespace quillon {

class TForm1;

// Reads the file by the load's rules and the machine by `readSetup`, for the window's installed
// languages, and compares them. QuillonError when the file is missing, unreadable or not a
// valid configuration, or a language cannot be read.
ConfigDrift checkConfig(TForm1& form, const ustring& filename);

// "checkcfg:": the value is the file's name, or the file's and the report's, as strict items at
// ","; both are made absolute. Changes nothing in Windows. With a report, its lines are written
// to it whole or not at all. A difference sets the run's exit status to 2; a missing or invalid
// file, a bad name or a report that cannot be written is a QuillonError.
void checkcfgCommand(TForm1& form, const ustring& value);

// "applycfg:": the value is the file's name, made absolute; `applyDifferences` of it.
void applycfgCommand(TForm1& form, const ustring& value);

// The load of `filename` (a full path) limited to what differs from the machine: nothing is
// written, committed or started, and nothing is waited for, when the machine holds the file.
// Returns the comparison it applied. QuillonError as `checkConfig`, and as the load.
ConfigDrift applyDifferences(TForm1& form, const ustring& filename);

} // namespace quillon
