// Reading the general switching keys from Windows: the keys that cycle layouts and languages,
// the Caps Lock release key, and a language's IME toggles, as the window shows them.
#pragma once

#include "hotkeys/hotkey_as_read.h"
#include "hotkeys/key_table.h"
#include "platform/registry.h"

#include <array>
#include <cstdint>
#include <optional>

namespace quillon::hotkeys {

// The items the three boxes select: of `kSwitchKeyNames` for the layout and the language
// (-1: a digit that names no item) and of `kCapsLockKeyNames` for Caps Lock.
struct SwitchKeys {
    int layout = -1;
    int language = -1;
    int capsLock = -1;
};

// Reads the two switching keys, then the Caps Lock key, into `shown`. A digit that is no
// number, or an attribute of a wrong type, ends the reading with a message naming the value,
// what was read before it already in `shown`.
void readSwitchKeys(platform::RegistryBackend& registry, SwitchKeys& shown);

// A language's three IME toggles as their buttons show them.
struct Toggles {
    int count = 3; // the toggles the language has; the other buttons are disabled and show "无"
    std::array<ustring, 3> texts;
    // The codes each was read from; none where its key is missing.
    std::array<std::optional<HotkeyAsRead>, 3> read;
};

// Reads the toggles of `langid` into `shown`, in order; a value of a wrong type ends the
// reading with the registry layer's error, the toggles before it read.
void readToggles(platform::RegistryBackend& registry, std::uint16_t langid, const KeyTable& keys,
                 Toggles& shown);

} // namespace quillon::hotkeys
