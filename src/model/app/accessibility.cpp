// What assistive technology is told about the main window's controls and rows, and the rows'
// text in high contrast.
#include "app/tform1.h"

namespace quillon {

ustring TForm1::accessibleName(const Control& control) const {
    if (&control == &ListView1) {
        return u"启用的输入法";
    }
    if (&control == &ListView2) {
        return u"禁用的输入法";
    }
    if (&control == &SpeedButton1) {
        return u"帮助";
    }
    // A toggle shows only its key: the name says which toggle it is, and its key.
    const std::pair<const Control*, const Control*> toggles[] = {
        {&Button_SW1, &Label_SW1}, {&Button_SW2, &Label_SW2}, {&Button_SW3, &Label_SW3}};
    for (const auto& [button, label] : toggles) {
        if (&control == button) {
            return label->caption + (button->caption.empty() ? ustring(u"无") : button->caption);
        }
    }
    return {};
}

ustring TForm1::accessibleDescription(const Control& control) const {
    ustring text = control.hint;
    for (char16_t& c : text) {
        if (c == u'\r') {
            c = u' ';
        }
    }
    return text;
}

ustring TForm1::rowDescription(const ListView& list, int row) const {
    if (row < 0 || row >= list.count()) {
        return {};
    }
    ustring text;
    switch (list.rows[static_cast<std::size_t>(row)].kind()) {
    case EntryKind::TextService:
        text = u"TSF 输入法";
        break;
    case EntryKind::KeyboardLayout:
        text = u"美式键盘布局";
        break;
    case EntryKind::ImmInputMethod:
        text = u"IMM 输入法";
        break;
    }
    if (&list == &ListView1 && row == defime) {
        text += u"，默认输入法";
    }
    return text;
}

ustring TForm1::rowCaption(const ListView& list, int row) const {
    if (row < 0 || row >= list.count()) {
        return {};
    }
    ustring text = list.rows[static_cast<std::size_t>(row)].name;
    if (HighContrast && &list == &ListView1 && row == defime) {
        text += u"（默认）";
    }
    return text;
}

} // namespace quillon
