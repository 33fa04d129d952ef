// Opening the hotkey dialog: for the selected row of the enabled list (the button "热键", a
// double-click on the list, the context-menu item) and for the three IME toggle buttons. What
// the user confirms is stored in the row or on the button and committed at once; the commit
// writes every hotkey of the language.
#include "app/tform1.h"
#include "backups/backups.h"
#include "core/error.h"
#include "hotkeys/hotkey_dialog.h"

#include <optional>

namespace quillon {

namespace {

// Prepares the dialog for the hotkey text `current`, shows it, and returns the new text, or
// nothing when the user cancelled.
std::optional<ustring> editHotkey(TForm1& form, TForm2& dialog, HotkeyMode mode,
                                  const ustring& caption, const ustring& current) {
    ustring modifiers;
    ustring keyName;
    form.keytocode(current, modifiers, keyName);

    dialog.hotkeylist(mode == HotkeyMode::TextService ? u"tsf" : u"imm");
    ComboBox& keys = dialog.ComboBox1;
    // A toggle whose key is not in the list opens without one; a row falls back to the first.
    keys.itemIndex = mode == HotkeyMode::Toggle || keys.items.empty() ? -1 : 0;
    const ustring wanted = upperAscii(keyName);
    for (std::size_t i = 0; i < keys.items.size(); ++i) {
        if (upperAscii(keys.items[i]) == wanted) {
            keys.itemIndex = static_cast<int>(i);
            break;
        }
    }

    const int choice = radioChoice(current, modifiers);
    dialog.Caption = caption;
    dialog.mode = mode;
    dialog.RadioGroup1.itemIndex = choice;
    if (mode == HotkeyMode::TextService) {
        // Text services keep no sides.
        dialog.CheckBox_left.visible = false;
        dialog.CheckBox_right.visible = false;
        dialog.CheckBox_left.checked = true;
        dialog.CheckBox_right.checked = true;
    } else {
        std::uint32_t side = 0;
        if (!parseHex32(ustring_view(modifiers).substr(0, 2), side)) {
            side = 0;
        }
        dialog.CheckBox_left.visible = true;
        dialog.CheckBox_right.visible = true;
        dialog.CheckBox_left.checked = side == 0x80 || side == 0xC0;
        dialog.CheckBox_right.checked = side == 0x40 || side == 0xC0;
    }
    keys.enabled = choice != 0;

    // Windows keeps IMM and toggle hotkeys without Alt: those items are not offered, though a
    // stored one still opens with its item chosen. Offered again however the dialog ends.
    struct AltItemsBack {
        TForm2& dialog;
        ~AltItemsBack() { dialog.setAltItemsEnabled(true); }
    } altItemsBack{dialog};
    dialog.setAltItemsEnabled(mode == HotkeyMode::TextService);

    if (form.os().ui.ShowModal(dialog) != platform::kIdOk) {
        return std::nullopt;
    }
    return dialog.chosenHotkey();
}

// A failed commit has put back what Windows held; the lists then show that again instead of
// the text that could not be saved.
void commitHotkey(TForm1& form) {
    try {
        form.Button_FixClick();
    } catch (const QuillonError& failed) {
        try {
            form.Button_RefreshClick();
        } catch (const QuillonError& refreshFailed) {
            throw QuillonError(failed.message() + u"\r" + refreshFailed.message());
        }
        throw;
    }
}

} // namespace

void TForm1::Button_HotkeyClick() {
    const int index = ListView1.selected;
    // The button is always enabled; with no row selected there is nothing to edit.
    if (!Form2 || index < 0 || index >= ListView1.count()) {
        return;
    }
    const InputMethodEntry& row = ListView1.rows[static_cast<std::size_t>(index)];
    std::uint32_t hkl = 0;
    if (!parseHex32(row.fields[kFieldHkl], hkl)) {
        throw QuillonError(u"输入法“" + row.name + u"”的键盘布局“" + row.fields[kFieldHkl] +
                           u"”不是十六进制数，无法设置热键。");
    }
    oldkey = row.fields[kFieldHotkey];
    const auto text = editHotkey(
        *this, *Form2, hkl == 0 ? HotkeyMode::TextService : HotkeyMode::Imm, row.name, oldkey);
    if (!text) {
        return;
    }
    backups::beforeChange(*this, u"设置“" + ListView1.rows[static_cast<std::size_t>(index)].name +
                                     u"”的热键");
    ListView1.rows[static_cast<std::size_t>(index)].fields[kFieldHotkey] = *text;
    commitHotkey(*this);
}

void TForm1::ListView1DblClick() {
    Button_HotkeyClick();
}

void TForm1::Button_SW1Click(int which) {
    if (!Form2 || which < 1 || which > 3) {
        return;
    }
    Control* const buttons[] = {&Button_SW1, &Button_SW2, &Button_SW3};
    const Control* const labels[] = {&Label_SW1, &Label_SW2, &Label_SW3};
    Control& button = *buttons[which - 1];
    // The label names the toggle; its caption ends in a colon.
    ustring caption = labels[which - 1]->caption;
    if (!caption.empty()) {
        caption.pop_back();
    }
    oldkey = button.caption;
    const auto text = editHotkey(*this, *Form2, HotkeyMode::Toggle, caption, oldkey);
    if (!text) {
        return;
    }
    backups::beforeChange(*this, u"设置“" + caption + u"”的热键");
    button.caption = *text;
    commitHotkey(*this);
}

} // namespace quillon
