// Text in the core is UTF-16, counted in code units as Windows counts characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

using ustring = std::u16string;
using ustring_view = std::u16string_view;
using StringList = std::vector<ustring>;

// Literal helper for ASCII/Chinese text written in source as UTF-8.
ustring u(std::string_view utf8);

ustring fromUtf8(std::string_view utf8);
std::string toUtf8(ustring_view text);

// Windows' invariant case mapping for the letters the program compares (ASCII and Latin-1).
char16_t toUpperChar(char16_t c);
char16_t toLowerChar(char16_t c);
ustring toUpper(ustring_view text);
ustring toLower(ustring_view text);
bool equalsNoCase(ustring_view a, ustring_view b);
// Ordinal comparison after upper-casing, the order Windows enumerates registry keys in.
int compareNoCase(ustring_view a, ustring_view b);

// "%08X"/"%04X"-style text of the low `digits` hex digits of a value.
ustring hexText(std::uint64_t value, int digits);
// Parses hexadecimal text without prefix; false on empty, non-hex or overflow past 32 bits.
bool parseHex32(ustring_view text, std::uint32_t& value);

} // namespace quillon
