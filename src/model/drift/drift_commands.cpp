#include "drift/drift_commands.h"

#include "app/form_values.h"
#include "app/tform1.h"
#include "cli/command_table.h"
#include "core/error.h"
#include "core/items.h"
#include "files/config_apply.h"
#include "files/config_file.h"
#include "files/setup_reader.h"

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

// The report of a check that could not be made: a script that reads it never finds an
// earlier "一致" there.
std::string errorReportBytes(const ustring& message) {
    std::string bytes = "\xEF\xBB\xBF" + toUtf8(u"无法检查：") + "\r\n";
    std::string line;
    for (const char c : toUtf8(message)) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) {
                bytes += line + "\r\n";
            }
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        bytes += line + "\r\n";
    }
    return bytes;
}

// Replaces the report with the error, or removes it when it cannot be written; says so when
// neither could be done.
QuillonError reportedError(TForm1& form, const ustring& report, const QuillonError& error) {
    platform::Files& files = form.os().files;
    if (files.WriteFile(report, errorReportBytes(error.message())).ok() ||
        files.DeleteFile(report) || !files.FileExists(report)) {
        return error;
    }
    return QuillonError(error.message() + u"\r" + report +
                        u"\r无法写入或删除报告文件，其内容已过时。");
}

} // namespace

ConfigDrift checkConfig(TForm1& form, const ustring& filename) {
    form.waitForLanguageNames();
    platform::Files& files = form.os().files;
    if (!files.FileExists(filename)) {
        throw QuillonError(u"配置文件“" + filename + u"”不存在。");
    }
    const platform::FileContent content = files.ReadFile(filename);
    if (!content.read) {
        throw QuillonError(u"无法读取配置文件“" + filename + u"”：" + content.reason);
    }
    const ConfigFile config = readConfig(content.bytes, form.lang.code, form.scancode);
    if (config.problem) {
        throw QuillonError(configProblemMessage(filename, *config.problem, u"未做任何比较或更改"));
    }
    const IniDocument machine =
        readSetup(form.os(), form.lang.code, form.scancode, otherSettingsShown(form));
    return compareSetup(config.document, machine, form.lang.code, form.scancode);
}

void checkcfgCommand(TForm1& form, const ustring& value) {
    const StringList items = splitStrict(value, u',');
    if (items.empty() || items.size() > 2) {
        throw QuillonError(u"checkcfg: 需要配置文件名，或以“,”分隔的配置文件名和报告文件名。");
    }
    const ustring filename = absolutePath(form, items[0]);
    const std::optional<ustring> report =
        items.size() == 2 ? std::optional<ustring>(absolutePath(form, items[1])) : std::nullopt;
    if (report && equalsNoCase(*report, filename)) {
        throw QuillonError(*report + u"\r报告文件不能是配置文件本身。");
    }
    // Said before the languages are read, not after.
    if (report && !form.os().files.DirectoryExists(folderOf(*report))) {
        throw QuillonError(*report + u"\r报告文件的文件夹不存在。");
    }

    ConfigDrift drift;
    try {
        drift = checkConfig(form, filename);
    } catch (const QuillonError& e) {
        if (report) {
            throw reportedError(form, *report, e);
        }
        throw;
    }
    if (report && !form.os().files.WriteFile(*report, driftReportBytes(drift)).ok()) {
        throw reportedError(form, *report, QuillonError(*report + u"\r无法写入报告文件！"));
    }
    // A file this machine cannot hold whole, but holds as far as it can, is told apart from
    // one that differs: an apply would change nothing.
    if (!drift.holds()) {
        if (form.ExitCode == 0 || form.ExitCode == 3) {
            form.ExitCode = 2;
        }
    } else if (!drift.cannotHold.empty() && form.ExitCode == 0) {
        form.ExitCode = 3;
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
