// The backup folder: one ".reg" file per change, named by a sequence number one greater than
// the highest in the folder, then the local time for people ("000123-20261211-091500.reg").
// The order is the numbers', never the clock's, which may go back. Files of the earlier form
// (a configuration file named by local time, "20261210-213015-123.cfg") are still listed,
// after every file of the new form.
#pragma once

#include "core/text.h"
#include "platform/platform.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::backups {

// How many backups are kept: the highest numbers.
inline constexpr std::size_t kKeptBackups = 50;

// "%LOCALAPPDATA%\Quillon\backups"; empty when the user has no local application-data folder.
ustring backupFolder(platform::System& system);
// The file that two processes lock in turn while one takes a number and writes its backup.
inline constexpr const char16_t* kLockName = u"backups.lock";

// "000123-20261211-091500.reg": at least six digits.
ustring backupName(std::uint64_t number, const platform::LocalTime& time);

struct BackupFile {
    ustring name;
    bool oldForm = false;     // a configuration file, undone by loading it
    std::uint64_t number = 0; // of the new form
    ustring time;             // as the window shows it: "2026-12-11 09:15:00"
};
// Nullopt for a name that is no backup's (the lock, a temporary file, a user's own file).
std::optional<BackupFile> parseBackupName(ustring_view name);
// The backups in the folder, newest first: the new form by number, then the earlier form by
// its time.
std::vector<BackupFile> backupFiles(platform::Files& files, const ustring& folder);

// The note of a backup of the earlier form: its first line, a comment; empty when there is none.
ustring oldFormNote(std::string_view bytes);

struct Written {
    bool ok = false;
    ustring reason; // why not, for the user
    ustring name;   // the file's name when written
};

// Under the folder's lock: takes the next number, writes the file, and removes the new-form
// backups beyond the kept number, lowest first.
Written writeBackup(platform::Files& files, const ustring& folder, const std::string& bytes,
                    const platform::LocalTime& now);

} // namespace quillon::backups
