// What a configuration file leaves on this machine once loaded.
#include "files/config_target.h"

#include "core/error.h"
#include "core/guid.h"
#include "files/config_file.h"
#include "hotkeys/hotkey_registry.h"
#include "hotkeys/hotkey_store.h"
#include "hotkeys/switch_key_rules.h"

#include <map>
#include <optional>

namespace quillon {

namespace {

std::optional<ImmHotkeyCodes> codesOf(const KeyTable& keys, const ustring& text) {
    try {
        return immHotkeyCodes(keys, text, {});
    } catch (const QuillonError&) {
        return std::nullopt;
    }
}

ustring lastChars(const ustring& text, std::size_t count) {
    return text.size() > count ? text.substr(text.size() - count) : text;
}

// The text the refresh shows for what the store writes for `text`, and what it keeps as read.
ustring shownAfterWrite(const KeyTable& keys, const ustring& text, HotkeyStore store,
                        HotkeyAsRead& read) {
    ustring modifierText;
    ustring keyName;
    splitHotkeyText(text, modifierText, keyName);
    const ImmHotkeyCodes codes = *codesOf(keys, text);
    if (store == HotkeyStore::TextService) {
        // Written as "0000" and the modifier code, the key in eight digits; read by the last
        // four and two of them.
        read.source = HotkeyAsRead::Source::TextServiceEntry;
        read.modifierText = u"0000" + modifierText;
        read.keyText = hexText(codes.virtualKey, 8);
        read.text =
            hotkeyTextOfCodes(keys, lastChars(read.modifierText, 4), lastChars(read.keyText, 2));
    } else {
        read.source = HotkeyAsRead::Source::ImmEntry;
        read.modifiers = codes.modifiers;
        read.virtualKey = codes.virtualKey;
        read.text = hotkeyTextOfCodes(keys, hexText(codes.modifiers, 8),
                                      hotkeys::hexAtLeast(codes.virtualKey, 2));
    }
    return read.text;
}

} // namespace

HotkeyStore storeOf(const InputMethodEntry& row) {
    return row.fields[kFieldClsid] == nullGuidText() ? HotkeyStore::Imm : HotkeyStore::TextService;
}

bool isNoHotkey(ustring_view text) {
    return text.empty() || text == u"无" || upperAscii(text) == u"NONE";
}

ustring hotkeyAfterWrite(const KeyTable& keys, const ustring& text, HotkeyStore store) {
    if (isNoHotkey(text)) {
        return u"none";
    }
    if (!codesOf(keys, text)) {
        return u"?" + upperAscii(text);
    }
    HotkeyAsRead read;
    const ustring shown = shownAfterWrite(keys, text, store, read);
    // Modifiers that name nothing show no hotkey, and a save writes none.
    if (shown.empty()) {
        return u"none";
    }
    const auto codes = codesOf(keys, savedHotkeyText(keys, shown, &read));
    if (!codes) {
        return u"?" + upperAscii(shown);
    }
    return hexText(codes->modifiers, 8) + u":" + hexText(codes->virtualKey, 8);
}

bool sameHotkeyAfterWrite(const KeyTable& keys, const ustring& a, const ustring& b,
                          HotkeyStore store) {
    return hotkeyAfterWrite(keys, a, store) == hotkeyAfterWrite(keys, b, store);
}

ustring savedHotkeyText(const KeyTable& keys, const ustring& shown, const HotkeyAsRead* read) {
    if (!read || read->text != shown || shown.empty() || codesOf(keys, shown)) {
        return shown;
    }
    ustring key;
    if (read->source == HotkeyAsRead::Source::ImmEntry) {
        key = hotkeys::hexAtLeast(read->virtualKey, 2);
    } else {
        key = lastChars(read->keyText, 2);
    }
    const ustring saved = shown + u"+" + (key.empty() ? u"00" : key);
    return codesOf(keys, saved) ? saved : shown;
}

ustring rowIdentity(const InputMethodEntry& row) {
    ustring identity;
    for (std::size_t i = kFieldClsid; i < kFieldHotkey; ++i) {
        identity += row.fields[i] + u"|";
    }
    return identity;
}

ListTarget listTarget(const IniSection& list, const std::set<ustring>& installed) {
    ListTarget target;
    std::map<ustring, int> placed;
    for (const IniEntry& entry : list.entries) {
        InputMethodEntry row = listRow(entry.value);
        const ustring identity = rowIdentity(row);
        if (installed.count(identity) == 0) {
            target.placeOf.push_back(-1);
            target.notInstalled.push_back({entry.key, std::move(row)});
            continue;
        }
        const auto [it, added] = placed.emplace(identity, static_cast<int>(target.rows.size()));
        target.placeOf.push_back(it->second);
        if (added) {
            target.rows.push_back({entry.key, std::move(row)});
        }
    }
    return target;
}

std::set<ustring> identitiesOf(const IniDocument& document,
                               std::initializer_list<ustring> sections) {
    std::set<ustring> identities;
    for (const ustring& name : sections) {
        if (const IniSection* section = document.section(name)) {
            for (const IniEntry& entry : section->entries) {
                identities.insert(rowIdentity(listRow(entry.value)));
            }
        }
    }
    return identities;
}

int switchKeyItem(const StringList& items, const ustring& value) {
    ustring v = upperAscii(value);
    if (v == u"DISABLE") {
        v = u"禁用";
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (equalsNoCase(items[i], v)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

SwitchKeyPair switchKeysAfter(const IniDocument& document, const StringList& languages,
                              const StringList& items, SwitchKeyPair start, ustring& setter) {
    SwitchKeyPair keys = start;
    setter.clear();
    for (const ustring& language : languages) {
        const ustring section = language + kSwitchKeySection;
        if (const IniEntry* layout = document.entry(section, u"layout")) {
            const int item = switchKeyItem(items, layout->value);
            // Selecting what is selected already changes nothing, so nothing gives way: a
            // machine that holds one key twice keeps it when its own file is loaded.
            if (item >= 0 && item != keys.layout) {
                keys.layout = item;
                keys.language = giveWayTo(item, keys.language);
            }
            setter = item >= 0 ? language : setter;
        }
        if (const IniEntry* languageKey = document.entry(section, u"language")) {
            const int item = switchKeyItem(items, languageKey->value);
            if (item >= 0 && item != keys.language) {
                keys.language = item;
                keys.layout = giveWayTo(item, keys.layout);
            }
            setter = item >= 0 ? language : setter;
        }
    }
    return keys;
}

} // namespace quillon
