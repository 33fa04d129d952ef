// Reading every installed language's setup into the configuration file's document.
#include "files/setup_reader.h"

#include "core/error.h"
#include "files/config_file.h"
#include "files/config_target.h"
#include "hotkeys/hotkey_registry.h"
#include "hotkeys/switch_key_rules.h"
#include "setup/language_setup.h"

#include <string>

namespace quillon {

namespace {

ustring countText(std::size_t n) {
    return fromUtf8(std::to_string(n));
}

// The third item, "禁用", is written in a form every system can read back.
ustring switchKeyText(int item) {
    if (item < 0 || item >= static_cast<int>(kSwitchKeyNames.size())) {
        return {};
    }
    return item == kSwitchDisabled ? u"disable" : kSwitchKeyNames[static_cast<std::size_t>(item)];
}

ustring capsLockText(int item) {
    if (item < 0 || item >= static_cast<int>(kCapsLockKeyNames.size())) {
        return {};
    }
    return kCapsLockKeyNames[static_cast<std::size_t>(item)];
}

ustring toggleText(const KeyTable& keys, const hotkeys::Toggles& toggles, std::size_t index) {
    const ustring& text = toggles.texts[index];
    if (text == u"无") {
        return u"none";
    }
    const auto& read = toggles.read[index];
    return savedHotkeyText(keys, text, read ? &*read : nullptr);
}

ustring flag(bool checked) {
    return checked ? u"1" : u"0";
}

void writeLanguage(const LanguageSetup& setup, const KeyTable& keys, IniDocument& document) {
    const ustring language = hexText(setup.langid, 4);
    const ustring list = language + kListSection;
    for (std::size_t j = 0; j < setup.enabled.size(); ++j) {
        InputMethodEntry row = setup.enabled[j];
        const auto read = setup.hotkeysRead.find(hotkeyRowIdentity(row));
        row.fields[kFieldHotkey] =
            savedHotkeyText(keys, row.fields[kFieldHotkey],
                            read != setup.hotkeysRead.end() ? &read->second : nullptr);
        document.write(list, countText(j + 1), listValue(row, 6));
    }
    const ustring disabled = language + kDisabledSection;
    for (std::size_t j = 0; j < setup.disabled.size(); ++j) {
        document.write(disabled, countText(j + 1), listValue(setup.disabled[j], 5));
    }
    const ustring switchKeys = language + kSwitchKeySection;
    document.write(switchKeys, u"layout", switchKeyText(setup.switchKeys.layout));
    document.write(switchKeys, u"language", switchKeyText(setup.switchKeys.language));
    document.write(switchKeys, u"CAPS", capsLockText(setup.switchKeys.capsLock));
    for (std::size_t i = 0; i < 3; ++i) {
        document.write(switchKeys, kToggleKeys[i], toggleText(keys, setup.toggles, i));
    }
    const ustring other = language + kOtherSection;
    document.write(other, u"SwitchMode", flag(setup.other.separateIme));
    document.write(other, u"LanguageBar", flag(setup.other.languageBar));
    document.write(other, u"InputEmoji", flag(setup.other.emojiStaysOpen));
    document.write(other, u"DefaultIME", fromUtf8(std::to_string(setup.defaultIndex + 1)));
}

} // namespace

void readSetupInto(platform::Platform& os, const StringList& languages, const KeyTable& keys,
                   const settings::OtherSettings& shown, IniDocument& document) {
    // One setup read language after language, as the refresh reads into the window: the
    // settings a mask byte leaves open carry over from the one before.
    LanguageSetup setup;
    setup.other = shown;
    for (const ustring& language : languages) {
        std::uint32_t id = 0;
        if (!parseHex32(language, id)) {
            continue;
        }
        setup.langid = static_cast<std::uint16_t>(id);
        readLanguageSetup(os, keys, setup);
        // Without its profiles the lists still hold the previous language's rows, which
        // would be saved, and later loaded, as this language's.
        if (!setup.enumerated) {
            throw QuillonError(u"无法列出语言 " + hexText(id, 4) + u" 的输入法");
        }
        writeLanguage(setup, keys, document);
    }
}

IniDocument readSetup(platform::Platform& os, const StringList& languages, const KeyTable& keys,
                      const settings::OtherSettings& shown) {
    IniDocument document;
    readSetupInto(os, languages, keys, shown, document);
    return document;
}

} // namespace quillon
