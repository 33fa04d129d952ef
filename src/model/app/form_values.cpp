#include "app/form_values.h"

#include "app/tform1.h"

namespace quillon {

namespace {

// The label beside a toggle button names it; its caption ends in a colon.
ustring toggleName(const Control& label) {
    ustring name = label.caption;
    if (!name.empty()) {
        name.pop_back();
    }
    return name;
}

} // namespace

HotkeysToWrite hotkeysShown(const TForm1& form) {
    return HotkeysToWrite{
        form.LangId(),
        form.ListView1.rows,
        form.hotkeysRead,
        {form.Button_SW1.caption, form.Button_SW2.caption, form.Button_SW3.caption},
        form.togglesRead,
        {toggleName(form.Label_SW1), toggleName(form.Label_SW2), toggleName(form.Label_SW3)},
        form.scancode};
}

settings::OtherSettings otherSettingsShown(const TForm1& form) {
    return {form.CheckBox1.checked, form.CheckBox2.checked, form.CheckBox3.checked};
}

} // namespace quillon
