#include "cli/command_line.h"

namespace quillon {

StringList extstring(ustring_view s, ustring_view substr) {
    StringList pieces;
    ustring_view rest = s;
    const char16_t separator = substr.empty() ? u'/' : substr.front();
    while (!rest.empty()) {
        const std::size_t at = rest.find(separator);
        if (at == ustring_view::npos) {
            pieces.emplace_back(rest);
            break;
        }
        if (at > 0) {
            pieces.emplace_back(rest.substr(0, at));
        }
        rest = rest.substr(at + 1);
    }
    return pieces;
}

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

} // namespace

int paramCount(ustring_view commandLine) {
    std::size_t i = 0;
    // The program path: quoted, or up to the first blank.
    if (i < commandLine.size() && commandLine[i] == u'"') {
        const std::size_t close = commandLine.find(u'"', 1);
        i = close == ustring_view::npos ? commandLine.size() : close + 1;
    }
    while (i < commandLine.size() && !isBlank(commandLine[i])) {
        ++i;
    }
    int count = 0;
    while (i < commandLine.size()) {
        while (i < commandLine.size() && isBlank(commandLine[i])) {
            ++i;
        }
        if (i >= commandLine.size()) {
            break;
        }
        ++count;
        bool quoted = false;
        while (i < commandLine.size() && (quoted || !isBlank(commandLine[i]))) {
            if (commandLine[i] == u'"') {
                quoted = !quoted;
            }
            ++i;
        }
    }
    return count;
}

ustring lowerAscii(ustring_view text) {
    ustring out(text);
    for (auto& c : out) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c + 0x20);
        }
    }
    return out;
}

} // namespace quillon
