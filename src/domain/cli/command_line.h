// Splitting the command line into pieces at "/".
#pragma once

#include "core/text.h"

namespace quillon {

// The pieces of `s` between occurrences of the one-character separator; empty pieces are
// dropped, nothing is trimmed.
StringList extstring(ustring_view s, ustring_view substr);

// The command line as the commands read it: the program path (with any text before the first
// "/" after it) and then the pieces between the "/"s that follow the path.
StringList commandPieces(ustring_view commandLine);

// Number of arguments after the program path by Windows' usual rules: words separated by
// blanks or tabs, double quotes grouping.
int paramCount(ustring_view commandLine);

// A–Z lower-cased, nothing else changed.
ustring lowerAscii(ustring_view text);

} // namespace quillon
