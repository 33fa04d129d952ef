// The backup folder: one configuration file per change, named by the local time of the backup
// so that the names sort in time order, its first line a comment saying what change followed.
#pragma once

#include "core/text.h"
#include "platform/platform.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillon::backups {

// How many backups are kept; the oldest go first.
inline constexpr std::size_t kKeptBackups = 50;

// "%LOCALAPPDATA%\Quillon\backups"; empty when the user has no local application-data folder.
ustring backupFolder(platform::System& system);

// "20261210-213015-123.cfg".
ustring backupName(const platform::LocalTime& time);
// The time a backup name stands for, as the window shows it ("2026-12-10 21:30:15"); nullopt
// for a name that is not a backup's (a temporary file of a write under way, a user's file).
std::optional<ustring> backupTime(ustring_view name);

// The backups in the folder, oldest first.
StringList backupNames(platform::Files& files, const ustring& folder);

// The file's bytes with the note as a comment line at the top (after the byte-order mark).
std::string withNote(std::string bytes, const ustring& note);
// The note of a backup's bytes; empty when its first line is no comment.
ustring noteOf(std::string_view bytes);

struct Written {
    bool ok = false;
    ustring reason; // why not, for the user
};

// Writes the backup under a name of its own (a later millisecond when the name is taken),
// then removes the oldest beyond the kept number.
Written writeBackup(platform::Platform& os, const std::string& bytes);

} // namespace quillon::backups
