// Where Windows keeps hotkeys, and the 4-byte binary numbers its IMM entries are made of.
// Shared by the hotkey store and the general switching keys.
#pragma once

#include "platform/registry.h"
#include "platform/windows_keys.h"

#include <cstdint>
#include <optional>

namespace quillon::hotkeys {

// Under HKEY_CURRENT_USER, from its root.
inline const ustring kDirectSwitchHotkeys = keys::fromRoot(keys::kTextServiceHotkeys);
inline const ustring kImmHotKeys = keys::fromRoot(keys::kImmHotKeys);

// IMM direct-switch entries are numbered 100 to 1FF.
constexpr std::uint32_t kFirstImmEntry = 0x100;
constexpr std::uint32_t kLastImmEntry = 0x1FF;

// A binary value of the current key as a little-endian 32-bit number: a shorter value is
// zero-extended, a longer one gives its first four bytes, a missing one gives nullopt. The
// registry layer's type error stays for texts and DWORDs.
std::optional<std::uint32_t> readBinary32(platform::TRegistry& reg, ustring_view name);
// The same of a value read already.
std::uint32_t binary32Of(const platform::RegValue& value, ustring_view name);
platform::RegValue binary32(std::uint32_t value);

// The general IME toggles of a language: their sub-keys are "000000" + digit + index.
struct ToggleGroup {
    char16_t digit;
    int count;
};
std::optional<ToggleGroup> toggleGroup(std::int32_t langid);
ustring toggleSubkey(const ToggleGroup& group, int index);

// Hexadecimal digits of the value, upper case, at least `digits` of them.
ustring hexAtLeast(std::uint32_t value, int digits);

} // namespace quillon::hotkeys
