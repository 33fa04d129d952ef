// The per-input-method hotkey store: reading Windows' direct-switch hotkeys into the enabled
// list, and writing the enabled list's hotkeys and the general toggles back.
#include "hotkeys/hotkey_store.h"

#include "core/error.h"
#include "core/guid.h"
#include "hotkeys/hotkey_registry.h"
#include "platform/registry_errors.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace quillon {

namespace {

using hotkeys::binary32;
using hotkeys::kDirectSwitchHotkeys;
using hotkeys::kImmHotKeys;

ustring subkeyPath(const ustring& key, const ustring& name) {
    return key + (u"\\" + name);
}

ustring lastChars(const ustring& text, std::size_t count) {
    return text.size() > count ? text.substr(text.size() - count) : text;
}

// A hotkey text as the codes an entry stores: the modifier code text of `keytocode`, the key
// as the table's code or, for a name outside the table, the name itself; and both as numbers,
// which they must be. `what` names the input method or toggle for the message.
struct Converted {
    ustring modifierText;
    ustring keyText; // the table's two digits, or the key name as given
    bool keyInTable = false;
    std::uint32_t modifiers = 0;
    std::uint32_t virtualKey = 0;
};

Converted convertHotkey(const KeyTable& keys, const ustring& text, const ustring& what) {
    Converted c;
    splitHotkeyText(text, c.modifierText, c.keyText);
    if (const KeyRow* row = findKeyName(keys, c.keyText)) {
        c.keyText = row->code;
        c.keyInTable = true;
    }
    const ustring prefix = what + u"的热键“" + text + u"”无法转换为按键代码：";
    if (!parseHex32(c.modifierText, c.modifiers)) {
        throw QuillonError(prefix + u"“" + c.modifierText + u"”不是可识别的修饰键。");
    }
    if (!parseHex32(c.keyText, c.virtualKey)) {
        throw QuillonError(prefix + u"“" + c.keyText + u"”不是可识别的按键。");
    }
    return c;
}

Converted convert(const HotkeysToWrite& toWrite, const ustring& text, const ustring& what) {
    return convertHotkey(toWrite.keys, text, what);
}

} // namespace

ImmHotkeyCodes immHotkeyCodes(const KeyTable& keys, const ustring& text, const ustring& what) {
    const Converted c = convertHotkey(keys, text, what);
    return {c.modifiers, c.virtualKey};
}

namespace {

ustring rowName(const InputMethodEntry& row) {
    return u"输入法“" + row.name + u"”";
}

std::uint32_t hexField(const InputMethodEntry& row, Field field, const char16_t* meaning) {
    std::uint32_t value = 0;
    if (!parseHex32(row.fields[field], value)) {
        throw QuillonError(rowName(row) + u"的" + meaning + u"“" + row.fields[field] +
                           u"”不是十六进制数，无法写入热键。");
    }
    return value;
}

ustring toggleName(const HotkeysToWrite& toWrite, int index) {
    return u"“" + toWrite.toggleNames[static_cast<std::size_t>(index)] + u"”";
}

// The kept codes of a hotkey whose text is still the one read; null when it was changed.
const HotkeyAsRead* unchanged(const std::optional<HotkeyAsRead>& read, const ustring& text) {
    return read && read->text == text ? &*read : nullptr;
}

struct ImmEntryName {
    std::uint32_t number = 0;
    ustring name; // as the key lists it
};

// The numbered IMM entries (100 to 1FF) among the sub-keys of the IMM hotkey key, from one
// listing of the key rather than a probe of each of the 256 names. In number order, whatever
// order the listing has: of two entries for one layout, the higher number's hotkey is the one
// shown.
std::vector<ImmEntryName> numberedImmEntries(StringList names) {
    std::vector<ImmEntryName> entries;
    for (ustring& name : names) {
        std::uint32_t n = 0;
        if (name.size() == 8 && parseHex32(name, n) && n >= hotkeys::kFirstImmEntry &&
            n <= hotkeys::kLastImmEntry) {
            entries.push_back({n, std::move(name)});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const ImmEntryName& a, const ImmEntryName& b) { return a.number < b.number; });
    return entries;
}

std::vector<ImmEntryName> existingImmEntries(platform::TRegistry& reg) {
    StringList names;
    if (reg.OpenKey(kImmHotKeys, false)) {
        reg.GetKeyNames(names);
    }
    return numberedImmEntries(std::move(names));
}

const platform::RegValue* valueNamed(const platform::NamedValues& values, ustring_view name) {
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&](const auto& v) { return equalsNoCase(v.first, name); });
    return found == values.end() ? nullptr : &found->second;
}

// Which IMM entry numbers are taken once the language's own are removed.
std::vector<bool> planImmRemoval(const HotkeysToWrite& toWrite, HotkeyPlan& plan,
                                 platform::KeyReads& reads) {
    const ustring language = hexText(toWrite.language, 4);
    std::vector<bool> taken(hotkeys::kLastImmEntry - hotkeys::kFirstImmEntry + 1, false);
    const auto& hotKeys = reads.read(kImmHotKeys);
    for (const ImmEntryName& entry :
         numberedImmEntries(hotKeys ? hotKeys->subKeys : StringList())) {
        bool own = false;
        if (const auto& contents = reads.read(subkeyPath(kImmHotKeys, entry.name))) {
            const platform::RegValue* target = valueNamed(contents->values, u"Target IME");
            own = target &&
                  hexText(hotkeys::binary32Of(*target, u"Target IME"), 8).substr(4) == language;
        }
        if (own) {
            plan.immEntriesToRemove.push_back(entry.name);
        } else {
            taken[entry.number - hotkeys::kFirstImmEntry] = true;
        }
    }
    return taken;
}

void planToggles(const HotkeysToWrite& toWrite, HotkeyPlan& plan) {
    const auto group = hotkeys::toggleGroup(toWrite.language);
    if (!group) {
        return;
    }
    for (int i = 0; i < group->count; ++i) {
        HotkeyPlan::Toggle toggle;
        toggle.subkey = hotkeys::toggleSubkey(*group, i);
        const ustring& caption = toWrite.toggleTexts[static_cast<std::size_t>(i)];
        if (const HotkeyAsRead* read =
                unchanged(toWrite.togglesRead[static_cast<std::size_t>(i)], caption)) {
            toggle.modifiers = read->modifiers;
            toggle.virtualKey = read->virtualKey;
        } else if (!caption.empty() && caption != u"无") {
            const Converted codes = convert(toWrite, caption, toggleName(toWrite, i));
            toggle.modifiers = codes.modifiers;
            toggle.virtualKey = codes.virtualKey;
        }
        plan.toggles.push_back(std::move(toggle));
    }
}

// What the text-service key holds for the language: the names other languages' entries keep
// (upper-cased, as names are compared without regard to case), and the language's own
// entries by the input method they name, so that a commit rewrites an input method's entry
// where it stands instead of removing it and making a new one.
// An entry's values are read in one enumeration, not with an open, a size and a read each.
std::optional<ustring> textValue(const platform::NamedValues& values, ustring_view name) {
    const platform::RegValue* value = valueNamed(values, name);
    if (!value || (value->type != platform::kRegSz && value->type != platform::kRegExpandSz)) {
        return std::nullopt;
    }
    return platform::stringOf(*value, name);
}

struct TextServiceKeyState {
    std::set<ustring> taken;
    struct Own {
        ustring name;
        ustring preservedKeyId;
        bool reused = false;
        platform::NamedValues values;
    };
    // Keyed by the upper-cased "CLSID" and "Profile"; the first entry of each wins.
    std::map<std::pair<ustring, ustring>, Own> own;
};

TextServiceKeyState planTextServiceRemoval(const HotkeysToWrite& toWrite, HotkeyPlan& plan,
                                           platform::KeyReads& reads) {
    const auto& key = reads.read(kDirectSwitchHotkeys);
    TextServiceKeyState state;
    for (const ustring& name : key ? key->subKeys : StringList()) {
        const auto& contents = reads.read(subkeyPath(kDirectSwitchHotkeys, name));
        if (!contents) {
            state.taken.insert(toUpper(name));
            continue;
        }
        const platform::NamedValues& values = contents->values;
        // An entry that names no language belongs to none that could keep it.
        const platform::RegValue* langIdValue = valueNamed(values, u"LangId");
        const ustring langId =
            langIdValue ? platform::stringOf(*langIdValue, u"LangId") : ustring();
        std::uint32_t value = 0;
        if (!langId.empty() && !parseHex32(langId, value)) {
            throw QuillonError(u"注册表项“HKEY_CURRENT_USER" +
                               subkeyPath(kDirectSwitchHotkeys, name) + u"”的值“LangId”（“" +
                               platform::quotedData(langId) + u"”）不是十六进制数，无法写入热键。");
        }
        if (!langId.empty() && value != toWrite.language) {
            state.taken.insert(toUpper(name));
            continue;
        }
        plan.textServiceEntriesToRemove.push_back(name);
        // An entry in a form the reader skips is only removed, never rewritten.
        const std::optional<ustring> clsid = textValue(values, u"CLSID");
        const std::optional<ustring> profile = textValue(values, u"Profile");
        if (langId.empty() || !clsid || !profile) {
            continue;
        }
        TextServiceKeyState::Own own{name, textValue(values, u"PreservedKeyId").value_or(u""),
                                     false, values};
        if (!parseGuid(own.preservedKeyId)) {
            own.preservedKeyId.clear();
        }
        state.own.emplace(std::make_pair(toUpper(*clsid), toUpper(*profile)), std::move(own));
    }
    return state;
}

HotkeyPlan::TextServiceEntry textServiceEntry(const HotkeysToWrite& toWrite,
                                              const InputMethodEntry& row,
                                              const HotkeyAsRead* read) {
    HotkeyPlan::TextServiceEntry entry;
    entry.clsid = row.fields[kFieldClsid];
    entry.langId = hexText(hexField(row, kFieldLangid, u"语言代码"), 8);
    entry.profile = row.fields[kFieldProfile];
    if (read && read->source == HotkeyAsRead::Source::TextServiceEntry) {
        entry.modifiers = read->modifierText;
        entry.virtualKey = read->keyText;
    } else if (read) {
        // Read from an IMM entry that targets no layout: the same codes in the texts' form.
        entry.modifiers = hexText(read->modifiers, 8);
        entry.virtualKey = hexText(read->virtualKey, 8);
    } else {
        // A text that would not read back as itself is refused, not stored to be lost.
        const Converted codes = convert(toWrite, row.fields[kFieldHotkey], rowName(row));
        entry.modifiers = u"0000" + codes.modifierText;
        // Eight digits, as Windows writes them, also for a key given by its code ("Ctrl+7C").
        entry.virtualKey = hexText(codes.virtualKey, 8);
    }
    return entry;
}

void planEntries(const HotkeysToWrite& toWrite, HotkeyPlan& plan, std::vector<bool> immTaken,
                 TextServiceKeyState textServices) {
    // The entries rewritten where they stand are neither removed nor free for another.
    for (const InputMethodEntry& row : toWrite.enabled) {
        if (row.fields[kFieldHotkey].empty() || row.fields[kFieldClsid] == nullGuidText()) {
            continue;
        }
        const auto own = textServices.own.find(
            {toUpper(row.fields[kFieldClsid]), toUpper(row.fields[kFieldProfile])});
        if (own != textServices.own.end() && !own->second.reused) {
            own->second.reused = true;
            textServices.taken.insert(toUpper(own->second.name));
            auto& removals = plan.textServiceEntriesToRemove;
            removals.erase(std::find(removals.begin(), removals.end(), own->second.name));
        }
    }
    // Each entry takes the lowest number that is free, so the next one's is above it: one
    // running number, never a search from the start.
    int textServiceNumber = 1000;
    for (const InputMethodEntry& row : toWrite.enabled) {
        const ustring& text = row.fields[kFieldHotkey];
        if (text.empty()) {
            continue;
        }
        const auto found = toWrite.read.find(hotkeyRowIdentity(row));
        const HotkeyAsRead* read =
            found != toWrite.read.end() && found->second.text == text ? &found->second : nullptr;
        if (row.fields[kFieldClsid] != nullGuidText()) {
            HotkeyPlan::TextServiceEntry entry = textServiceEntry(toWrite, row, read);
            const auto own = textServices.own.find(
                {toUpper(row.fields[kFieldClsid]), toUpper(row.fields[kFieldProfile])});
            if (own != textServices.own.end() && own->second.reused) {
                entry.subkey = own->second.name;
                entry.preservedKeyId = own->second.preservedKeyId;
                entry.present = std::move(own->second.values);
                // A second row of the same input method gets an entry of its own.
                textServices.own.erase(own);
            } else {
                do {
                    entry.subkey = u"0000" + fromUtf8(std::to_string(textServiceNumber++));
                } while (textServices.taken.count(entry.subkey) > 0);
            }
            plan.entries.emplace_back(std::move(entry));
            continue;
        }
        HotkeyPlan::ImmEntry entry;
        entry.targetIme = hexField(row, kFieldHkl, u"键盘布局代码");
        if (read && read->source == HotkeyAsRead::Source::ImmEntry) {
            entry.modifiers = read->modifiers;
            entry.virtualKey = read->virtualKey;
        } else {
            const Converted codes = convert(toWrite, text, rowName(row));
            entry.modifiers = codes.modifiers;
            entry.virtualKey = codes.virtualKey;
        }
        const auto slot = std::find(immTaken.begin(), immTaken.end(), false);
        if (slot == immTaken.end()) {
            throw QuillonError(rowName(row) + u"的热键“" + text +
                               u"”无法保存：输入法热键的编号 00000100 至 000001FF 已全部被占用。");
        }
        *slot = true;
        entry.subkey = hexText(
            hotkeys::kFirstImmEntry + static_cast<std::uint32_t>(slot - immTaken.begin()), 8);
        plan.entries.emplace_back(std::move(entry));
    }
}

QuillonError cannotCreate(const ustring& path) {
    return QuillonError(u"无法创建注册表项“HKEY_CURRENT_USER" + path + u"”。");
}

// An entry that stays would be a second hotkey beside the one written for the same input
// method, so a removal that fails ends the write. One that has gone meanwhile is fine.
void removeEntry(platform::TRegistry& reg, const ustring& path) {
    if (!reg.DeleteKey(path) && reg.KeyExists(path)) {
        throw QuillonError(u"无法删除注册表项“HKEY_CURRENT_USER" + path + u"”。");
    }
}

// Each entry's values are written through one open of its key.
void writeEntry(platform::KeyReads& reads, const ustring& path,
                const platform::ValueChanges& values) {
    if (!values.apply(reads, path, true)) {
        throw cannotCreate(path);
    }
}

void writeTextServiceEntry(platform::KeyReads& reads, platform::System& system,
                           const HotkeyPlan::TextServiceEntry& entry) {
    // An entry rewritten where it stands keeps the id the text service knows it by.
    const ustring preservedKeyId =
        entry.preservedKeyId.empty() ? guidToText(system.UuidCreate()) : entry.preservedKeyId;
    using platform::stringValue;
    const platform::NamedValues& present = entry.present;
    platform::ValueChanges values;
    values.writeIfChanged(present, u"CLSID", stringValue(entry.clsid))
        .writeIfChanged(present, u"LangId", stringValue(entry.langId))
        .writeIfChanged(present, u"Profile", stringValue(entry.profile))
        .writeIfChanged(present, u"PreservedKeyId", stringValue(preservedKeyId))
        .writeIfChanged(present, u"Modifiers", stringValue(entry.modifiers))
        .writeIfChanged(present, u"virtualkey", stringValue(entry.virtualKey));
    if (!values.empty()) {
        writeEntry(reads, subkeyPath(kDirectSwitchHotkeys, entry.subkey), values);
    }
}

// An IMM entry that is rewritten under its own number and holds nothing but an entry's values,
// spelled as they are written, is written where it stands rather than removed and made anew.
const char16_t* const kImmEntryValues[] = {u"Target IME", u"Key Modifiers", u"Virtual Key"};

bool plainImmEntry(const std::optional<platform::KeyContents>& entry) {
    return entry && entry->subKeys.empty() &&
           std::all_of(entry->values.begin(), entry->values.end(), [](const auto& v) {
               return std::find(std::begin(kImmEntryValues), std::end(kImmEntryValues), v.first) !=
                      std::end(kImmEntryValues);
           });
}

void writeImmEntry(platform::KeyReads& reads, const HotkeyPlan::ImmEntry& entry,
                   const platform::NamedValues& present) {
    platform::ValueChanges values;
    values.writeIfChanged(present, u"Target IME", binary32(entry.targetIme))
        .writeIfChanged(present, u"Key Modifiers", binary32(entry.modifiers))
        .writeIfChanged(present, u"Virtual Key", binary32(entry.virtualKey));
    if (!values.empty()) {
        writeEntry(reads, subkeyPath(kImmHotKeys, entry.subkey), values);
    }
}

} // namespace

std::vector<ustring> HotkeyPlan::keysTouched() const {
    std::vector<ustring> keys;
    const auto add = [&](const ustring& key, const ustring& name) {
        keys.push_back(platform::normalizeKeyPath(subkeyPath(key, name)));
    };
    for (const ustring& name : immEntriesToRemove) {
        add(kImmHotKeys, name);
    }
    for (const Toggle& toggle : toggles) {
        add(kImmHotKeys, toggle.subkey);
    }
    for (const ustring& name : textServiceEntriesToRemove) {
        add(kDirectSwitchHotkeys, name);
    }
    for (const auto& entry : entries) {
        if (const auto* textService = std::get_if<TextServiceEntry>(&entry)) {
            add(kDirectSwitchHotkeys, textService->subkey);
        } else {
            add(kImmHotKeys, std::get<ImmEntry>(entry).subkey);
        }
    }
    return keys;
}

HotkeyPlan planHotkeys(const HotkeysToWrite& toWrite, platform::KeyReads& reads) {
    HotkeyPlan plan;
    std::vector<bool> immTaken = planImmRemoval(toWrite, plan, reads);
    planToggles(toWrite, plan);
    planEntries(toWrite, plan, std::move(immTaken), planTextServiceRemoval(toWrite, plan, reads));
    return plan;
}

void writeHotkeys(const HotkeyPlan& plan, platform::KeyReads& reads, platform::System& system) {
    platform::TRegistry reg(reads.backend(), reads.hive());
    // The language's IMM entries that are written again under the same number stay.
    std::set<ustring> immWritten;
    for (const auto& entry : plan.entries) {
        if (const auto* imm = std::get_if<HotkeyPlan::ImmEntry>(&entry)) {
            immWritten.insert(imm->subkey);
        }
    }
    std::map<ustring, const platform::NamedValues*> immInPlace;
    for (const ustring& name : plan.immEntriesToRemove) {
        const ustring path = subkeyPath(kImmHotKeys, name);
        const auto& present = reads.read(path);
        if (immWritten.count(name) > 0 && plainImmEntry(present)) {
            immInPlace[name] = &present->values;
        } else {
            removeEntry(reg, path);
        }
    }
    // What a toggle's key holds stays unless it is one of the toggle's values.
    for (const HotkeyPlan::Toggle& toggle : plan.toggles) {
        const ustring path = subkeyPath(kImmHotKeys, toggle.subkey);
        const auto& read = reads.read(path);
        const platform::NamedValues none;
        const platform::NamedValues& present = read ? read->values : none;
        platform::ValueChanges values;
        values.writeIfChanged(present, u"Key Modifiers", binary32(toggle.modifiers))
            .writeIfChanged(present, u"Virtual Key", binary32(toggle.virtualKey))
            .writeIfChanged(present, u"Target IME", binary32(0));
        if (!values.empty()) {
            writeEntry(reads, path, values);
        }
    }
    for (const ustring& name : plan.textServiceEntriesToRemove) {
        removeEntry(reg, subkeyPath(kDirectSwitchHotkeys, name));
    }
    for (const auto& entry : plan.entries) {
        if (const auto* textService = std::get_if<HotkeyPlan::TextServiceEntry>(&entry)) {
            writeTextServiceEntry(reads, system, *textService);
        } else {
            const auto& imm = std::get<HotkeyPlan::ImmEntry>(entry);
            const auto kept = immInPlace.find(imm.subkey);
            writeImmEntry(reads, imm,
                          kept != immInPlace.end() ? *kept->second : platform::NamedValues());
        }
    }
}

void readHotkeys(platform::RegistryBackend& registry, std::uint16_t language, const KeyTable& keys,
                 EntryList& enabled, std::map<ustring, HotkeyAsRead>& read) {
    read.clear();
    // The rows by what an entry names them by, each in row order: no scan of every row for
    // every entry.
    std::map<std::pair<ustring, ustring>, std::vector<std::size_t>> byTextService;
    std::map<ustring, std::vector<std::size_t>> byLayout;
    for (std::size_t i = 0; i < enabled.size(); ++i) {
        const InputMethodEntry& row = enabled[i];
        byTextService[{toUpper(row.fields[kFieldClsid]), toUpper(row.fields[kFieldProfile])}]
            .push_back(i);
        byLayout[row.fields[kFieldHkl]].push_back(i);
    }

    platform::TRegistry reg(registry);
    StringList names;
    if (reg.OpenKey(kDirectSwitchHotkeys, false)) {
        reg.GetKeyNames(names);
    }
    // Each entry's values are read once, in one call.
    platform::KeyReads entries(registry, platform::Hive::CurrentUser);
    for (const ustring& name : names) {
        const std::optional<platform::NamedValues> entry =
            entries.values(subkeyPath(kDirectSwitchHotkeys, name));
        if (!entry) {
            continue;
        }
        const platform::NamedValues& values = *entry;
        // Read as ReadString reads: a missing value is empty, one of another type an error.
        const auto text = [&](ustring_view valueName) {
            const platform::RegValue* value = valueNamed(values, valueName);
            return value ? platform::stringOf(*value, valueName) : ustring();
        };
        ustring clsid, profile, modifiers, virtualKey, langId;
        // An entry with a value in a wrong form shows no hotkey; the other entries still do.
        try {
            clsid = text(u"CLSID");
            profile = text(u"profile");
            modifiers = text(u"Modifiers");
            virtualKey = text(u"VirtualKey");
            langId = text(u"LangId");
        } catch (const QuillonError&) {
            continue;
        }
        // Another language's entry for the same text service is that language's hotkey, as
        // the commit sees it; one that names no language belongs to whichever shows it.
        std::uint32_t entryLanguage = 0;
        if (!langId.empty() && (!parseHex32(langId, entryLanguage) || entryLanguage != language)) {
            continue;
        }
        // A GUID written in lower case names the same text service.
        const auto rows = byTextService.find({toUpper(clsid), toUpper(profile)});
        if (rows == byTextService.end()) {
            continue;
        }
        // Four digits select the short form: text services keep no side.
        const ustring modifierText = modifiers.empty() ? u"0000" : lastChars(modifiers, 4);
        const ustring keyText = virtualKey.empty() ? u"00" : lastChars(virtualKey, 2);
        for (const std::size_t i : rows->second) {
            InputMethodEntry& row = enabled[i];
            row.fields[kFieldHotkey] = hotkeyTextOfCodes(keys, modifierText, keyText);
            HotkeyAsRead codes;
            codes.text = row.fields[kFieldHotkey];
            codes.source = HotkeyAsRead::Source::TextServiceEntry;
            codes.modifierText = modifiers;
            codes.keyText = virtualKey;
            read[hotkeyRowIdentity(row)] = std::move(codes);
        }
    }

    for (const ImmEntryName& entry : existingImmEntries(reg)) {
        const std::optional<platform::NamedValues> values =
            entries.values(subkeyPath(kImmHotKeys, entry.name));
        if (!values) {
            continue;
        }
        // A missing value reads as none; one in a wrong form spoils the entry.
        const auto number = [&](ustring_view valueName) -> std::optional<std::uint32_t> {
            const platform::RegValue* value = valueNamed(*values, valueName);
            return value ? std::optional(hotkeys::binary32Of(*value, valueName)) : std::nullopt;
        };
        std::optional<std::uint32_t> target;
        HotkeyAsRead codes;
        codes.source = HotkeyAsRead::Source::ImmEntry;
        try {
            target = number(u"Target IME");
            if (!target) {
                continue;
            }
            codes.virtualKey = number(u"Virtual Key").value_or(0);
            codes.modifiers = number(u"Key Modifiers").value_or(0);
        } catch (const QuillonError&) {
            continue;
        }
        const auto rows = byLayout.find(hexText(*target, 8));
        if (rows == byLayout.end()) {
            continue;
        }
        for (const std::size_t i : rows->second) {
            InputMethodEntry& row = enabled[i];
            row.fields[kFieldHotkey] = hotkeyTextOfCodes(keys, hexText(codes.modifiers, 8),
                                                         hotkeys::hexAtLeast(codes.virtualKey, 2));
            codes.text = row.fields[kFieldHotkey];
            read[hotkeyRowIdentity(row)] = codes;
        }
    }
}

} // namespace quillon
