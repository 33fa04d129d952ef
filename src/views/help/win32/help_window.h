// The Win32 view of TFormHelp: the help text, the web address as a link and the close button
// in a tool window.
#pragma once

#include "help/tform_help.h"
#include "ui/win32/tool_window.h"

namespace quillon::win32view {

class HelpWindow : public ToolWindow {
public:
    HelpWindow(TFormHelp& form, HINSTANCE instance, HWND owner);

private:
    void createControls() override;
    void layout() override;
    void fontChanged() override;
    void onCommand(int id, int code) override;
    void onNotify(const NMHDR& header) override;
    ToolKeyCommand keyCommand(const KeyStroke& stroke, bool inText) const override;
    void cancel() override;

    TFormHelp& form_;
};

} // namespace quillon::win32view
