#include "backups/backup_store.h"

#include <algorithm>

namespace quillon::backups {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kOldNameLength = 23; // "20261210-213015-123.cfg"
constexpr std::size_t kNumberDigits = 6;
constexpr std::size_t kMostDigits = 18; // what a 64-bit number holds whatever its digits

ustring digits(std::uint64_t value, std::size_t width) {
    std::string text = std::to_string(value);
    if (text.size() < width) {
        text.insert(0, width - text.size(), '0');
    }
    return fromUtf8(text);
}

bool allDigits(ustring_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

// "20261210" and "213015" as "2026-12-10 21:30:15".
ustring shownTime(ustring_view date, ustring_view time) {
    const ustring d(date);
    const ustring t(time);
    return d.substr(0, 4) + u"-" + d.substr(4, 2) + u"-" + d.substr(6, 2) + u" " + t.substr(0, 2) +
           u":" + t.substr(2, 2) + u":" + t.substr(4, 2);
}

} // namespace

ustring backupFolder(platform::System& system) {
    const ustring base = system.LocalAppData();
    return base.empty() ? ustring() : base + u"\\Quillon\\backups";
}

ustring backupName(std::uint64_t number, const platform::LocalTime& t) {
    return digits(number, kNumberDigits) + u"-" + digits(t.year, 4) + digits(t.month, 2) +
           digits(t.day, 2) + u"-" + digits(t.hour, 2) + digits(t.minute, 2) + digits(t.second, 2) +
           u".reg";
}

std::optional<BackupFile> parseBackupName(ustring_view name) {
    BackupFile file;
    file.name = ustring(name);
    if (name.size() == kOldNameLength && name[8] == u'-' && name[15] == u'-' &&
        equalsNoCase(name.substr(19), u".cfg") && allDigits(name.substr(0, 8)) &&
        allDigits(name.substr(9, 6)) && allDigits(name.substr(16, 3))) {
        file.oldForm = true;
        file.time = shownTime(name.substr(0, 8), name.substr(9, 6));
        return file;
    }
    // number "-" date "-" time ".reg"
    const std::size_t dash = name.find(u'-');
    if (dash == ustring_view::npos || dash < kNumberDigits || dash > kMostDigits ||
        name.size() != dash + 1 + 8 + 1 + 6 + 4 || name[dash + 9] != u'-' ||
        !equalsNoCase(name.substr(name.size() - 4), u".reg") || !allDigits(name.substr(0, dash)) ||
        !allDigits(name.substr(dash + 1, 8)) || !allDigits(name.substr(dash + 10, 6))) {
        return std::nullopt;
    }
    file.number = std::stoull(toUtf8(name.substr(0, dash)));
    file.time = shownTime(name.substr(dash + 1, 8), name.substr(dash + 10, 6));
    return file;
}

std::vector<BackupFile> backupFiles(platform::Files& files, const ustring& folder) {
    std::vector<BackupFile> found;
    for (const ustring& name : files.FileNames(folder)) {
        if (auto file = parseBackupName(name)) {
            found.push_back(std::move(*file));
        }
    }
    std::sort(found.begin(), found.end(), [](const BackupFile& a, const BackupFile& b) {
        if (a.oldForm != b.oldForm) {
            return !a.oldForm;
        }
        return a.oldForm ? a.name > b.name : a.number > b.number;
    });
    return found;
}

ustring oldFormNote(std::string_view bytes) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    const std::string_view line = bytes.substr(0, bytes.find_first_of("\r\n"));
    if (line.empty() || line.front() != ';') {
        return {};
    }
    ustring note = fromUtf8(line.substr(1));
    const std::size_t first = note.find_first_not_of(u' ');
    return first == ustring::npos ? ustring() : note.substr(first);
}

Written writeBackup(platform::Files& files, const ustring& folder, const std::string& bytes,
                    const platform::LocalTime& now) {
    const ustring parent = folder.substr(0, folder.rfind(u'\\'));
    if (!files.CreateDirectory(parent) || !files.CreateDirectory(folder)) {
        return Written{false, u"无法创建文件夹“" + folder + u"”", {}};
    }
    const platform::LockedFile locked = files.LockFile(folder + u"\\" + kLockName);
    if (!locked.lock) {
        return Written{
            false, u"无法锁定文件“" + folder + u"\\" + kLockName + u"”：" + locked.reason, {}};
    }
    std::vector<BackupFile> existing = backupFiles(files, folder);
    existing.erase(std::remove_if(existing.begin(), existing.end(),
                                  [](const BackupFile& file) { return file.oldForm; }),
                   existing.end());
    const std::uint64_t next = existing.empty() ? 1 : existing.front().number + 1;
    const ustring name = backupName(next, now);
    const platform::FileWrite written = files.WriteFile(folder + u"\\" + name, bytes);
    if (!written.ok()) {
        return Written{false, written.reason, {}};
    }
    // The highest numbers are kept, the new one among them; one that cannot be removed now is
    // removed by a later backup.
    for (std::size_t i = kKeptBackups - 1; i < existing.size(); ++i) {
        files.DeleteFile(folder + u"\\" + existing[i].name);
    }
    return Written{true, {}, name};
}

} // namespace quillon::backups
