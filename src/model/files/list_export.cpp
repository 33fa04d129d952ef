// Exporting the names of the enabled or the disabled list as a text file.
#include "app/tform1.h"
#include "core/error.h"
#include "files/open_dialog_uses.h"

namespace quillon {

namespace {

void exportList(TForm1& form, const ListView& list) {
    if (!chooseFile(form, u"导出输入法列表", kListExtension, kListFilter)) {
        return;
    }
    form.writeListFile(list, form.OpenDialog1.FileName);
}

} // namespace

void TForm1::writeListFile(const ListView& list, const ustring& filename) {
    ustring text;
    for (const InputMethodEntry& row : list.rows) {
        text += row.name;
        text += u"\r\n";
    }
    // The system's ANSI code page, with its default character for what it cannot hold.
    const platform::FileWrite written =
        os().files.WriteFile(filename, os().system.TextToAnsi(text));
    if (!written.ok()) {
        throw QuillonError(u"无法创建文件“" + filename + u"”。" + written.reason);
    }
}

void TForm1::N8Click() {
    exportList(*this, ListView1);
}

void TForm1::N11Click() {
    exportList(*this, ListView2);
}

} // namespace quillon
