#include "backups/backup_store.h"

#include <algorithm>

namespace quillon::backups {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kNameLength = 23; // "20261210-213015-123.cfg"

ustring digits(int value, int width) {
    std::string text = std::to_string(value);
    if (text.size() < static_cast<std::size_t>(width)) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    }
    return fromUtf8(text);
}

bool allDigits(ustring_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

ustring backupFolder(platform::System& system) {
    const ustring base = system.LocalAppData();
    return base.empty() ? ustring() : base + u"\\Quillon\\backups";
}

ustring backupName(const platform::LocalTime& t) {
    return digits(t.year, 4) + digits(t.month, 2) + digits(t.day, 2) + u"-" + digits(t.hour, 2) +
           digits(t.minute, 2) + digits(t.second, 2) + u"-" + digits(t.milliseconds, 3) + u".cfg";
}

std::optional<ustring> backupTime(ustring_view name) {
    if (name.size() != kNameLength || name[8] != u'-' || name[15] != u'-' ||
        !equalsNoCase(name.substr(19), u".cfg") || !allDigits(name.substr(0, 8)) ||
        !allDigits(name.substr(9, 6)) || !allDigits(name.substr(16, 3))) {
        return std::nullopt;
    }
    const ustring n(name);
    return n.substr(0, 4) + u"-" + n.substr(4, 2) + u"-" + n.substr(6, 2) + u" " + n.substr(9, 2) +
           u":" + n.substr(11, 2) + u":" + n.substr(13, 2);
}

StringList backupNames(platform::Files& files, const ustring& folder) {
    StringList names;
    for (ustring& name : files.FileNames(folder)) {
        if (backupTime(name)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string withNote(std::string bytes, const ustring& note) {
    ustring line = note;
    std::replace_if(
        line.begin(), line.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
    const std::size_t at =
        bytes.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 ? kByteOrderMark.size() : 0;
    bytes.insert(at, "; " + toUtf8(line) + "\r\n");
    return bytes;
}

ustring noteOf(std::string_view bytes) {
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

Written writeBackup(platform::Platform& os, const std::string& bytes) {
    const ustring folder = backupFolder(os.system);
    if (folder.empty()) {
        return Written{false, u"找不到用户的本地应用数据文件夹"};
    }
    const ustring parent = folder.substr(0, folder.rfind(u'\\'));
    if (!os.files.CreateDirectory(parent) || !os.files.CreateDirectory(folder)) {
        return Written{false, u"无法创建文件夹“" + folder + u"”"};
    }
    const StringList existing = backupNames(os.files, folder);
    // Two changes within a millisecond (a fast script) still get a name each, in their order.
    platform::LocalTime time = os.system.LocalNow();
    ustring name = backupName(time);
    while (!existing.empty() && name <= existing.back() && time.milliseconds < 999) {
        ++time.milliseconds;
        name = backupName(time);
    }
    if (std::find(existing.begin(), existing.end(), name) != existing.end()) {
        return Written{false, u"备份文件“" + folder + u"\\" + name + u"”已存在"};
    }
    const platform::FileWrite written = os.files.WriteFile(folder + u"\\" + name, bytes);
    if (!written.ok()) {
        return Written{false, written.reason};
    }
    // The newest are kept; one that cannot be removed now is removed by a later backup.
    const std::size_t count = existing.size() + 1;
    for (std::size_t i = 0; i + kKeptBackups < count; ++i) {
        os.files.DeleteFile(folder + u"\\" + existing[i]);
    }
    return Written{true, {}};
}

} // namespace quillon::backups
