// The hotkey dialog's model: its controls, the rules that keep them consistent while the user
// composes a hotkey, the conflict check before it closes, and the text the choice makes.
#include "hotkeys/hotkey_dialog.h"

#include "app/tform1.h"
#include "core/error.h"
#include "hotkeys/key_table.h"

#include <array>

namespace quillon {

namespace {

// Item n holds the modifier whose flags are n (1 Alt, 2 Ctrl, 4 Shift).
constexpr std::array<const char16_t*, 8> kModifierItems = {
    u"无",    u"左Alt",       u"Ctrl",       u"Ctrl+左Alt",
    u"Shift", u"左Alt+Shift", u"Ctrl+Shift", u"Ctrl+左Alt+Shift",
};

} // namespace

TForm2::TForm2(TForm1& owner) : Form1(owner) {
    RadioGroup1.caption = u" 控制键 ";
    for (const char16_t* item : kModifierItems) {
        RadioGroup1.items.emplace_back(item);
    }
    RadioGroup1.itemEnabled.assign(kModifierItems.size(), true);
    // Moved in whole: GCC 12 misreads the copy of a one-character literal as overlapping.
    CheckBox_left.caption = ustring(u"左");
    CheckBox_right.caption = ustring(u"右");
}

void TForm2::hotkeylist(const ustring& str) {
    ComboBox1.items.clear();
    ComboBox1.itemIndex = -1;
    const std::size_t rows = str == u"imm" ? kAllKeyRows : kTextServiceKeyRows;
    for (std::size_t i = 0; i < rows && i < Form1.scancode.size(); ++i) {
        ComboBox1.items.push_back(Form1.scancode[i].name);
    }
}

void TForm2::FormShow() {
    Hint = Form1.Button_SW1.hint;
}

bool TForm2::CloseQuery(int modalResult) {
    ModalResult = modalResult;
    bool canClose = true;
    FormCloseQuery(canClose);
    return canClose;
}

void TForm2::refuse(const ustring& text) {
    Form1.os().ui.MessageBox(text, u"提示", platform::kMbIconWarning | platform::kMbOk);
}

void TForm2::FormCloseQuery(bool& CanClose) {
    const int choice = RadioGroup1.itemIndex;
    if (ModalResult != platform::kIdOk || choice <= 0) {
        return;
    }
    if (ComboBox1.itemIndex < 0) {
        // A modifier without a key is no hotkey Windows could store: the commit would refuse
        // it only after the dialog had closed.
        refuse(u"请选择基本键。");
        CanClose = false;
        return;
    }
    // The sides play no part: Windows tells the sides apart only until it restarts.
    const ustring candidate = RadioGroup1.items[static_cast<std::size_t>(choice)] + u"+" +
                              ComboBox1.items[static_cast<std::size_t>(ComboBox1.itemIndex)];
    if (candidate == Form1.oldkey) {
        return;
    }
    // The row being edited shows `oldkey`, so comparing it too changes nothing; a toggle is
    // no row, and every row's hotkey counts against it.
    bool taken = false;
    for (const InputMethodEntry& row : Form1.ListView1.rows) {
        taken = taken || row.fields[kFieldHotkey] == candidate;
    }
    for (const Control* toggle : {&Form1.Button_SW1, &Form1.Button_SW2, &Form1.Button_SW3}) {
        taken = taken || toggle->caption == candidate;
    }
    if (taken) {
        refuse(u"热键冲突！");
        CanClose = false;
        return;
    }
    // Another program's system-wide hotkey takes the keys before any input method sees them.
    // The radio items are numbered by the modifier flags, which RegisterHotKey numbers alike.
    const KeyRow* key =
        findKeyName(Form1.scancode, ComboBox1.items[static_cast<std::size_t>(ComboBox1.itemIndex)]);
    std::uint32_t virtualKey = 0;
    if (key && parseHex32(key->code, virtualKey) &&
        Form1.os().ui.HotkeyTaken(static_cast<std::uint32_t>(choice), virtualKey) &&
        Form1.os().ui.MessageBox(
            u"该热键已被其它程序占用，按下时可能不会切换到此输入法。仍要使用吗？", u"确认",
            platform::kMbYesNo | platform::kMbIconQuestion | platform::kMbDefButton2) !=
            platform::kIdYes) {
        CanClose = false;
    }
}

void TForm2::RadioGroup1Click() {
    if (RadioGroup1.itemIndex <= 0) {
        CheckBox_left.checked = false;
        CheckBox_right.checked = false;
        ComboBox1.enabled = false;
        return;
    }
    if (!CheckBox_left.checked && !CheckBox_right.checked) {
        CheckBox_left.checked = true;
        CheckBox_right.checked = true;
    }
    // Also when a side stayed checked: a text service's hidden sides always are, and its key
    // must become choosable as soon as a modifier is.
    ComboBox1.enabled = true;
}

void TForm2::CheckBox_leftClick() {
    if (!CheckBox_left.checked && !CheckBox_right.checked) {
        RadioGroup1.itemIndex = 0;
        ComboBox1.enabled = false;
    } else {
        ComboBox1.enabled = true;
    }
}

void TForm2::setAltItemsEnabled(bool enabled) {
    for (std::size_t i = 1; i < RadioGroup1.itemEnabled.size(); i += 2) {
        RadioGroup1.itemEnabled[i] = enabled;
    }
}

ustring TForm2::chosenHotkey() const {
    const int choice = RadioGroup1.itemIndex > 0 ? RadioGroup1.itemIndex : 0;
    const ustring flags(1, static_cast<char16_t>(u'0' + choice));
    // IMM entries keep the sides in the byte above the flags; the 8-digit form tells
    // `codetokey` to name them.
    ustring modifiers;
    if (mode != HotkeyMode::TextService) {
        if (CheckBox_left.checked && CheckBox_right.checked) {
            modifiers = u"0000C00";
        } else if (CheckBox_left.checked) {
            modifiers = u"0000800";
        } else if (CheckBox_right.checked) {
            modifiers = u"0000400";
        }
    }
    modifiers += flags;
    ustring key;
    if (ComboBox1.itemIndex >= 0) {
        key = ComboBox1.items[static_cast<std::size_t>(ComboBox1.itemIndex)];
    }
    const std::size_t rows = mode == HotkeyMode::TextService ? kTextServiceKeyRows : kAllKeyRows;
    if (const KeyRow* row = findKeyName(Form1.scancode, key, rows)) {
        key = row->code;
    }
    ustring text;
    Form1.codetokey(modifiers, key, text);
    if (text.empty() && mode != HotkeyMode::TextService) {
        text = ustring(u"无");
    }
    return text;
}

int radioChoice(const ustring& hotkey, const ustring& modifiers) {
    const ustring last = modifiers.size() > 2 ? modifiers.substr(modifiers.size() - 2) : modifiers;
    int value = 0;
    bool valid = !last.empty();
    for (const char16_t c : last) {
        valid = valid && c >= u'0' && c <= u'9';
        value = value * 10 + (c - u'0');
    }
    if (!valid || value >= static_cast<int>(kModifierItems.size())) {
        throw QuillonError(u"热键“" + hotkey + u"”的控制键无法识别，不能在热键设置中打开。");
    }
    return value;
}

} // namespace quillon
