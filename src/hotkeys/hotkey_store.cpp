// The per-input-method hotkey store: reading Windows' direct-switch hotkeys into the enabled
// list, and writing the enabled list's hotkeys and the general toggles back.
#include "hotkeys/hotkey_store.h"

#include "app/tform1.h"
#include "core/error.h"
#include "hotkeys/hotkey_registry.h"

#include <string>

namespace quillon {

namespace {

using hotkeys::kDirectSwitchHotkeys;
using hotkeys::kImmHotKeys;
using hotkeys::readBinary32;
using hotkeys::writeBinary32;

ustring subkeyPath(const char16_t* key, const ustring& name) {
    return key + (u"\\" + name);
}

ustring lastChars(const ustring& text, std::size_t count) {
    return text.size() > count ? text.substr(text.size() - count) : text;
}

// A hotkey text as the numbers an IMM entry or a general toggle stores. `what` names the
// input method or toggle for the message.
struct ImmCodes {
    std::uint32_t modifiers = 0;
    std::uint32_t virtualKey = 0;
};

ImmCodes immCodes(TForm1& form, const ustring& text, const ustring& what) {
    ustring modifiers;
    ustring key;
    form.keytocode(text, modifiers, key);
    if (const KeyRow* row = findKeyName(form.scancode, key)) {
        key = u"00" + row->code;
    }
    const ustring prefix = what + u"的热键“" + text + u"”无法转换为按键代码：";
    ImmCodes codes;
    if (!parseHex32(modifiers, codes.modifiers)) {
        throw QuillonError(prefix + u"“" + modifiers + u"”不是可识别的修饰键。");
    }
    if (!parseHex32(key, codes.virtualKey)) {
        throw QuillonError(prefix + u"“" + key + u"”不是可识别的按键。");
    }
    return codes;
}

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

const Control& toggleButton(TForm1& form, int index) {
    const Control* buttons[] = {&form.Button_SW1, &form.Button_SW2, &form.Button_SW3};
    return *buttons[index];
}

// The label beside a toggle button names it; its caption ends in a colon.
ustring toggleName(TForm1& form, int index) {
    const Control* labels[] = {&form.Label_SW1, &form.Label_SW2, &form.Label_SW3};
    ustring name = labels[index]->caption;
    if (!name.empty()) {
        name.pop_back();
    }
    return u"“" + name + u"”";
}

void planImmRemoval(TForm1& form, HotkeyPlan& plan) {
    const ustring language = hexText(static_cast<std::uint32_t>(form.mylangid), 4);
    platform::TRegistry reg(form.os().registry);
    for (std::uint32_t n = hotkeys::kFirstImmEntry; n <= hotkeys::kLastImmEntry; ++n) {
        const ustring name = hexText(n, 8);
        const ustring path = subkeyPath(kImmHotKeys, name);
        if (!reg.KeyExists(path) || !reg.OpenKey(path, false)) {
            continue;
        }
        const auto target = readBinary32(reg, u"Target IME");
        if (target && hexText(*target, 8).substr(4) == language) {
            plan.immEntriesToRemove.push_back(name);
        }
    }
}

void planToggles(TForm1& form, HotkeyPlan& plan) {
    const auto group = hotkeys::toggleGroup(form.mylangid);
    if (!group) {
        return;
    }
    for (int i = 0; i < group->count; ++i) {
        HotkeyPlan::Toggle toggle;
        toggle.subkey = hotkeys::toggleSubkey(*group, i);
        const ustring& caption = toggleButton(form, i).caption;
        if (!caption.empty() && caption != u"无") {
            const ImmCodes codes = immCodes(form, caption, toggleName(form, i));
            toggle.modifiers = codes.modifiers;
            toggle.virtualKey = codes.virtualKey;
        }
        plan.toggles.push_back(std::move(toggle));
    }
}

void planTextServiceRemoval(TForm1& form, HotkeyPlan& plan) {
    platform::TRegistry reg(form.os().registry);
    StringList names;
    if (reg.OpenKey(kDirectSwitchHotkeys, false)) {
        reg.GetKeyNames(names);
    }
    for (const ustring& name : names) {
        if (!reg.OpenKey(subkeyPath(kDirectSwitchHotkeys, name), false)) {
            continue;
        }
        // An entry that names no language belongs to none that could keep it.
        const ustring langId = reg.ReadString(u"LangId");
        std::uint32_t value = 0;
        if (!langId.empty() && !parseHex32(langId, value)) {
            throw QuillonError(u"注册表项“HKEY_CURRENT_USER" +
                               subkeyPath(kDirectSwitchHotkeys, name) + u"”的值“LangId”（“" +
                               langId + u"”）不是十六进制数，无法写入热键。");
        }
        if (langId.empty() || value == static_cast<std::uint32_t>(form.mylangid)) {
            plan.textServiceEntriesToRemove.push_back(name);
        }
    }
}

void planEntries(TForm1& form, HotkeyPlan& plan) {
    for (const InputMethodEntry& row : form.ListView1.rows) {
        const ustring& text = row.fields[kFieldHotkey];
        if (text.empty()) {
            continue;
        }
        if (row.fields[kFieldClsid] != nullGuidText()) {
            // Text-service entries hold texts, so nothing here has to become a number: a
            // text outside the tables is stored as it is.
            ustring modifiers;
            ustring key;
            form.keytocode(text, modifiers, key);
            if (const KeyRow* found = findKeyName(form.scancode, key)) {
                key = u"000000" + found->code;
            }
            HotkeyPlan::TextServiceEntry entry;
            entry.clsid = row.fields[kFieldClsid];
            entry.langId = hexText(hexField(row, kFieldLangid, u"语言代码"), 8);
            entry.profile = row.fields[kFieldProfile];
            entry.modifiers = u"0000" + modifiers;
            entry.virtualKey = key;
            plan.entries.emplace_back(std::move(entry));
        } else {
            const ImmCodes codes = immCodes(form, text, rowName(row));
            HotkeyPlan::ImmEntry entry;
            entry.targetIme = hexField(row, kFieldHkl, u"键盘布局代码");
            entry.modifiers = codes.modifiers;
            entry.virtualKey = codes.virtualKey;
            plan.entries.emplace_back(entry);
        }
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

void writeTextServiceEntry(TForm1& form, const HotkeyPlan::TextServiceEntry& entry) {
    const Guid preservedKeyId = form.os().system.UuidCreate();
    platform::TRegistry reg(form.os().registry);
    ustring path;
    for (int k = 1;; ++k) {
        path = subkeyPath(kDirectSwitchHotkeys, u"0000" + fromUtf8(std::to_string(999 + k)));
        if (!reg.KeyExists(path)) {
            break;
        }
    }
    if (!reg.OpenKey(path, true)) {
        return;
    }
    reg.WriteString(u"CLSID", entry.clsid);
    reg.WriteString(u"LangId", entry.langId);
    reg.WriteString(u"Profile", entry.profile);
    reg.WriteString(u"PreservedKeyId", guidToText(preservedKeyId));
    reg.WriteString(u"Modifiers", entry.modifiers);
    reg.WriteString(u"virtualkey", entry.virtualKey);
}

void writeImmEntry(TForm1& form, const HotkeyPlan::ImmEntry& entry) {
    platform::TRegistry reg(form.os().registry);
    for (std::uint32_t n = hotkeys::kFirstImmEntry; n <= hotkeys::kLastImmEntry; ++n) {
        const ustring path = subkeyPath(kImmHotKeys, hexText(n, 8));
        if (reg.KeyExists(path)) {
            continue;
        }
        if (!reg.OpenKey(path, true)) {
            throw cannotCreate(path);
        }
        writeBinary32(reg, u"Target IME", entry.targetIme);
        writeBinary32(reg, u"Key Modifiers", entry.modifiers);
        writeBinary32(reg, u"Virtual Key", entry.virtualKey);
        return;
    }
}

} // namespace

HotkeyPlan planHotkeys(TForm1& form) {
    HotkeyPlan plan;
    planImmRemoval(form, plan);
    planToggles(form, plan);
    planTextServiceRemoval(form, plan);
    planEntries(form, plan);
    return plan;
}

void writeHotkeys(TForm1& form, const HotkeyPlan& plan) {
    platform::TRegistry reg(form.os().registry);
    for (const ustring& name : plan.immEntriesToRemove) {
        removeEntry(reg, subkeyPath(kImmHotKeys, name));
    }
    for (const HotkeyPlan::Toggle& toggle : plan.toggles) {
        const ustring path = subkeyPath(kImmHotKeys, toggle.subkey);
        platform::TRegistry key(form.os().registry);
        if (!key.OpenKey(path, true)) {
            throw cannotCreate(path);
        }
        writeBinary32(key, u"Key Modifiers", toggle.modifiers);
        writeBinary32(key, u"Virtual Key", toggle.virtualKey);
        writeBinary32(key, u"Target IME", 0);
    }
    for (const ustring& name : plan.textServiceEntriesToRemove) {
        removeEntry(reg, subkeyPath(kDirectSwitchHotkeys, name));
    }
    for (const auto& entry : plan.entries) {
        if (const auto* textService = std::get_if<HotkeyPlan::TextServiceEntry>(&entry)) {
            writeTextServiceEntry(form, *textService);
        } else {
            writeImmEntry(form, std::get<HotkeyPlan::ImmEntry>(entry));
        }
    }
}

std::vector<ustring> hotkeyKeysTouched() {
    return {platform::normalizeKeyPath(kDirectSwitchHotkeys),
            platform::normalizeKeyPath(kImmHotKeys)};
}

void TForm1::gethotkey() {
    platform::TRegistry reg(os().registry);
    StringList names;
    if (reg.OpenKey(kDirectSwitchHotkeys, false)) {
        reg.GetKeyNames(names);
    }
    for (const ustring& name : names) {
        if (!reg.OpenKey(subkeyPath(kDirectSwitchHotkeys, name), false)) {
            continue;
        }
        const ustring clsid = reg.ReadString(u"CLSID");
        const ustring profile = reg.ReadString(u"profile");
        const ustring modifiers = reg.ReadString(u"Modifiers");
        const ustring virtualKey = reg.ReadString(u"VirtualKey");
        // Four digits select the short form: text services keep no side.
        const ustring modifierText = modifiers.empty() ? u"0000" : lastChars(modifiers, 4);
        const ustring keyText = virtualKey.empty() ? u"00" : lastChars(virtualKey, 2);
        for (InputMethodEntry& row : ListView1.rows) {
            if (row.fields[kFieldClsid] == clsid && row.fields[kFieldProfile] == profile) {
                codetokey(modifierText, keyText, row.fields[kFieldHotkey]);
            }
        }
    }

    for (std::uint32_t n = hotkeys::kFirstImmEntry; n <= hotkeys::kLastImmEntry; ++n) {
        const ustring path = subkeyPath(kImmHotKeys, hexText(n, 8));
        if (!reg.KeyExists(path) || !reg.OpenKey(path, false)) {
            continue;
        }
        const auto target = readBinary32(reg, u"Target IME");
        if (!target) {
            continue;
        }
        const ustring targetText = hexText(*target, 8);
        for (InputMethodEntry& row : ListView1.rows) {
            if (row.fields[kFieldHkl] != targetText) {
                continue;
            }
            const ustring keyText =
                hotkeys::hexAtLeast(readBinary32(reg, u"Virtual Key").value_or(0), 2);
            const ustring modifierText =
                hexText(readBinary32(reg, u"Key Modifiers").value_or(0), 8);
            codetokey(modifierText, keyText, row.fields[kFieldHotkey]);
        }
    }
}

void TForm1::puthotkey() {
    writeHotkeys(*this, planHotkeys(*this));
}

} // namespace quillon
