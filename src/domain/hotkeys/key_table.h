// The key table: display names of keys and their virtual-key codes as two hex digits, and the
// converters between registry codes and hotkey text that every hotkey passes through.
#pragma once

#include "core/text.h"

#include <cstddef>
#include <vector>

namespace quillon {

struct KeyRow {
    ustring name;
    ustring code;
};

using KeyTable = std::vector<KeyRow>;

// Text services accept only the first 89 keys; IMM input methods and the general toggles may
// also use the two Windows keys and the application key, which therefore stay last.
constexpr std::size_t kTextServiceKeyRows = 89;
constexpr std::size_t kAllKeyRows = 92;

// The 92 rows in their fixed order.
KeyTable makeKeyTable();

// The first of the table's first `rows` rows whose name equals `name` exactly (letter case
// counts); null when there is none.
const KeyRow* findKeyName(const KeyTable& table, ustring_view name, std::size_t rows = kAllKeyRows);

// codetokey: the text a hotkey read from Windows is shown as. An 8-digit modifier code comes
// from an IMM entry and keeps its side byte; a key the table cannot name shows as the modifiers
// alone; modifiers that name nothing give an empty text.
ustring hotkeyTextOfCodes(const KeyTable& table, const ustring& Modifiers,
                          const ustring& VirtualKey);

// keytocode: a hotkey text as its modifier code and key name. An empty text, "无" and "NONE"
// give "00" and "SPACE"; a modifier text outside the table is passed on upper-cased.
void splitHotkeyText(ustring_view key, ustring& Modifiers, ustring& VirtualKey);

// Only a-z become A-Z: the Chinese side prefixes and every other character stay as they are.
ustring upperAscii(ustring_view text);

} // namespace quillon
