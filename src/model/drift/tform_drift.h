// TFormDrift: the window that shows how the machine differs from a configuration file, a
// read-only tool window with a button that applies the differences.
#pragma once

#include "app/controls.h"
#include "app/tool_form.h"
#include "drift/config_drift.h"
#include "drift/drift_wording.h"

namespace quillon {

class TFormDrift : public ToolForm {
public:
    enum class Result { Close, Apply };

    // Memo1 holds the file's name, then the differences or "与配置文件一致。".
    TFormDrift() : ToolForm(u"配置差异", u"与配置文件的差异") {}

    // Offered only when there is something to apply.
    Control Button_Apply{u"应用差异"};
    Control Button_Close{u"关闭"};
    Result modalResult = Result::Close;

    // Shows the comparison of `filename` in the window's words; Apply when the user chose
    // "应用差异".
    Result ShowModal(const ustring& filename, const ConfigDrift& drift,
                     const DriftWording& wording);
    void Button_ApplyClick();
    void Button_CloseClick();
    // From the text, Tab and Shift+Tab go on to the buttons and Escape closes the window, as
    // they do from the buttons, where the dialog keys answer them.
    ToolKeyCommand keyCommand(const KeyStroke& stroke, bool inText) const;
};

} // namespace quillon
