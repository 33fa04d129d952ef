// TFormHelp: the help window's model, a read-only tool window with the help text.
#pragma once

#include "app/controls.h"
#include "app/tool_form.h"
#include "hotkeys/key_table.h"
#include "platform/platform.h"

namespace quillon {

enum class ModalResult { None, Close };

class TFormHelp : public ToolForm {
public:
    TFormHelp(platform::Platform os, const KeyTable& keys);

    Control Button1{u"关闭"};
    // Shows the web address as a link; `url` is what a click opens.
    Control LinkLabel1;
    ustring url;
    ModalResult modalResult = ModalResult::None;

    ModalResult ShowModal();
    void Button1Click();
    void LinkLabel1LinkClick(const ustring& link);
    // Tab and Shift+Tab move on from the text too, which as a multi-line field would keep
    // them; Escape closes; Enter in the text presses the default button 关闭.
    ToolKeyCommand keyCommand(const KeyStroke& stroke, bool inText) const;

private:
    platform::Platform os_;
};

// The help text, CR LF between lines. The modifier and key words come from the tables the
// command line converts them with.
ustring helpText(const KeyTable& keys);

} // namespace quillon
