// The general switching hotkeys: the keys that cycle layouts and languages, the Caps Lock
// release key, and the IME toggles of the language shown.
#include "app/tform1.h"
#include "backups/backups.h"
#include "core/error.h"
#include "core/whole_number.h"
#include "hotkeys/hotkey_registry.h"
#include "hotkeys/switch_key_rules.h"
#include "operations/registry_snapshot.h"
#include "platform/registry_errors.h"

#include <array>
#include <optional>
#include <string>

namespace quillon {

namespace {

const char16_t* const kToggle = u"\\Keyboard Layout\\Toggle";
const char16_t* const kKeyboardLayout = u"\\Keyboard Layout";

int itemFromDigit(std::int32_t digit) {
    return digit >= 1 && digit <= 4 ? digit - 1 : -1;
}

ustring digitText(int itemIndex) {
    return fromUtf8(std::to_string(itemIndex + 1));
}

void giveWay(const ComboBox& changed, ComboBox& other) {
    other.itemIndex = giveWayTo(changed.itemIndex, other.itemIndex);
}

// A switching-key digit; nullopt when the value is missing. A text that is no number ends the
// refresh with a message naming the value.
std::optional<std::int32_t> readDigit(platform::TRegistry& reg, const char16_t* name) {
    const auto value = reg.ReadValue(name);
    if (!value) {
        return std::nullopt;
    }
    const ustring text = platform::stringOf(*value, name);
    const auto digit = tryWholeNumber(text);
    if (!digit) {
        throw platform::registryDataError(name, text, u"不是十进制数。");
    }
    return digit;
}

void writeSwitchKeys(TForm1& form) {
    platform::TRegistry reg(form.os().registry);
    reg.OpenKey(kToggle, false);
    // Without the key the first write fails, before anything is written or announced.
    // The three values together or none: Windows reads the two keys as one choice. A box
    // showing no item (a value Windows has no item for) keeps its value as it stands: there
    // is no digit to write for it.
    RegistryCheckpoint checkpoint(form.os().registry, platform::Hive::CurrentUser);
    checkpoint.keep(kToggle);
    try {
        if (form.ComboBox1.itemIndex >= 0) {
            reg.WriteString(u"Layout Hotkey", digitText(form.ComboBox1.itemIndex));
        }
        if (form.ComboBox2.itemIndex >= 0) {
            const ustring language = digitText(form.ComboBox2.itemIndex);
            reg.WriteString(u"Language Hotkey", language);
            reg.WriteString(u"Hotkey", language);
        }
    } catch (const QuillonError& e) {
        throw QuillonError(rolledBackMessage(e.message(), checkpoint.restore()));
    }
    form.os().system.SystemParametersInfo(platform::kSpiSetLangToggle, 0,
                                          platform::kSpifSendWinIniChange);
}

} // namespace

void TForm1::getswitchkey() {
    platform::TRegistry reg(os().registry);
    std::int32_t layoutDigit = 2;
    std::int32_t languageDigit = 1;
    if (reg.OpenKey(kToggle, false)) {
        layoutDigit = readDigit(reg, u"Layout Hotkey").value_or(layoutDigit);
        languageDigit = readDigit(reg, u"Language Hotkey").value_or(languageDigit);
    }
    ComboBox1.itemIndex = itemFromDigit(layoutDigit);
    ComboBox2.itemIndex = itemFromDigit(languageDigit);

    platform::TRegistry layout(os().registry);
    std::optional<platform::RegValue> attributes;
    if (layout.OpenKey(kKeyboardLayout, false)) {
        attributes = layout.ReadValue(u"Attributes");
    }
    const bool shiftReleases = attributes && platform::integerOf(*attributes, u"Attributes") != 0;
    ComboBox3.itemIndex = shiftReleases ? 1 : 0;
}

void TForm1::ComboBox1Change() {
    backups::beforeChange(*this, u"切换键盘布局的热键");
    giveWay(ComboBox1, ComboBox2);
    writeSwitchKeys(*this);
}

void TForm1::ComboBox2Change() {
    backups::beforeChange(*this, u"切换输入语言的热键");
    giveWay(ComboBox2, ComboBox1);
    writeSwitchKeys(*this);
}

void TForm1::getSWkey() {
    const std::array<Control*, 3> buttons = {&Button_SW1, &Button_SW2, &Button_SW3};
    const auto group = hotkeys::toggleGroup(LangId());
    const int count = group ? group->count : 0;
    togglesRead = {};
    for (int i = 0; i < 3; ++i) {
        Control& button = *buttons[static_cast<std::size_t>(i)];
        button.enabled = i < count;
        if (i >= count) {
            button.caption.clear();
        }
    }
    platform::TRegistry reg(os().registry);
    for (int i = 0; i < count; ++i) {
        Control& button = *buttons[static_cast<std::size_t>(i)];
        const ustring path =
            ustring(hotkeys::kImmHotKeys) + u"\\" + hotkeys::toggleSubkey(*group, i);
        if (!reg.OpenKey(path, false)) {
            button.caption.clear();
            continue;
        }
        HotkeyAsRead read;
        read.source = HotkeyAsRead::Source::ImmEntry;
        read.modifiers = hotkeys::readBinary32(reg, u"Key Modifiers").value_or(0);
        read.virtualKey = hotkeys::readBinary32(reg, u"Virtual Key").value_or(0);
        codetokey(hexText(read.modifiers, 8), hexText(read.virtualKey, 8), button.caption);
        togglesRead[static_cast<std::size_t>(i)] = std::move(read);
    }
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->caption.empty()) {
            buttons[i]->caption = u"无";
        }
        if (togglesRead[i]) {
            togglesRead[i]->text = buttons[i]->caption;
        }
    }
}

} // namespace quillon
