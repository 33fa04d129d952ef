// TForm2, the hotkey dialog's model: where a user composes one hotkey from a modifier (radio
// items numbered by their modifier flags), the side of the keyboard, and a key. The openers on
// TForm1 prepare it for a list row or a toggle button, show it modally and store what it
// makes; the dialog itself writes nothing.
#pragma once

#include "app/controls.h"
#include "platform/services.h"

namespace quillon {

class TForm1;

enum class HotkeyMode {
    TextService, // a text service's row: keys 1-89, no sides, no hotkey is the empty text
    Imm,         // an IMM input method's row: keys 1-92, sides, no Alt, no hotkey is "无"
    Toggle,      // a general IME toggle: as IMM, stored as the toggle button's caption
};

class TForm2 : public platform::ModalForm {
public:
    explicit TForm2(TForm1& owner);
    TForm2(const TForm2&) = delete;
    TForm2& operator=(const TForm2&) = delete;

    // ---- the window and its controls ----
    ustring Caption;
    ustring Hint;
    int ModalResult = 0;
    RadioGroup RadioGroup1;
    CheckBox CheckBox_left;
    CheckBox CheckBox_right;
    Control Label1{u"基本键："};
    ComboBox ComboBox1; // the key list
    Control Button1{u"确定"};
    Control Button2{u"取消"};

    // ---- handlers ----
    // Fills the key list with the text services' keys, and with "imm" also the two Windows
    // keys and the application key.
    void hotkeylist(const ustring& str);
    void FormShow() override;
    void FormCloseQuery(bool& CanClose);
    void RadioGroup1Click();
    // Both side boxes share it.
    void CheckBox_leftClick();

    // ---- used by the openers ----
    // The radio items that hold Alt (1, 3, 5, 7): not offered to IMM input methods and the
    // toggles, whose hotkeys Windows keeps without Alt.
    void setAltItemsEnabled(bool enabled);
    // The hotkey text of the current choice, as the mode stores it.
    ustring chosenHotkey() const;
    HotkeyMode mode = HotkeyMode::TextService;

    ustring modalCaption() const override { return Caption; }
    bool CloseQuery(int modalResult) override;

private:
    // Shows the dialog's notice over it and keeps it open.
    void refuse(const ustring& text);

    TForm1& Form1;
};

// The radio item a hotkey text opens with, from the modifier code `keytocode` gave: its last
// two characters as a decimal number. Throws QuillonError naming the text when they are not a
// modifier the dialog offers.
int radioChoice(const ustring& hotkey, const ustring& modifiers);

} // namespace quillon
