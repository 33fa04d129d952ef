// The Win32 view of TFormDrift: the read-only text and two buttons in a tool window.
#pragma once

#include "drift/tform_drift.h"
#include "ui/win32/tool_window.h"

namespace quillon::win32view {

class DriftWindow : public ToolWindow {
public:
    DriftWindow(TFormDrift& form, HINSTANCE instance, HWND owner);

private:
    void createControls() override;
    void layout() override;
    void beforeShow() override;
    void onCommand(int id, int code) override;
    ToolKeyCommand keyCommand(const KeyStroke& stroke, bool inText) const override;
    void cancel() override;

    TFormDrift& form_;
};

} // namespace quillon::win32view
