// The default input method: a chosen row, or the language list.
#include "app/tform1.h"
#include "backups/backups.h"
#include "operations/row_values.h"

namespace quillon {

void TForm1::DefaultClick() {
    requireCompleteLists();
    const int i = ListView1.selected;
    if (i < 0 || i >= ListView1.count()) {
        return;
    }
    const ustring tip =
        defaultInputMethodTip(ListView1.rows[static_cast<std::size_t>(i)], mylangid);
    backups::beforeChange(*this, u"设置默认输入法“" +
                                     ListView1.rows[static_cast<std::size_t>(i)].name + u"”");
    os().processes.ShellExecute(u"open", PowerShellPath(),
                                u"-command \"& {Set-WinDefaultInputMethodOverride '" + tip + u"'}",
                                platform::kSwHide);
    std::swap(ListView1.rows[0], ListView1.rows[static_cast<std::size_t>(i)]);
    defime = 0;
    ListView1Change();
    commitAfter(u"默认输入法已设置为“" + ListView1.rows[0].name + u"”");
}

void TForm1::N4Click() {
    requireCompleteLists();
    backups::beforeChange(*this, u"使用语言列表");
    os().processes.ShellExecute(u"open", PowerShellPath(),
                                u"-command \"& {Set-WinDefaultInputMethodOverride}\"",
                                platform::kSwHide);
    defime = -1;
    ListView1Change();
    commitAfter(u"默认输入法已改为使用语言列表");
}

} // namespace quillon
