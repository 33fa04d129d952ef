// Reading every installed language's setup into the configuration file's document.
#include "files/setup_reader.h"

#include "app/tform1.h"
#include "core/error.h"
#include "files/config_file.h"
#include "files/config_target.h"
#include "hotkeys/hotkey_registry.h"
#include "hotkeys/hotkey_store.h"

#include <string>

namespace quillon {

namespace {

ustring countText(std::size_t n) {
    return fromUtf8(std::to_string(n));
}

ustring switchKeyText(const ComboBox& box) {
    if (box.itemIndex < 0 || box.itemIndex >= static_cast<int>(box.items.size())) {
        return {};
    }
    // The third item, "禁用", is written in a form every system can read back.
    return box.itemIndex == 2 ? u"disable" : box.items[static_cast<std::size_t>(box.itemIndex)];
}

ustring itemText(const ComboBox& box) {
    if (box.itemIndex < 0 || box.itemIndex >= static_cast<int>(box.items.size())) {
        return {};
    }
    return box.items[static_cast<std::size_t>(box.itemIndex)];
}

ustring toggleText(TForm1& form, int index, const Control& button) {
    if (button.caption == u"无") {
        return u"none";
    }
    const auto& read = form.togglesRead[static_cast<std::size_t>(index)];
    return savedHotkeyText(form.scancode, button.caption, read ? &*read : nullptr);
}

ustring flag(const CheckBox& box) {
    return box.checked ? u"1" : u"0";
}

// What the window shows for the language just refreshed.
void writeLanguage(TForm1& form, IniDocument& document, const ustring& language) {
    const ustring list = language + kListSection;
    for (std::size_t j = 0; j < form.ListView1.rows.size(); ++j) {
        InputMethodEntry row = form.ListView1.rows[j];
        const auto read = form.hotkeysRead.find(hotkeyRowIdentity(row));
        row.fields[kFieldHotkey] =
            savedHotkeyText(form.scancode, row.fields[kFieldHotkey],
                            read != form.hotkeysRead.end() ? &read->second : nullptr);
        document.write(list, countText(j + 1), listValue(row, 6));
    }
    const ustring disabled = language + kDisabledSection;
    for (std::size_t j = 0; j < form.ListView2.rows.size(); ++j) {
        document.write(disabled, countText(j + 1), listValue(form.ListView2.rows[j], 5));
    }
    const ustring switchKeys = language + kSwitchKeySection;
    document.write(switchKeys, u"layout", switchKeyText(form.ComboBox1));
    document.write(switchKeys, u"language", switchKeyText(form.ComboBox2));
    document.write(switchKeys, u"CAPS", itemText(form.ComboBox3));
    document.write(switchKeys, kToggleKeys[0], toggleText(form, 0, form.Button_SW1));
    document.write(switchKeys, kToggleKeys[1], toggleText(form, 1, form.Button_SW2));
    document.write(switchKeys, kToggleKeys[2], toggleText(form, 2, form.Button_SW3));
    const ustring other = language + kOtherSection;
    document.write(other, u"SwitchMode", flag(form.CheckBox1));
    document.write(other, u"LanguageBar", flag(form.CheckBox2));
    document.write(other, u"InputEmoji", flag(form.CheckBox3));
    document.write(other, u"DefaultIME", fromUtf8(std::to_string(form.defime + 1)));
}

// The language's reading uses the window's fields as its place to read into; what the window
// shows is put back when the reading ends, however it ends.
class ShownState {
public:
    explicit ShownState(TForm1& form)
        : form_(form), defime_(form.defime), mylangid_(form.mylangid), mycatid_(form.mycatid),
          listsIncomplete_(form.listsIncomplete), hotkeysRead_(form.hotkeysRead),
          togglesRead_(form.togglesRead), list1_(form.ListView1), list2_(form.ListView2),
          combo1_(form.ComboBox1), combo2_(form.ComboBox2), combo3_(form.ComboBox3),
          sw1_(form.Button_SW1), sw2_(form.Button_SW2), sw3_(form.Button_SW3),
          check1_(form.CheckBox1), check2_(form.CheckBox2), check3_(form.CheckBox3) {}
    ShownState(const ShownState&) = delete;
    ShownState& operator=(const ShownState&) = delete;
    ~ShownState() {
        form_.defime = defime_;
        form_.mylangid = mylangid_;
        form_.mycatid = std::move(mycatid_);
        form_.listsIncomplete = listsIncomplete_;
        form_.hotkeysRead = std::move(hotkeysRead_);
        form_.togglesRead = std::move(togglesRead_);
        form_.ListView1 = std::move(list1_);
        form_.ListView2 = std::move(list2_);
        form_.ComboBox1 = std::move(combo1_);
        form_.ComboBox2 = std::move(combo2_);
        form_.ComboBox3 = std::move(combo3_);
        form_.Button_SW1 = std::move(sw1_);
        form_.Button_SW2 = std::move(sw2_);
        form_.Button_SW3 = std::move(sw3_);
        form_.CheckBox1 = std::move(check1_);
        form_.CheckBox2 = std::move(check2_);
        form_.CheckBox3 = std::move(check3_);
    }

private:
    TForm1& form_;
    std::int32_t defime_;
    std::int32_t mylangid_;
    ustring mycatid_;
    bool listsIncomplete_;
    std::map<ustring, HotkeyAsRead> hotkeysRead_;
    std::array<std::optional<HotkeyAsRead>, 3> togglesRead_;
    ListView list1_, list2_;
    ComboBox combo1_, combo2_, combo3_;
    Control sw1_, sw2_, sw3_;
    CheckBox check1_, check2_, check3_;
};

} // namespace

void readSetupInto(TForm1& form, IniDocument& document) {
    const ShownState shown(form);
    const StringList languages = form.lang.code;
    for (const ustring& language : languages) {
        std::uint32_t id = 0;
        if (!parseHex32(language, id)) {
            continue;
        }
        form.mylangid = static_cast<std::int32_t>(id);
        // Without its profiles the lists still hold the previous language's rows, which
        // would be saved, and later loaded, as this language's.
        if (!form.readLanguage()) {
            throw QuillonError(u"无法列出语言 " + hexText(id, 4) + u" 的输入法");
        }
        writeLanguage(form, document, hexText(id, 4));
    }
}

IniDocument readSetup(TForm1& form) {
    IniDocument document;
    readSetupInto(form, document);
    return document;
}

} // namespace quillon
