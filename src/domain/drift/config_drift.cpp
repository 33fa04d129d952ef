// Comparing the machine's setup with a configuration file, by the load's own rules.
#include "drift/config_drift.h"

#include "core/error.h"
#include "core/whole_number.h"
#include "files/config_file.h"
#include "files/config_target.h"
#include "hotkeys/hotkey_registry.h"
#include "hotkeys/switch_key_rules.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>

namespace quillon {

namespace {

ustring quoted(ustring_view text) {
    return u"“" + ustring(text) + u"”";
}

ustring number(std::size_t n) {
    return fromUtf8(std::to_string(n));
}

// What the load reads a number setting as: a value that is no number counts as 0.
std::int32_t numberOrZero(const ustring& value) {
    return tryWholeNumber(value).value_or(0);
}

struct ListRow {
    ustring key;
    InputMethodEntry row;
};

std::vector<ListRow> listRows(const IniSection* section) {
    std::vector<ListRow> rows;
    if (section) {
        for (const IniEntry& entry : section->entries) {
            rows.push_back({entry.key, listRow(entry.value)});
        }
    }
    return rows;
}

ustring hotkeyShown(const ustring& text) {
    return text.empty() ? ustring(u"无") : text;
}

// The combo item a value selects, as the load finds it; empty when it names none (the load
// then keeps what is selected).
ustring itemOf(const StringList& items, const ustring& value) {
    const ustring v = upperAscii(value);
    for (const ustring& item : items) {
        if (equalsNoCase(item, v)) {
            return item;
        }
    }
    return {};
}

// How a switching-key item is written into a document so that the load selects it again.
ustring switchKeyValue(const StringList& items, int item) {
    if (item == 2) {
        return u"disable";
    }
    return item >= 0 && item < static_cast<int>(items.size())
               ? items[static_cast<std::size_t>(item)]
               : ustring();
}

struct PerUserKey {
    const char16_t* section;
    const char16_t* key;
};

// Settings Windows keeps once for the user, whatever language's section names them. The two
// switching keys are judged together (`switchKeysAfter`).
constexpr PerUserKey kPerUserKeys[] = {
    {kSwitchKeySection, u"CAPS"},
    {kOtherSection, u"SwitchMode"},
    {kOtherSection, u"LanguageBar"},
    {kOtherSection, u"InputEmoji"},
};

class Comparison {
public:
    Comparison(const IniDocument& file, const IniDocument& machine, const StringList& languages,
               const KeyTable& keys)
        : file_(file), machine_(machine), languages_(languages), keys_(keys) {}

    ConfigDrift run() {
        const StringList& languages = languages_;
        findLastSetters(languages);
        for (const ustring& language : languages) {
            const ustring name = language + kListSection;
            if (const IniSection* section = file_.section(name)) {
                targets_[language] = listTarget(
                    *section, identitiesOf(machine_, {name, language + kDisabledSection}));
            }
        }
        for (const ustring& language : languages) {
            compareList(language);
            compareSwitchKeys(language);
            compareOther(language);
        }
        compareSwitchKeyPair(languages);
        compareDefault(languages);
        noteNotInstalled(languages);
        return std::move(drift_);
    }

private:
    // The value a per-user setting takes when the load ends, and the language that sets it.
    void findLastSetters(const StringList& languages) {
        for (const ustring& language : languages) {
            for (const PerUserKey& k : kPerUserKeys) {
                const IniEntry* entry = file_.entry(language + k.section, k.key);
                if (entry && !fileItem(k, *entry).empty()) {
                    lastSetter_[k.key] = language;
                }
            }
        }
    }

    // What the load selects or sets for the key; empty when it keeps what Windows holds.
    ustring fileItem(const PerUserKey& k, const IniEntry& entry) const {
        if (ustring_view(k.key) == u"CAPS") {
            return itemOf(kCapsLockKeyNames, entry.value);
        }
        return numberOrZero(entry.value) != 0 ? u"1" : u"0";
    }

    ustring machineValue(const ustring& section, ustring_view key) const {
        const IniEntry* entry = machine_.entry(section, key);
        return entry ? entry->value : ustring();
    }

    void differs(const ustring& line) { drift_.differences.push_back(line); }

    void compareList(const ustring& language) {
        const ustring name = language + kListSection;
        const auto target = targets_.find(language);
        if (target == targets_.end()) {
            return;
        }
        const std::vector<ListTarget::Row>& wanted = target->second.rows;
        const std::vector<ListRow> held = listRows(machine_.section(name));
        const std::size_t before = drift_.differences.size();

        for (const ListTarget::Row& row : target->second.notInstalled) {
            drift_.cannotHold.push_back(name + u" " + row.key + u"（" + row.row.name +
                                        u"）：本机没有安装");
        }
        // Each row of the file against the row of the machine written the same way.
        std::vector<int> match(wanted.size(), -1);
        std::vector<bool> used(held.size(), false);
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            const ustring identity = rowIdentity(wanted[i].row);
            for (std::size_t j = 0; j < held.size(); ++j) {
                if (!used[j] && rowIdentity(held[j].row) == identity) {
                    match[i] = static_cast<int>(j);
                    used[j] = true;
                    break;
                }
            }
        }
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (match[i] < 0) {
                differs(name + u" " + wanted[i].key + u"（" + wanted[i].row.name +
                        u"）：文件中启用，本机没有启用");
            }
        }
        for (std::size_t j = 0; j < held.size(); ++j) {
            if (!used[j]) {
                differs(name + u"：本机启用的" + quoted(held[j].row.name) + u"（第 " +
                        number(j + 1) + u" 个）文件中没有");
            }
        }
        // The order of the rows both have.
        ustring fileOrder;
        ustring machineOrder;
        bool inOrder = true;
        int last = -1;
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (match[i] < 0) {
                continue;
            }
            inOrder = inOrder && match[i] > last;
            last = match[i];
            fileOrder += (fileOrder.empty() ? u"" : u"、") + wanted[i].row.name;
        }
        for (std::size_t j = 0; j < held.size(); ++j) {
            if (used[j]) {
                machineOrder += (machineOrder.empty() ? u"" : u"、") + held[j].row.name;
            }
        }
        if (!inOrder) {
            differs(name + u" 顺序：文件为" + quoted(fileOrder) + u"，本机为" +
                    quoted(machineOrder));
        }
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (match[i] < 0) {
                continue;
            }
            const ustring& want = wanted[i].row.fields[kFieldHotkey];
            const ustring& have = held[static_cast<std::size_t>(match[i])].row.fields[kFieldHotkey];
            if (!sameHotkeyAfterWrite(keys_, want, have, storeOf(wanted[i].row))) {
                differs(name + u" " + wanted[i].key + u"（" + wanted[i].row.name +
                        u"）热键：文件为" + quoted(hotkeyShown(want)) + u"，本机为" +
                        quoted(hotkeyShown(have)));
            }
        }
        if (drift_.differences.size() != before) {
            // The load replaces the whole list with the rows this machine can hold.
            drift_.toApply.addSection(name);
            for (std::size_t i = 0; i < wanted.size(); ++i) {
                drift_.toApply.write(name, number(i + 1), listValue(wanted[i].row, 6));
            }
        }
    }

    void comparePerUser(const ustring& language, const PerUserKey& k) {
        const ustring section = language + k.section;
        const IniEntry* entry = file_.entry(section, k.key);
        const auto setter = lastSetter_.find(k.key);
        if (!entry || setter == lastSetter_.end() || setter->second != language) {
            return;
        }
        const ustring want = fileItem(k, *entry);
        const ustring have = machineValue(section, k.key);
        const ustring held = fileItem(k, IniEntry{k.key, have, 0});
        if (want == held) {
            return;
        }
        differs(section + u" " + k.key + u"：文件为" + quoted(entry->value) + u"，本机为" +
                quoted(have));
        drift_.toApply.write(section, k.key, entry->value);
    }

    void compareSwitchKeys(const ustring& language) {
        const ustring section = language + kSwitchKeySection;
        if (!file_.section(section)) {
            return;
        }
        for (const PerUserKey& k : kPerUserKeys) {
            if (ustring_view(k.section) == kSwitchKeySection) {
                comparePerUser(language, k);
            }
        }
        // The toggles are the language's own; only those it has are written.
        std::uint32_t langid = 0;
        parseHex32(language, langid);
        const auto group = hotkeys::toggleGroup(static_cast<std::int32_t>(langid));
        for (int i = 0; group && i < group->count; ++i) {
            const IniEntry* entry = file_.entry(section, kToggleKeys[i]);
            if (!entry) {
                continue;
            }
            const ustring have = machineValue(section, kToggleKeys[i]);
            if (!sameHotkeyAfterWrite(keys_, upperAscii(entry->value), have, HotkeyStore::Imm)) {
                differs(section + u" " + kToggleKeys[i] + u"：文件为" + quoted(entry->value) +
                        u"，本机为" + quoted(have));
                drift_.toApply.write(section, kToggleKeys[i], entry->value);
            }
        }
    }

    // The two keys as the load leaves them: each language's values in turn, each making the
    // other give way when both would name the same key.
    void compareSwitchKeyPair(const StringList& languages) {
        if (languages.empty()) {
            return;
        }
        const StringList& items = kSwitchKeyNames;
        const ustring held = languages.front() + kSwitchKeySection;
        const ustring haveLayout = machineValue(held, u"layout");
        const ustring haveLanguage = machineValue(held, u"language");
        const SwitchKeyPair start{switchKeyItem(items, haveLayout),
                                  switchKeyItem(items, haveLanguage)};
        ustring setter;
        const SwitchKeyPair after = switchKeysAfter(file_, languages, items, start, setter);
        if (setter.empty() || after == start) {
            return;
        }
        const ustring section = setter + kSwitchKeySection;
        const auto line = [&](const char16_t* key, int want, int have, const ustring& haveText) {
            if (want == have) {
                return;
            }
            const IniEntry* entry = file_.entry(section, key);
            const ustring wanted = switchKeyValue(items, want);
            if (entry && switchKeyItem(items, entry->value) == want) {
                differs(section + u" " + key + u"：文件为" + quoted(entry->value) + u"，本机为" +
                        quoted(haveText));
            } else {
                differs(section + u" " + key + u"：导入后为" + quoted(wanted) +
                        u"（两个切换热键不能相同），本机为" + quoted(haveText));
            }
        };
        line(u"layout", after.layout, start.layout, haveLayout);
        line(u"language", after.language, start.language, haveLanguage);
        // Both, so that the apply sets the pair as the load leaves it.
        if (after.layout >= 0) {
            drift_.toApply.write(section, u"layout", switchKeyValue(items, after.layout));
        }
        if (after.language >= 0) {
            drift_.toApply.write(section, u"language", switchKeyValue(items, after.language));
        }
    }

    void compareOther(const ustring& language) {
        if (!file_.section(language + kOtherSection)) {
            return;
        }
        for (const PerUserKey& k : kPerUserKeys) {
            if (ustring_view(k.section) == kOtherSection) {
                comparePerUser(language, k);
            }
        }
    }

    struct Default {
        ustring identity; // empty: none, the language list is used
        ustring name;
        ustring language;
    };

    // The rows a language's list holds once the load has applied it.
    std::vector<InputMethodEntry> rowsAfter(const ustring& language) const {
        std::vector<InputMethodEntry> rows;
        const auto target = targets_.find(language);
        if (target != targets_.end()) {
            for (const ListTarget::Row& row : target->second.rows) {
                rows.push_back(row.row);
            }
        } else {
            for (ListRow& row : listRows(machine_.section(language + kListSection))) {
                rows.push_back(std::move(row.row));
            }
        }
        return rows;
    }

    Default machineDefault(const StringList& languages) const {
        for (const ustring& language : languages) {
            const std::int32_t d =
                numberOrZero(machineValue(language + kOtherSection, u"DefaultIME"));
            const std::vector<ListRow> rows = listRows(machine_.section(language + kListSection));
            if (d >= 1 && d <= static_cast<std::int32_t>(rows.size())) {
                const InputMethodEntry& row = rows[static_cast<std::size_t>(d - 1)].row;
                return {rowIdentity(row), row.name, language};
            }
        }
        return {};
    }

    // The row a "DefaultIME" value names among the rows the load leaves: the file's row d
    // when the file has the list (its place once repeated rows are dropped), else the
    // machine's. Null when it names none; `missing` when it names a row not installed.
    std::optional<InputMethodEntry> defaultRow(const ustring& language, std::int32_t d,
                                               bool& missing) const {
        missing = false;
        const auto target = targets_.find(language);
        if (target != targets_.end()) {
            const std::vector<int>& placeOf = target->second.placeOf;
            if (d < 1 || d > static_cast<std::int32_t>(placeOf.size())) {
                return std::nullopt;
            }
            const int place = placeOf[static_cast<std::size_t>(d - 1)];
            if (place < 0) {
                missing = true;
                return std::nullopt;
            }
            return target->second.rows[static_cast<std::size_t>(place)].row;
        }
        const std::vector<InputMethodEntry> rows = rowsAfter(language);
        if (d < 1 || d > static_cast<std::int32_t>(rows.size())) {
            return std::nullopt;
        }
        return rows[static_cast<std::size_t>(d - 1)];
    }

    // Windows keeps one default for all languages: the file's sections are played in the
    // load's order, each 0 clearing the default only where it is that language's, and the
    // result is compared once. The apply is given the row's place in the list the load leaves.
    void compareDefault(const StringList& languages) {
        const Default held = machineDefault(languages);
        Default state = held;
        const IniEntry* setter = nullptr;
        ustring setterLanguage;
        for (const ustring& language : languages) {
            const ustring section = language + kOtherSection;
            const IniEntry* entry = file_.entry(section, u"DefaultIME");
            if (!entry) {
                continue;
            }
            const std::int32_t d = numberOrZero(entry->value);
            if (d == 0) {
                const std::vector<InputMethodEntry> rows = rowsAfter(language);
                const bool shown =
                    std::any_of(rows.begin(), rows.end(), [&](const InputMethodEntry& r) {
                        return rowIdentity(r) == state.identity;
                    });
                if (!state.identity.empty() && state.language == language && shown) {
                    state = {};
                    setter = entry;
                    setterLanguage = language;
                }
                continue;
            }
            bool missing = false;
            const std::optional<InputMethodEntry> row = defaultRow(language, d, missing);
            if (missing) {
                drift_.cannotHold.push_back(section + u" DefaultIME：文件为" +
                                            quoted(entry->value) + u"，它指的输入法本机没有安装");
            }
            if (row) {
                state = {rowIdentity(*row), row->name, language};
                setter = entry;
                setterLanguage = language;
            }
        }
        if (!setter || state.identity == held.identity) {
            return;
        }
        const ustring section = setterLanguage + kOtherSection;
        const ustring want = state.identity.empty() ? ustring(u"语言列表") : state.name;
        ustring have = u"语言列表";
        if (!held.identity.empty()) {
            have = held.language == setterLanguage ? held.name : held.language + u" 的" + held.name;
        }
        differs(section + u" DefaultIME：文件为" + quoted(setter->value) + u"（" + want +
                u"），本机为" + quoted(machineValue(section, u"DefaultIME")) + u"（" + have +
                u"）");
        std::size_t place = 0;
        if (!state.identity.empty()) {
            const std::vector<InputMethodEntry> rows = rowsAfter(setterLanguage);
            while (place < rows.size() && rowIdentity(rows[place]) != state.identity) {
                ++place;
            }
            ++place;
        }
        drift_.toApply.write(section, u"DefaultIME", number(place));
    }

    // Sections of a language that is not installed are not applied by the load, so they are
    // no difference; the "_disabled" section is never read.
    void noteNotInstalled(const StringList& languages) {
        StringList order;
        std::map<ustring, ustring> sections;
        for (const IniSection& section : file_.sections()) {
            const std::size_t underscore = section.name.find(u'_');
            if (underscore == ustring::npos) {
                continue;
            }
            const ustring language = toUpper(ustring_view(section.name).substr(0, underscore));
            const ustring suffix = section.name.substr(underscore);
            const bool applied = equalsNoCase(suffix, kListSection) ||
                                 equalsNoCase(suffix, kSwitchKeySection) ||
                                 equalsNoCase(suffix, kOtherSection);
            const bool installed =
                std::any_of(languages.begin(), languages.end(),
                            [&](const ustring& l) { return equalsNoCase(l, language); });
            if (!applied || installed) {
                continue;
            }
            auto [it, added] = sections.emplace(language, section.name);
            if (added) {
                order.push_back(language);
            } else {
                it->second += u"、" + section.name;
            }
        }
        for (const ustring& language : order) {
            drift_.notInstalled.push_back(u"语言 " + language +
                                          u" 没有安装，没有比较文件中它的设置（" +
                                          sections[language] + u"）");
        }
    }

    const IniDocument& file_;
    const IniDocument& machine_;
    const StringList& languages_;
    const KeyTable& keys_;
    std::map<ustring, ustring> lastSetter_; // per-user key → language
    std::map<ustring, ListTarget> targets_; // language → its list as the load writes it
    ConfigDrift drift_;
};

} // namespace

ConfigDrift compareSetup(const IniDocument& file, const IniDocument& machine,
                         const StringList& languages, const KeyTable& keys) {
    return Comparison(file, machine, languages, keys).run();
}

StringList driftLines(const ConfigDrift& drift) {
    StringList lines = drift.differences;
    if (lines.empty()) {
        lines.push_back(u"一致");
    }
    lines.insert(lines.end(), drift.cannotHold.begin(), drift.cannotHold.end());
    lines.insert(lines.end(), drift.notInstalled.begin(), drift.notInstalled.end());
    return lines;
}

std::string driftReportBytes(const ConfigDrift& drift) {
    std::string bytes = "\xEF\xBB\xBF";
    for (const ustring& line : driftLines(drift)) {
        bytes += toUtf8(line) + "\r\n";
    }
    return bytes;
}

} // namespace quillon
