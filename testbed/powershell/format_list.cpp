#include "format_list.h"

#include <algorithm>

namespace quillon::testbed {

int consoleColumns(char32_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
                      (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
                      (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

namespace {

const ustring kNewLine = u"\r\n";

// Appends `value` starting at column `indent`, breaking before a character that would pass
// the last column. A surrogate pair is one character and is never split.
void appendWrapped(ustring& out, ustring_view value, int indent, int width) {
    int column = indent;
    std::size_t i = 0;
    while (i < value.size()) {
        std::size_t units = 1;
        char32_t c = value[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < value.size() && value[i + 1] >= 0xDC00 &&
            value[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (value[i + 1] - 0xDC00);
            units = 2;
        }
        const int columns = consoleColumns(c);
        if (column + columns > width && column > indent) {
            out += kNewLine;
            out.append(static_cast<std::size_t>(indent), u' ');
            column = indent;
        }
        out.append(value.substr(i, units));
        column += columns;
        i += units;
    }
}

} // namespace

ustring formatList(const std::vector<ListObject>& objects, int width) {
    ustring out;
    if (objects.empty()) {
        return out;
    }
    std::size_t labelWidth = 0;
    for (const auto& object : objects) {
        for (const auto& property : object) {
            labelWidth = std::max(labelWidth, property.first.size());
        }
    }
    const int indent = static_cast<int>(labelWidth) + 3;
    out += kNewLine + kNewLine;
    for (std::size_t k = 0; k < objects.size(); ++k) {
        if (k > 0) {
            out += kNewLine;
        }
        for (const auto& [label, value] : objects[k]) {
            out += label;
            out.append(labelWidth - label.size(), u' ');
            out += u" : ";
            appendWrapped(out, value, indent, width);
            out += kNewLine;
        }
    }
    out += kNewLine + kNewLine;
    return out;
}

} // namespace quillon::testbed
