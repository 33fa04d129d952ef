#include "backups/backups.h"

#include "app/tform1.h"
#include "backups/backup_store.h"
#include "backups/reg_file.h"
#include "backups/restore.h"
#include "backups/snapshot.h"
#include "core/error.h"
#include "platform/key_reads.h"

namespace quillon::backups {

namespace {

void tellNoBackup(TForm1& form, const ustring& reason) {
    form.StatusBar1 = u"未能备份更改前的设置（" + reason + u"），此次更改无法撤销。";
    if (form.Changed) {
        form.Changed();
    }
}

} // namespace

UserAction::UserAction(TForm1& form, ustring note, bool commandLine)
    : form_(form), outermost_(form.backupAction.depth == 0) {
    ActionState& action = form_.backupAction;
    if (outermost_) {
        action = ActionState{};
        action.note = std::move(note);
        action.commandLine = commandLine;
    } else if (!action.backedUp) {
        // The window's start runs the command line inside its own event: the run still names
        // the backup and answers for itself.
        if (action.note.empty()) {
            action.note = std::move(note);
        }
        action.commandLine = action.commandLine || commandLine;
    }
    ++action.depth;
}

UserAction::~UserAction() {
    ActionState& action = form_.backupAction;
    --action.depth;
    if (!outermost_) {
        return;
    }
    const std::optional<ustring> failure = std::move(action.failure);
    const bool commandLine = action.commandLine;
    action = ActionState{};
    if (failure && !commandLine) {
        tellNoBackup(form_, *failure);
    }
}

void beforeChange(TForm1& form, const ustring& change) {
    ActionState& action = form.backupAction;
    if (action.undoing || action.backedUp) {
        return;
    }
    // Outside an action every change is one: it is backed up, and the next one again.
    action.backedUp = action.depth > 0;
    platform::Platform& os = form.os();
    ustring reason;
    try {
        const ustring folder = backupFolder(os.system);
        if (folder.empty()) {
            reason = u"找不到用户的本地应用数据文件夹（LOCALAPPDATA）";
        } else {
            platform::KeyReads reads(os.registry, platform::Hive::CurrentUser);
            const std::string bytes = writeRegFile(
                toRegFile(takeSnapshot(reads), action.note.empty() ? change : action.note));
            const Written written = writeBackup(os.files, folder, bytes, os.system.LocalNow());
            if (written.ok) {
                return;
            }
            reason = written.reason;
        }
    } catch (const QuillonError& e) {
        reason = e.message();
    }
    // The window and the command line make every change inside an action; outside one there
    // is no one to tell.
    if (action.depth > 0) {
        action.failure = reason;
    }
}

namespace {

// The newest backup that can be read, and what was passed over on the way to it.
struct Found {
    std::optional<BackupFile> file;
    std::optional<Snapshot> snapshot; // for one of the current form
    ustring note;
    StringList skipped; // "“path”（why）"
};

Found newestReadable(platform::Files& files, const ustring& folder) {
    Found found;
    for (const BackupFile& file : backupFiles(files, folder)) {
        const ustring path = folder + u"\\" + file.name;
        const platform::FileContent content = files.ReadFile(path);
        if (!content.read) {
            found.skipped.push_back(u"“" + path + u"”（" + content.reason + u"）");
            continue;
        }
        if (file.oldForm) {
            found.note = oldFormNote(content.bytes);
            found.file = file;
            return found;
        }
        const RegFileRead read = readRegFile(content.bytes);
        ustring problem = read.problem;
        if (read.file) {
            found.snapshot = fromRegFile(*read.file, problem);
        }
        if (!found.snapshot) {
            found.skipped.push_back(u"“" + path + u"”（" + problem + u"）");
            continue;
        }
        found.note = read.file->note;
        found.file = file;
        return found;
    }
    return found;
}

ustring joined(const StringList& items) {
    ustring out;
    for (const ustring& item : items) {
        out += (out.empty() ? u"" : u"、") + item;
    }
    return out;
}

} // namespace

void undoLastChange(TForm1& form) {
    platform::Platform& os = form.os();
    const bool commandLine = form.backupAction.commandLine;
    const ustring folder = backupFolder(os.system);
    const Found found = folder.empty() ? Found{} : newestReadable(os.files, folder);
    const ustring skipped = found.skipped.empty()
                                ? ustring()
                                : u"备份文件" + joined(found.skipped) + u"无法读取，已跳过并保留。";
    if (!found.file) {
        if (!skipped.empty()) {
            throw QuillonError(skipped + u"没有其它可撤销的更改。");
        }
        if (commandLine) {
            throw QuillonError(u"没有可撤销的更改。");
        }
        if (form.Changed) {
            form.Changed();
        }
        os.ui.MessageBox(u"没有可撤销的更改。", u"撤销", platform::kMbIconInformation);
        return;
    }
    const BackupFile& file = *found.file;
    const ustring path = folder + u"\\" + file.name;
    const ustring restored =
        file.time + u" 之前的设置" + (found.note.empty() ? u"" : u"（" + found.note + u"）");
    if (!commandLine) {
        if (form.Changed) {
            form.Changed();
        }
        const ustring question =
            (skipped.empty() ? ustring() : skipped + u"\r") + u"将恢复到 " + restored + u"。" +
            (file.oldForm ? u"这是旧版程序的备份（配置文件），将以导入配置的方式恢复，可能改写其中"
                            u"所有语言的设置。"
                          : u"") +
            u"是否继续？";
        const int answer = os.ui.MessageBox(question, u"撤销",
                                            platform::kMbYesNo | platform::kMbIconQuestion |
                                                platform::kMbDefButton2,
                                            platform::BoxOwner::MainWindow);
        if (answer != platform::kIdYes) {
            return;
        }
    }

    const std::int32_t shown = form.mylangid;
    if (file.oldForm) {
        struct Undoing {
            ActionState& action;
            explicit Undoing(ActionState& a) : action(a) { action.undoing = true; }
            ~Undoing() { action.undoing = false; }
            Undoing(const Undoing&) = delete;
            Undoing& operator=(const Undoing&) = delete;
        } undoing(form.backupAction);
        // The load walks the languages; the window comes back to the one it showed.
        form.loadcfg(path);
    } else {
        restoreSnapshot(form, *found.snapshot);
    }
    // Taken back: the next undo walks one change further, and a later change of this action
    // is one of its own. A file that cannot be removed would be applied again by the next
    // undo, which the user is told.
    form.backupAction.backedUp = false;
    const bool removed = os.files.DeleteFile(path);
    form.mylangid = shown;
    form.Button_RefreshClick();
    form.StatusBar1 = skipped + u"已恢复到 " + restored + u"。" +
                      (removed ? u"" : u"备份文件“" + path + u"”无法删除，请手动删除。");
    if (form.Changed) {
        form.Changed();
    }
}

} // namespace quillon::backups
