// What the operations read out of a row: its kind by field 4, the layout handle, the tips.
#pragma once

#include "catalogue/input_method_entry.h"

#include <cstdint>

namespace quillon {

// Field 4 read as a hexadecimal number; QuillonError naming the row when it is not one.
std::uint32_t hklValue(const InputMethodEntry& row);
// The 32-bit value widened with its sign, as wide as a handle on 64-bit Windows.
std::uint64_t layoutHandle(std::uint32_t hkl);
// Field 1 read as a language id.
std::uint16_t langidValue(const InputMethodEntry& row);
Guid guidField(const InputMethodEntry& row, std::size_t field);

// The input-method tip the user profile names the row by: field 1, ":", then the two GUIDs,
// "0000" + the layout half of field 4, or field 4 itself.
ustring inputMethodTip(const InputMethodEntry& row);

// The tip handed to Set-WinDefaultInputMethodOverride, built only from canonical fields (4
// hex digits, braced GUIDs, 8 hex digits), so that nothing else can reach PowerShell's
// command line. QuillonError when a field is not canonical.
ustring defaultInputMethodTip(const InputMethodEntry& row, std::int32_t mylangid);

} // namespace quillon
