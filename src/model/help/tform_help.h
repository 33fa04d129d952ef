// TFormHelp: the help window's model. It lives for the whole run and is only ever shown
// modally; its text can be read, scrolled and copied, not changed.
#pragma once

#include "app/controls.h"
#include "app/keyboard.h"
#include "hotkeys/key_table.h"
#include "platform/platform.h"

#include <functional>

namespace quillon {

enum class ModalResult { None, Close };

// What a key does in the help window before the control with the focus sees it.
enum class HelpKeyCommand { None, Close, NextControl, PreviousControl };

class TFormHelp {
public:
    TFormHelp(platform::Platform os, const KeyTable& keys);

    ustring Caption = u"帮助";
    // The help text, lines separated by CR LF as the multi-line field holds them; read-only.
    ustring Memo1;
    // What assistive technology calls the text, which no label names.
    ustring Memo1Name = u"帮助文本";
    Control Button1{u"关闭"};
    // Shows the web address as a link; `url` is what a click opens.
    Control LinkLabel1;
    ustring url;
    ModalResult modalResult = ModalResult::None;

    // Set by the view: shows the window and returns once it is closed.
    std::function<void()> ShowModalView;

    ModalResult ShowModal();
    void Button1Click();
    void LinkLabel1LinkClick(const ustring& link);
    // Tab and Shift+Tab move on from the text too, which as a multi-line field would keep
    // them; Escape closes; Enter in the text presses the default button 关闭.
    HelpKeyCommand keyCommand(const KeyStroke& stroke, bool inText) const;

private:
    platform::Platform os_;
};

// The help text, CR LF between lines. The modifier and key words come from the tables the
// command line converts them with.
ustring helpText(const KeyTable& keys);

} // namespace quillon
