#include "help/tform_help.h"

#include "app/tform1.h"

namespace quillon {

TFormHelp::TFormHelp(platform::Platform os, const KeyTable& keys)
    : Memo1(helpText(keys)), LinkLabel1(kWebAddress), url(kWebAddress), os_(os) {}

ModalResult TFormHelp::ShowModal() {
    modalResult = ModalResult::None;
    if (ShowModalView) {
        ShowModalView();
    }
    // The close box ends the window like the button.
    if (modalResult == ModalResult::None) {
        modalResult = ModalResult::Close;
    }
    return modalResult;
}

void TFormHelp::Button1Click() {
    modalResult = ModalResult::Close;
}

void TFormHelp::LinkLabel1LinkClick(const ustring& link) {
    os_.processes.ShellExecute(u"", link, u"", platform::kSwShowNormal);
}

HelpKeyCommand TFormHelp::keyCommand(const KeyStroke& stroke, bool inText) const {
    if (stroke.alt || stroke.ctrl) {
        return HelpKeyCommand::None;
    }
    switch (stroke.key) {
    case Key::Tab:
        return stroke.shift ? HelpKeyCommand::PreviousControl : HelpKeyCommand::NextControl;
    case Key::Escape:
        return HelpKeyCommand::Close;
    case Key::Enter:
        return inText && !stroke.shift ? HelpKeyCommand::Close : HelpKeyCommand::None;
    default:
        return HelpKeyCommand::None;
    }
}

void TForm1::ShowHelp() {
    if (FormHelp) {
        FormHelp->ShowModal();
    }
}

void TForm1::SpeedButton1Click() {
    ShowHelp();
}

} // namespace quillon
