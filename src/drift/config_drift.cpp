// Comparing the machine's setup with a configuration file, by the load's own rules.
#include "drift/config_drift.h"

#include "app/tform1.h"
#include "core/error.h"
#include "core/whole_number.h"
#include "files/config_file.h"
#include "files/setup_reader.h"
#include "hotkeys/hotkey_registry.h"
#include "hotkeys/hotkey_store.h"

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

// What the commit writes a row by: every field but the name and the hotkey.
ustring rowIdentity(const InputMethodEntry& row) {
    ustring identity;
    for (std::size_t i = kFieldClsid; i < kFieldHotkey; ++i) {
        identity += row.fields[i] + u"|";
    }
    return identity;
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

std::optional<ImmHotkeyCodes> codesOf(const KeyTable& keys, const ustring& text) {
    try {
        return immHotkeyCodes(keys, text, {});
    } catch (const QuillonError&) {
        return std::nullopt;
    }
}

// Two hotkey texts that the store would write as the same codes; a text that does not convert
// (a machine's entry the tables cannot name) is equal only to itself.
bool sameCodes(const KeyTable& keys, const ustring& a, const ustring& b) {
    const auto ca = codesOf(keys, a);
    const auto cb = codesOf(keys, b);
    if (!ca || !cb) {
        return upperAscii(a) == upperAscii(b);
    }
    return ca->modifiers == cb->modifiers && ca->virtualKey == cb->virtualKey;
}

// A row's hotkey: an empty text is no hotkey at all, not a key of its own.
bool sameRowHotkey(const KeyTable& keys, const ustring& a, const ustring& b) {
    if (a.empty() || b.empty()) {
        return a.empty() && b.empty();
    }
    return sameCodes(keys, a, b);
}

ustring hotkeyShown(const ustring& text) {
    return text.empty() ? ustring(u"无") : text;
}

// The combo item a value selects, as the load finds it; empty when it names none (the load
// then keeps what is selected).
ustring itemOf(const StringList& items, const ustring& value, bool switchKey) {
    ustring v = upperAscii(value);
    if (switchKey && v == u"DISABLE") {
        v = u"禁用";
    }
    for (const ustring& item : items) {
        if (equalsNoCase(item, v)) {
            return item;
        }
    }
    return {};
}

struct PerUserKey {
    const char16_t* section;
    const char16_t* key;
};

// Settings Windows keeps once for the user, whatever language's section names them.
constexpr PerUserKey kPerUserKeys[] = {
    {kSwitchKeySection, u"layout"},  {kSwitchKeySection, u"language"},
    {kSwitchKeySection, u"CAPS"},    {kOtherSection, u"SwitchMode"},
    {kOtherSection, u"LanguageBar"}, {kOtherSection, u"InputEmoji"},
};

class Comparison {
public:
    Comparison(const IniDocument& file, const IniDocument& machine, const TForm1& form)
        : file_(file), machine_(machine), form_(form) {}

    ConfigDrift run() {
        const StringList& languages = form_.lang.code;
        findLastSetters(languages);
        for (const ustring& language : languages) {
            compareList(language);
            compareSwitchKeys(language);
            compareOther(language);
        }
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
        const ustring key = k.key;
        if (key == u"CAPS") {
            return itemOf(form_.ComboBox3.items, entry.value, false);
        }
        if (key == u"layout" || key == u"language") {
            return itemOf(form_.ComboBox1.items, entry.value, true);
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
        const IniSection* section = file_.section(name);
        if (!section) {
            return;
        }
        const std::vector<ListRow> wanted = listRows(section);
        const std::vector<ListRow> held = listRows(machine_.section(name));
        const std::size_t before = drift_.differences.size();

        // Each row of the file against the first row of the machine written the same way.
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
            if (!sameRowHotkey(form_.scancode, want, have)) {
                differs(name + u" " + wanted[i].key + u"（" + wanted[i].row.name +
                        u"）热键：文件为" + quoted(hotkeyShown(want)) + u"，本机为" +
                        quoted(hotkeyShown(have)));
            }
        }
        if (drift_.differences.size() != before) {
            // The load replaces the whole list; its keys are not read.
            drift_.toApply.addSection(name);
            for (std::size_t i = 0; i < section->entries.size(); ++i) {
                drift_.toApply.write(name, number(i + 1), section->entries[i].value);
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
            if (!sameCodes(form_.scancode, upperAscii(entry->value), have)) {
                differs(section + u" " + kToggleKeys[i] + u"：文件为" + quoted(entry->value) +
                        u"，本机为" + quoted(have));
                drift_.toApply.write(section, kToggleKeys[i], entry->value);
            }
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
    std::vector<ListRow> rowsAfter(const ustring& language) const {
        const ustring name = language + kListSection;
        const IniSection* section = file_.section(name);
        return listRows(section ? section : machine_.section(name));
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

    // Windows keeps one default for all languages: the file's sections are played in the
    // load's order, each 0 clearing the default only where it is that language's, and the
    // result is compared once.
    void compareDefault(const StringList& languages) {
        const Default held = machineDefault(languages);
        Default state = held;
        const IniEntry* setter = nullptr;
        ustring setterLanguage;
        for (const ustring& language : languages) {
            const IniEntry* entry = file_.entry(language + kOtherSection, u"DefaultIME");
            if (!entry) {
                continue;
            }
            const std::int32_t d = numberOrZero(entry->value);
            const std::vector<ListRow> rows = rowsAfter(language);
            if (d == 0) {
                const bool shown = std::any_of(rows.begin(), rows.end(), [&](const ListRow& r) {
                    return rowIdentity(r.row) == state.identity;
                });
                if (!state.identity.empty() && state.language == language && shown) {
                    state = {};
                    setter = entry;
                    setterLanguage = language;
                }
            } else if (d >= 1 && d <= static_cast<std::int32_t>(rows.size())) {
                const InputMethodEntry& row = rows[static_cast<std::size_t>(d - 1)].row;
                state = {rowIdentity(row), row.name, language};
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
        drift_.toApply.write(section, u"DefaultIME", setter->value);
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
    const TForm1& form_;
    std::map<ustring, ustring> lastSetter_; // per-user key → language
    ConfigDrift drift_;
};

} // namespace

ConfigDrift compareSetup(const IniDocument& file, const IniDocument& machine, const TForm1& form) {
    return Comparison(file, machine, form).run();
}

ConfigDrift checkConfig(TForm1& form, const ustring& filename) {
    form.waitForLanguageNames();
    platform::Files& files = form.os().files;
    if (!files.FileExists(filename)) {
        throw QuillonError(u"配置文件“" + filename + u"”不存在。");
    }
    const platform::FileContent content = files.ReadFile(filename);
    if (!content.read) {
        throw QuillonError(u"无法读取配置文件“" + filename + u"”：" + content.reason);
    }
    const ConfigFile config = readConfig(content.bytes, form.lang.code, form.scancode);
    if (config.problem) {
        throw QuillonError(configProblemMessage(filename, *config.problem, u"未做任何比较或更改"));
    }
    const IniDocument machine = readSetup(form);
    return compareSetup(config.document, machine, form);
}

StringList driftLines(const ConfigDrift& drift) {
    StringList lines = drift.differences;
    if (lines.empty()) {
        lines.push_back(u"一致");
    }
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
