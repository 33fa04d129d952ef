// The commands the start carries out itself rather than the command pass.
#include "app/tform1.h"
#include "backups/backups.h"

namespace quillon {

namespace {

const char16_t* const kReapplyCommand =
    u"-command \"& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}\"";

} // namespace

void TForm1::reapplyLanguageList(const ustring& word) {
    // Windows rewrites the language list's keys from the list: a change too.
    const backups::UserAction action(*this, u"命令行 /" + word, true);
    backups::beforeChange(*this, {});
    os().processes.ShellExecute(u"open", PowerShellPath(), kReapplyCommand, platform::kSwHide);
}

void TForm1::removeEnglishLayout() {
    const backups::UserAction action(*this, u"命令行 /remove_eng", true);
    backups::beforeChange(*this, {});
    os().layouts.UnloadKeyboardLayout(0x409);
    Minimized = true;
    Button_RefreshClick();
}

} // namespace quillon
