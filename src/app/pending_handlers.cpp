// Handlers whose subsystems are not built yet: the controls exist and do nothing.
#include "app/tform1.h"

namespace quillon {

void TForm1::SpeedButton1Click() {}
void TForm1::ShowHelp() {}

void TForm1::ReadParam(const StringList& paramlist) {
    if (paramlist.size() < 2) {
        return;
    }
    ShowMainForm = false;
    os().ui.Terminate();
}

} // namespace quillon
