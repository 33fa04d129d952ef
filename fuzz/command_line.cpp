// The command line as Windows hands it over: split at "/", arguments counted, words
// lower-cased. Input: the command line as UTF-8.
#include "cli/command_line.h"
#include "fuzz_support.h"

using namespace quillon;
using quillon::fuzz::law;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ustring line = fromUtf8(fuzz::bytesOf(data, size));

    // The pieces are the text between the separators, nothing lost, nothing added.
    const StringList pieces = extstring(line, u"/");
    ustring joined;
    for (const ustring& piece : pieces) {
        law(!piece.empty(), "no empty piece");
        law(piece.find(u'/') == ustring::npos, "no separator inside a piece");
        joined += piece;
    }
    ustring withoutSeparators;
    for (const char16_t c : line) {
        if (c != u'/') {
            withoutSeparators.push_back(c);
        }
    }
    law(joined == withoutSeparators, "the pieces are the text without its separators");

    // The command pieces are the program's piece, a prefix of the line, and then the plain
    // split of the rest: nothing lost, nothing made up.
    const StringList command = commandPieces(line);
    law(!command.empty() && line.compare(0, command[0].size(), command[0]) == 0,
        "the program's piece starts the line");
    ustring rest;
    for (std::size_t i = 1; i < command.size(); ++i) {
        law(!command[i].empty() && command[i].find(u'/') == ustring::npos,
            "a command piece is not empty and holds no separator");
        rest += command[i];
    }
    ustring restWithoutSeparators;
    for (std::size_t i = command[0].size(); i < line.size(); ++i) {
        if (line[i] != u'/') {
            restWithoutSeparators.push_back(line[i]);
        }
    }
    law(rest == restWithoutSeparators, "the pieces after the program's are the rest of the line");

    const int count = paramCount(line);
    law(count >= 0 && static_cast<std::size_t>(count) <= line.size(),
        "an argument count between 0 and the number of characters");

    const ustring lower = lowerAscii(line);
    law(lower.size() == line.size(), "lower-casing keeps the length");
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char16_t c = line[i];
        const bool upper = c >= u'A' && c <= u'Z';
        law(lower[i] == (upper ? c + 0x20 : c), "only A-Z change, to a-z");
    }
    return 0;
}
