#include "backups/backups.h"

#include "app/tform1.h"
#include "backups/backup_store.h"
#include "core/error.h"
#include "files/setup_reader.h"

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
    ustring reason;
    try {
        // An account without a profile has nowhere to keep backups: no folder, nothing to
        // read, and nothing to tell at every change.
        if (backupFolder(form.os().system).empty()) {
            return;
        }
        const std::string bytes = readSetup(form).bytes();
        const Written written =
            writeBackup(form.os(), withNote(bytes, action.note.empty() ? change : action.note));
        if (written.ok) {
            return;
        }
        reason = written.reason;
    } catch (const QuillonError& e) {
        reason = e.message();
    }
    // The window and the command line make every change inside an action; outside one there
    // is no one to tell.
    if (action.depth > 0) {
        action.failure = reason;
    }
}

void undoLastChange(TForm1& form) {
    platform::Platform& os = form.os();
    const bool commandLine = form.backupAction.commandLine;
    const ustring folder = backupFolder(os.system);
    const StringList names = folder.empty() ? StringList{} : backupNames(os.files, folder);
    if (names.empty()) {
        if (commandLine) {
            throw QuillonError(u"没有可撤销的更改。");
        }
        if (form.Changed) {
            form.Changed();
        }
        os.ui.MessageBox(u"没有可撤销的更改。", u"撤销", platform::kMbIconInformation);
        return;
    }
    const ustring path = folder + u"\\" + names.back();
    const platform::FileContent content = os.files.ReadFile(path);
    if (!content.read) {
        throw QuillonError(u"无法读取备份文件“" + path + u"”：" + content.reason);
    }
    const ustring time = *backupTime(names.back());
    const ustring note = noteOf(content.bytes);
    const ustring restored = time + u" 之前的设置" + (note.empty() ? u"" : u"（" + note + u"）");
    if (!commandLine) {
        if (form.Changed) {
            form.Changed();
        }
        const int answer = os.ui.MessageBox(u"将恢复到 " + restored + u"。是否继续？", u"撤销",
                                            platform::kMbYesNo | platform::kMbIconQuestion |
                                                platform::kMbDefButton2,
                                            platform::BoxOwner::MainWindow);
        if (answer != platform::kIdYes) {
            return;
        }
    }

    // The load walks the languages; the window comes back to the one it showed.
    const std::int32_t shown = form.mylangid;
    {
        struct Undoing {
            ActionState& action;
            explicit Undoing(ActionState& a) : action(a) { action.undoing = true; }
            ~Undoing() { action.undoing = false; }
            Undoing(const Undoing&) = delete;
            Undoing& operator=(const Undoing&) = delete;
        } undoing(form.backupAction);
        // The whole load, not only what differs: right after a move Windows may still list the
        // input methods in their old order until it has re-applied the list, and a comparison
        // would then find nothing to put back.
        form.loadcfg(path);
    }
    // Taken back: the next undo walks one change further. A file that cannot be removed
    // would be applied again by the next undo, which the user is told.
    const bool removed = os.files.DeleteFile(path);
    form.mylangid = shown;
    form.Button_RefreshClick();
    form.StatusBar1 = u"已恢复到 " + restored + u"。" +
                      (removed ? u"" : u"备份文件“" + path + u"”无法删除，请手动删除。");
    if (form.Changed) {
        form.Changed();
    }
}

} // namespace quillon::backups
