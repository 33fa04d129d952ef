#include "drift/tform_drift.h"

#include "app/tform1.h"
#include "drift/drift_commands.h"
#include "files/open_dialog_uses.h"

namespace quillon {

TFormDrift::Result TFormDrift::ShowModal(const ustring& filename, const ConfigDrift& drift) {
    Memo1 = u"配置文件：" + filename + u"\r\n\r\n";
    StringList lines = drift.differences;
    if (lines.empty()) {
        lines.push_back(u"与配置文件一致。");
    }
    lines.insert(lines.end(), drift.cannotHold.begin(), drift.cannotHold.end());
    lines.insert(lines.end(), drift.notInstalled.begin(), drift.notInstalled.end());
    for (const ustring& line : lines) {
        Memo1 += line + u"\r\n";
    }
    Button_Apply.enabled = !drift.holds();
    // The close box ends the window like the close button.
    modalResult = Result::Close;
    if (ShowModalView) {
        ShowModalView();
    }
    return modalResult;
}

void TFormDrift::Button_ApplyClick() {
    if (Button_Apply.enabled) {
        modalResult = Result::Apply;
    }
}

void TFormDrift::Button_CloseClick() {
    modalResult = Result::Close;
}

void TForm1::CheckCfgClick() {
    if (!FormDrift || !chooseFile(*this, u"检查配置差异", kConfigExtension, kConfigFilter)) {
        return;
    }
    const ustring filename = OpenDialog1.FileName;
    const ConfigDrift drift = checkConfig(*this, filename);
    changed();
    if (FormDrift->ShowModal(filename, drift) != TFormDrift::Result::Apply) {
        return;
    }
    const int answer = os().ui.MessageBox(
        u"把配置文件“" + filename + u"”中与本机不同的 " +
            fromUtf8(std::to_string(drift.differences.size())) + u" 处设置应用到本机吗？",
        u"确认", platform::kMbYesNo | platform::kMbIconQuestion | platform::kMbDefButton2);
    if (answer == platform::kIdYes) {
        // Compared afresh: the machine may have changed while the window was open.
        applyDifferences(*this, filename);
    }
}

} // namespace quillon
