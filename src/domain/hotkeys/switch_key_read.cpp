// Reading the general switching keys and a language's IME toggles.
#include "hotkeys/switch_key_read.h"

#include "core/whole_number.h"
#include "hotkeys/hotkey_registry.h"
#include "platform/registry_errors.h"
#include "platform/windows_keys.h"

namespace quillon::hotkeys {

namespace {

int itemFromDigit(std::int32_t digit) {
    return digit >= 1 && digit <= 4 ? digit - 1 : -1;
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

} // namespace

void readSwitchKeys(platform::RegistryBackend& registry, SwitchKeys& shown) {
    platform::TRegistry reg(registry);
    std::int32_t layoutDigit = 2;
    std::int32_t languageDigit = 1;
    if (reg.OpenKey(keys::fromRoot(keys::kToggle), false)) {
        layoutDigit = readDigit(reg, u"Layout Hotkey").value_or(layoutDigit);
        languageDigit = readDigit(reg, u"Language Hotkey").value_or(languageDigit);
    }
    shown.layout = itemFromDigit(layoutDigit);
    shown.language = itemFromDigit(languageDigit);

    platform::TRegistry layout(registry);
    std::optional<platform::RegValue> attributes;
    if (layout.OpenKey(keys::fromRoot(keys::kKeyboardLayout), false)) {
        attributes = layout.ReadValue(u"Attributes");
    }
    const bool shiftReleases = attributes && platform::integerOf(*attributes, u"Attributes") != 0;
    shown.capsLock = shiftReleases ? 1 : 0;
}

void readToggles(platform::RegistryBackend& registry, std::uint16_t langid, const KeyTable& keys,
                 Toggles& shown) {
    const auto group = toggleGroup(langid);
    shown.count = group ? group->count : 0;
    shown.read = {};
    for (int i = shown.count; i < 3; ++i) {
        shown.texts[static_cast<std::size_t>(i)].clear();
    }
    platform::TRegistry reg(registry);
    for (int i = 0; i < shown.count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const ustring path = ustring(kImmHotKeys) + u"\\" + toggleSubkey(*group, i);
        if (!reg.OpenKey(path, false)) {
            shown.texts[at].clear();
            continue;
        }
        HotkeyAsRead read;
        read.source = HotkeyAsRead::Source::ImmEntry;
        read.modifiers = readBinary32(reg, u"Key Modifiers").value_or(0);
        read.virtualKey = readBinary32(reg, u"Virtual Key").value_or(0);
        shown.texts[at] =
            hotkeyTextOfCodes(keys, hexText(read.modifiers, 8), hexText(read.virtualKey, 8));
        shown.read[at] = std::move(read);
    }
    for (std::size_t i = 0; i < shown.texts.size(); ++i) {
        if (shown.texts[i].empty()) {
            shown.texts[i] = u"无";
        }
        if (shown.read[i]) {
            shown.read[i]->text = shown.texts[i];
        }
    }
}

} // namespace quillon::hotkeys
