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

// The end of the program path: quoted, or up to the first blank.
std::size_t programEnd(ustring_view commandLine) {
    std::size_t i = 0;
    if (i < commandLine.size() && commandLine[i] == u'"') {
        const std::size_t close = commandLine.find(u'"', 1);
        i = close == ustring_view::npos ? commandLine.size() : close + 1;
    }
    while (i < commandLine.size() && !isBlank(commandLine[i])) {
        ++i;
    }
    return i;
}

// Where the arguments may begin. A "/" in the program's own path ("C:/tools/quillon.exe", as
// some shells and launchers write it) introduces no argument; but "quillon.exe/?" and
// "quillon/?", typed without a blank as the console allows, do carry one. So an unquoted path
// ends after its ".exe", and one without ".exe" at its first "/".
std::size_t argumentsStart(ustring_view commandLine) {
    if (!commandLine.empty() && commandLine.front() == u'"') {
        const std::size_t close = commandLine.find(u'"', 1);
        return close == ustring_view::npos ? commandLine.size() : close + 1;
    }
    const std::size_t end = programEnd(commandLine);
    const ustring path = lowerAscii(commandLine.substr(0, end));
    for (std::size_t at = path.find(u".exe"); at != ustring::npos;
         at = path.find(u".exe", at + 1)) {
        if (at + 4 == path.size() || path[at + 4] == u'/') {
            return at + 4;
        }
    }
    return 0;
}

} // namespace

StringList commandPieces(ustring_view commandLine) {
    const std::size_t slash = commandLine.find(u'/', argumentsStart(commandLine));
    StringList pieces{ustring(commandLine.substr(0, slash))};
    if (slash != ustring_view::npos) {
        for (ustring& piece : extstring(commandLine.substr(slash), u"/")) {
            pieces.push_back(std::move(piece));
        }
    }
    return pieces;
}

int paramCount(ustring_view commandLine) {
    std::size_t i = programEnd(commandLine);
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
