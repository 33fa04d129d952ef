#include "drift/tform_drift.h"

#include "app/tform1.h"
#include "drift/drift_commands.h"
#include "files/config_file.h"
#include "files/open_dialog_uses.h"

namespace quillon {

namespace {

// The window's own labels for the file's keys, without their colons.
DriftWording wordingOf(const TForm1& form) {
    const auto label = [](const Control& control) {
        ustring text = control.caption;
        while (!text.empty() && (text.back() == u'：' || text.back() == u' ')) {
            text.pop_back();
        }
        while (!text.empty() && text.front() == u' ') {
            text.erase(0, 1);
        }
        return text;
    };
    DriftWording wording;
    wording.languageCodes = form.lang.code;
    wording.languageNames = form.lang.text;
    wording.labels = {
        {u"_list", label(form.GroupBox1)},
        {u"layout", label(form.Label1)},
        {u"language", label(form.Label2)},
        {u"CAPS", label(form.Label3)},
        // The toggle keys by the button each is shown on.
        {kToggleKeys[0], label(form.Label_SW1)},
        {kToggleKeys[1], label(form.Label_SW2)},
        {kToggleKeys[2], label(form.Label_SW3)},
        {u"SwitchMode", label(form.CheckBox1)},
        {u"LanguageBar", label(form.CheckBox2)},
        {u"InputEmoji", label(form.CheckBox3)},
        {u"DefaultIME", u"默认输入法"},
    };
    return wording;
}

} // namespace

TFormDrift::Result TFormDrift::ShowModal(const ustring& filename, const ConfigDrift& drift,
                                         const DriftWording& wording) {
    Memo1 = u"配置文件：" + filename + u"\r\n\r\n";
    StringList lines;
    for (const ustring& line : drift.differences) {
        lines.push_back(windowLine(line, wording));
    }
    if (lines.empty()) {
        lines.push_back(u"与配置文件一致。");
    }
    for (const ustring& line : drift.cannotHold) {
        lines.push_back(windowLine(line, wording));
    }
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
    if (FormDrift->ShowModal(filename, drift, wordingOf(*this)) != TFormDrift::Result::Apply) {
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
