// Whole numbers as the command line, the configuration file and the switching keys write them.
#pragma once

#include "core/text.h"

#include <cstdint>
#include <optional>

namespace quillon {

// A signed 32-bit whole number: optional blanks, an optional sign, then decimal digits, or
// hexadecimal digits after "$", "x", "X", "0x" or "0X"; nothing may follow. Hexadecimal digits
// may fill all 32 bits (FFFFFFFF is -1); decimal digits must fit the signed range.
std::optional<std::int32_t> tryWholeNumber(ustring_view text);

// The same; QuillonError "'text' is not a valid integer value for Integer type" otherwise.
std::int32_t wholeNumber(ustring_view text);

} // namespace quillon
