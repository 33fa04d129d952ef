// TFormHelp: the help window's model. It lives for the whole run, is only ever shown modally,
// and keeps what the user typed into its text until the program ends (nothing is saved).
#pragma once

#include "app/controls.h"
#include "hotkeys/key_table.h"
#include "platform/platform.h"

#include <functional>

namespace quillon {

enum class ModalResult { None, Close };

class TFormHelp {
public:
    TFormHelp(platform::Platform os, const KeyTable& keys);

    ustring Caption = u"帮助";
    // The help text, lines separated by CR LF as the multi-line field holds them.
    ustring Memo1;
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

private:
    platform::Platform os_;
};

// The help text, CR LF between lines. The modifier and key words come from the tables the
// command line converts them with.
ustring helpText(const KeyTable& keys);

} // namespace quillon
