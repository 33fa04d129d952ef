#include "help/tform_help.h"

#include "app/tform1.h"

namespace quillon {

TFormHelp::TFormHelp(platform::Platform os, const KeyTable& keys)
    : ToolForm(u"帮助", u"帮助文本"), LinkLabel1(kWebAddress), url(kWebAddress), os_(os) {
    Memo1 = helpText(keys);
}

ModalResult TFormHelp::ShowModal() {
    modalResult = ModalResult::None;
    showView();
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

ToolKeyCommand TFormHelp::keyCommand(const KeyStroke& stroke, bool inText) const {
    if (stroke.alt || stroke.ctrl) {
        return ToolKeyCommand::None;
    }
    switch (stroke.key) {
    case Key::Tab:
        return stroke.shift ? ToolKeyCommand::PreviousControl : ToolKeyCommand::NextControl;
    case Key::Escape:
        return ToolKeyCommand::Close;
    case Key::Enter:
        return inText && !stroke.shift ? ToolKeyCommand::Close : ToolKeyCommand::None;
    default:
        return ToolKeyCommand::None;
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
