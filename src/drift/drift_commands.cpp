#include "drift/drift_commands.h"

#include "app/tform1.h"
#include "cli/command_table.h"
#include "core/error.h"
#include "core/items.h"
#include "files/config_apply.h"

namespace quillon {

namespace {

ustring absolutePath(TForm1& form, const ustring& item) {
    const ustring name = trimControls(item);
    const auto full = name.empty() ? std::nullopt : form.os().files.FullPathName(name);
    if (!full) {
        throw QuillonError(u"文件名“" + name + u"”无效。");
    }
    return *full;
}

// Everything up to and including the last "\\" or ":".
ustring folderOf(const ustring& path) {
    const std::size_t last = path.find_last_of(u"\\:");
    return last == ustring::npos ? ustring() : path.substr(0, last + 1);
}

} // namespace

void checkcfgCommand(TForm1& form, const ustring& value) {
    const StringList items = splitStrict(value, u',');
    if (items.empty() || items.size() > 2) {
        throw QuillonError(u"checkcfg: 需要配置文件名，或以“,”分隔的配置文件名和报告文件名。");
    }
    const ustring filename = absolutePath(form, items[0]);
    const std::optional<ustring> report =
        items.size() == 2 ? std::optional<ustring>(absolutePath(form, items[1])) : std::nullopt;
    // Said before the languages are read, not after.
    if (report && !form.os().files.DirectoryExists(folderOf(*report))) {
        throw QuillonError(*report + u"\r报告文件的文件夹不存在。");
    }

    const ConfigDrift drift = checkConfig(form, filename);
    if (report && !form.os().files.WriteFile(*report, driftReportBytes(drift)).ok()) {
        throw QuillonError(*report + u"\r无法写入报告文件！");
    }
    if (!drift.holds() && form.ExitCode == 0) {
        form.ExitCode = 2;
    }
}

void applycfgCommand(TForm1& form, const ustring& value) {
    applyDifferences(form, absolutePath(form, value));
}

ConfigDrift applyDifferences(TForm1& form, const ustring& filename) {
    // The languages as the check saw them; the walk refreshes the list.
    const StringList languages = form.lang.code;
    ConfigDrift drift = checkConfig(form, filename);
    if (!drift.holds()) {
        applyConfigDocument(form, drift.toApply, languages, filename, LoadScope::Differences);
    }
    return drift;
}

} // namespace quillon
