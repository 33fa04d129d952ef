// TFormDrift: the window that shows how the machine differs from a configuration file, read
// only, with a button that applies the differences. It lives for the whole run and is only ever
// shown modally.
#pragma once

#include "app/controls.h"
#include "drift/config_drift.h"
#include "drift/drift_wording.h"

#include <functional>

namespace quillon {

class TFormDrift {
public:
    enum class Result { Close, Apply };

    ustring Caption = u"配置差异";
    // The file's name, then the differences or "与配置文件一致。", lines separated by CR LF.
    ustring Memo1;
    // What assistive technology calls the text: it has no label of its own.
    ustring Memo1Name = u"与配置文件的差异";
    // Offered only when there is something to apply.
    Control Button_Apply{u"应用差异"};
    Control Button_Close{u"关闭"};
    Result modalResult = Result::Close;

    // Set by the view: shows the window and returns once it is closed.
    std::function<void()> ShowModalView;

    // Shows the comparison of `filename` in the window's words; Apply when the user chose
    // "应用差异".
    Result ShowModal(const ustring& filename, const ConfigDrift& drift,
                     const DriftWording& wording);
    void Button_ApplyClick();
    void Button_CloseClick();
};

} // namespace quillon
