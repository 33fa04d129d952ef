// What PowerShell's format-list prints for a sequence of objects on a console of a given width.
#pragma once

#include "core/text.h"

#include <utility>
#include <vector>

namespace quillon::testbed {

// One object: its properties as label and value, in output order.
using ListObject = std::vector<std::pair<ustring, ustring>>;

inline constexpr int kConsoleColumns = 120;

// Columns a character takes on the console: East Asian wide and full-width characters two.
int consoleColumns(char32_t c);

// The whole output, lines ending in CR LF: two empty lines, the objects separated by an empty
// line, two empty lines. Labels are padded to the longest one; a value that would pass the
// last column continues on the next line, indented to the value column. No objects: nothing.
ustring formatList(const std::vector<ListObject>& objects, int width = kConsoleColumns);

} // namespace quillon::testbed
