// Handlers whose subsystems are not built yet: the controls exist and do nothing.
#include "app/tform1.h"

namespace quillon {

void TForm1::Button_FixClick() {}
void TForm1::Button_UpClick() {}
void TForm1::Button_DownClick() {}
void TForm1::Button_EnableClick() {}
void TForm1::Button_DisableClick() {}
void TForm1::Button_DELClick() {}
void TForm1::Button_HotkeyClick() {}
void TForm1::ListView1DblClick() {}
void TForm1::ListView2DblClick() {}
void TForm1::DefaultClick() {}
void TForm1::N4Click() {}
void TForm1::ComboBox1Change() {}
void TForm1::ComboBox2Change() {}
void TForm1::ComboBox3Change() {}
void TForm1::Button_SWClick(int /*which*/) {}
void TForm1::CheckBox1Click() {}
void TForm1::CheckBox3Click() {}
void TForm1::SpeedButton1Click() {}
void TForm1::RemoveEnglishClick() {}
void TForm1::ExportEnabledClick() {}
void TForm1::ExportDisabledClick() {}
void TForm1::SaveConfigClick() {}
void TForm1::LoadConfigClick() {}
void TForm1::BuildKeyTable() {}
void TForm1::ShowHelp() {}

void TForm1::ReadParam(const StringList& paramlist) {
    if (paramlist.size() < 2) {
        return;
    }
    ShowMainForm = false;
    os().ui.Terminate();
}

} // namespace quillon
