#include "files/config_file.h"

#include "core/error.h"
#include "core/items.h"
#include "hotkeys/hotkey_registry.h"
#include "hotkeys/hotkey_store.h"

#include <string>

namespace quillon {

namespace {

const char16_t* const kToggleNames[] = {u"“打开/关闭输入法”", u"“全角/半角切换”",
                                        u"“中英文标点切换”"};

ustring number(std::size_t n) {
    return fromUtf8(std::to_string(n));
}

bool isUpperHex(ustring_view text, std::size_t digits) {
    if (text.size() != digits) {
        return false;
    }
    for (const char16_t c : text) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) {
            return false;
        }
    }
    return true;
}

bool isCanonicalGuid(const ustring& text) {
    const auto guid = parseGuid(text);
    return guid && guidToText(*guid) == text;
}

// What is wrong with a "_list" value, or empty when nothing is.
ustring listRowProblem(const IniEntry& entry, const ustring& language, const KeyTable& keys) {
    if (entry.value.empty()) {
        return u"没有值。";
    }
    const StringList items = splitStrict(entry.value, u'|');
    if (items.size() != 6 && items.size() != 7) {
        return u"应有 6 或 7 个以“|”分隔的字段，实有 " + number(items.size()) + u" 个。";
    }
    struct FieldRule {
        std::size_t item;
        const char16_t* name;
        bool ok;
        const char16_t* form;
    };
    const FieldRule rules[] = {
        {1, u"clsid", isCanonicalGuid(items[1]), u"带花括号、大写的 GUID"},
        {2, u"langid", isUpperHex(items[2], 4), u"4 位大写十六进制数字"},
        {3, u"catid", items[3].empty() || isCanonicalGuid(items[3]), u"带花括号、大写的 GUID"},
        {4, u"Profile", isCanonicalGuid(items[4]), u"带花括号、大写的 GUID"},
        {5, u"hkl", isUpperHex(items[5], 8), u"8 位大写十六进制数字"},
    };
    for (const FieldRule& rule : rules) {
        if (!rule.ok) {
            return u"第 " + number(rule.item + 1) + u" 个字段（" + rule.name + u"）“" +
                   items[rule.item] + u"”应为" + rule.form + u"。";
        }
    }
    // A row of another language would be written into this language's setup as if it were
    // one of its own (a save that once went wrong leaves such rows).
    std::uint32_t rowLanguage = 0;
    std::uint32_t sectionLanguage = 0;
    if (parseHex32(items[2], rowLanguage) && parseHex32(language, sectionLanguage) &&
        rowLanguage != sectionLanguage) {
        return u"第 3 个字段（langid）“" + items[2] + u"”不是本节的语言 " + language + u"。";
    }
    // The commit refuses a hotkey text it cannot turn into codes, for both kinds of row.
    if (items.size() == 7 && !items[6].empty()) {
        try {
            immHotkeyCodes(keys, items[6], u"输入法“" + items[0] + u"”");
        } catch (const QuillonError& e) {
            return e.message();
        }
    }
    return {};
}

// What is wrong with a toggle of the switching-key section, or empty when nothing is. Only the
// toggles the language has are written, so only they must convert.
ustring toggleProblem(const IniEntry& entry, std::size_t index, const ustring& language,
                      const KeyTable& keys) {
    std::uint32_t langid = 0;
    if (!parseHex32(language, langid)) {
        return {};
    }
    const auto group = hotkeys::toggleGroup(static_cast<std::int32_t>(langid));
    if (!group || static_cast<int>(index) >= group->count) {
        return {};
    }
    const ustring caption = upperAscii(entry.value);
    if (caption.empty() || caption == u"无") {
        return {};
    }
    try {
        immHotkeyCodes(keys, caption, kToggleNames[index]);
    } catch (const QuillonError& e) {
        return e.message();
    }
    return {};
}

std::optional<ConfigProblem> checkLanguage(const IniDocument& document, const ustring& language,
                                           const KeyTable& keys) {
    if (const IniSection* list = document.section(language + kListSection)) {
        for (const IniEntry& entry : list->entries) {
            ustring what = listRowProblem(entry, language, keys);
            if (!what.empty()) {
                return ConfigProblem{entry.line, list->name, entry.key, std::move(what)};
            }
        }
    }
    if (const IniSection* switchKeys = document.section(language + kSwitchKeySection)) {
        for (std::size_t i = 0; i < 3; ++i) {
            const IniEntry* entry = document.entry(switchKeys->name, kToggleKeys[i]);
            if (!entry) {
                continue;
            }
            ustring what = toggleProblem(*entry, i, language, keys);
            if (!what.empty()) {
                return ConfigProblem{entry->line, switchKeys->name, entry->key, std::move(what)};
            }
        }
    }
    return std::nullopt;
}

} // namespace

ConfigFile readConfig(std::string_view bytes, const StringList& languages, const KeyTable& keys) {
    IniRead read = readIni(bytes);
    ConfigFile config{std::move(read.document), std::nullopt};
    if (read.badLine > 0) {
        config.problem = ConfigProblem{read.badLine, {}, {}, u"不是有效的 UTF-8 文本。"};
        return config;
    }
    for (const ustring& language : languages) {
        config.problem = checkLanguage(config.document, language, keys);
        if (config.problem) {
            break;
        }
    }
    return config;
}

ustring configProblemMessage(const ustring& fileName, const ConfigProblem& problem,
                             const ustring& outcome) {
    ustring where = u"第 " + number(static_cast<std::size_t>(problem.line)) + u" 行";
    if (!problem.section.empty()) {
        where += u"，节“" + problem.section + u"”，键“" + problem.key + u"”";
    }
    return u"配置文件“" + fileName + u"”有错误，" + outcome + u"。\r" + where + u"：" +
           problem.what;
}

InputMethodEntry listRow(ustring_view value) {
    StringList items = splitStrict(value, u'|');
    items.resize(7);
    InputMethodEntry row;
    row.name = items[0];
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
        row.fields[i] = items[i + 1];
    }
    return row;
}

ustring listValue(const InputMethodEntry& row, std::size_t fields) {
    ustring name = row.name;
    for (char16_t& c : name) {
        if (c == u'\r' || c == u'\n') {
            c = u' ';
        }
    }
    const bool quote = name.find(u'|') != ustring::npos ||
                       (!name.empty() && (name.front() <= u' ' || name.front() == u'"'));
    ustring value;
    if (quote) {
        value = u"\"";
        for (const char16_t c : name) {
            value += c == u'"' ? u"\"\"" : ustring(1, c);
        }
        value += u"\"";
    } else {
        value = name;
    }
    for (std::size_t i = 0; i < fields; ++i) {
        value += u"|" + row.fields[i];
    }
    return value;
}

} // namespace quillon
