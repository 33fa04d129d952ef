// The main window's one open-file dialog object. Each use sets its title, default extension
// and filter; the name chosen last is offered as the initial name next time, whatever the use.
#pragma once

#include "platform/services.h"

namespace quillon::platform {

struct OpenDialog {
    ustring Title;
    ustring DefaultExt; // without the dot
    ustring Filter;     // "描述|*.ext|描述|*.*"
    ustring FileName;   // the full path chosen last

    // Shows the dialog; true with `FileName` set when the user chose a file.
    bool Execute(Ui& ui) {
        auto chosen = ui.OpenFileDialog(FileDialogRequest{Title, Filter, DefaultExt, FileName});
        if (!chosen) {
            return false;
        }
        FileName = std::move(*chosen);
        return true;
    }
};

} // namespace quillon::platform
