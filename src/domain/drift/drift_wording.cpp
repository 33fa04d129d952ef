#include "drift/drift_wording.h"

#include "core/whole_number.h"
#include "hotkeys/key_table.h"

namespace quillon {

namespace {

constexpr std::u16string_view kColon = u"：";
constexpr std::u16string_view kOpen = u"“";
constexpr std::u16string_view kClose = u"”";

bool isHex(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// Check boxes read as on or off, whatever number form the file used.
bool isCheckBoxKey(ustring_view key) {
    return key == u"SwitchMode" || key == u"LanguageBar" || key == u"InputEmoji";
}

ustring valueShown(ustring_view key, ustring_view value) {
    if (isCheckBoxKey(key)) {
        const auto n = tryWholeNumber(value);
        return n.value_or(0) != 0 ? u"选中" : u"不选中";
    }
    if (upperAscii(ustring(value)) == u"DISABLE") {
        return u"禁用";
    }
    return ustring(value);
}

// "文件为“A”，本机为“B”" → "文件中为 A，本机为 B": the window sets no value in quotes, and a
// check box's value reads as its state.
ustring detailShown(ustring_view key, ustring detail) {
    struct Lead {
        std::u16string_view report;
        std::u16string_view window;
    };
    const Lead leads[] = {
        {u"文件为", u"文件中为 "}, {u"本机为", u"本机为 "}, {u"导入后为", u"导入后为 "}};
    ustring out;
    std::size_t at = 0;
    while (at < detail.size()) {
        bool replaced = false;
        for (const Lead& lead : leads) {
            const ustring opening = ustring(lead.report) + ustring(kOpen);
            if (detail.compare(at, opening.size(), opening) != 0) {
                continue;
            }
            const std::size_t start = at + opening.size();
            const std::size_t end = detail.find(kClose, start);
            if (end == ustring::npos) {
                continue;
            }
            out += ustring(lead.window) + valueShown(key, detail.substr(start, end - start));
            at = end + kClose.size();
            replaced = true;
            break;
        }
        if (!replaced) {
            out += detail[at++];
        }
    }
    return out;
}

// A list key: "" (the list), "顺序", or a row "3（微软五笔）" with what follows ("热键").
ustring listSetting(const ustring& label, const ustring& key) {
    if (key.empty()) {
        return label;
    }
    if (key == u"顺序") {
        return label + u"的顺序";
    }
    std::size_t digits = 0;
    while (digits < key.size() && key[digits] >= u'0' && key[digits] <= u'9') {
        ++digits;
    }
    if (digits == 0) {
        return label + u" " + key;
    }
    return label + u"第 " + key.substr(0, digits) + u" 个" + key.substr(digits);
}

} // namespace

ustring windowLine(const ustring& reportLine, const DriftWording& wording) {
    const std::size_t colon = reportLine.find(kColon);
    if (colon == ustring::npos || colon < 6 || reportLine[4] != u'_') {
        return reportLine;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        if (!isHex(reportLine[i])) {
            return reportLine;
        }
    }
    const ustring head = reportLine.substr(0, colon);
    const std::size_t blank = head.find(u' ');
    const ustring section = head.substr(5, blank == ustring::npos ? ustring::npos : blank - 5);
    const ustring key = blank == ustring::npos ? ustring() : head.substr(blank + 1);
    const ustring code = upperAscii(head.substr(0, 4));

    ustring language = code;
    for (std::size_t i = 0; i < wording.languageCodes.size(); ++i) {
        if (upperAscii(wording.languageCodes[i]) == code && i < wording.languageNames.size() &&
            !wording.languageNames[i].empty()) {
            language = wording.languageNames[i];
        }
    }
    const auto labelOf = [&](const ustring& name) {
        const auto found = wording.labels.find(name);
        return found == wording.labels.end() ? name : found->second;
    };
    const ustring setting =
        upperAscii(section) == u"LIST" ? listSetting(labelOf(u"_list"), key) : labelOf(key);
    return language + u" · " + setting + u"：" +
           detailShown(key, reportLine.substr(colon + kColon.size()));
}

} // namespace quillon
