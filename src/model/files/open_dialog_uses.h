// The uses of the main window's open-file dialog `OpenDialog1`.
#pragma once

#include "app/tform1.h"

namespace quillon {

inline constexpr const char16_t* kConfigExtension = u"cfg";
inline constexpr const char16_t* kConfigFilter = u"配置文件|*.cfg|所有文件|*.*";
inline constexpr const char16_t* kListExtension = u"txt";
inline constexpr const char16_t* kListFilter = u"文本文件|*.txt|所有文件|*.*";

// Prepares `OpenDialog1` for this use and shows it; true when a file was chosen, whose full
// path is then `OpenDialog1.FileName`.
inline bool chooseFile(TForm1& form, const char16_t* title, const char16_t* extension,
                       const char16_t* filter) {
    form.OpenDialog1.Title = title;
    form.OpenDialog1.DefaultExt = extension;
    form.OpenDialog1.Filter = filter;
    if (form.Changed) {
        form.Changed();
    }
    return form.OpenDialog1.Execute(form.os().ui);
}

} // namespace quillon
