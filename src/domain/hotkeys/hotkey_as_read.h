// A hotkey as the refresh read it from Windows, kept beside the text shown for it. The tables
// cannot name every hotkey Windows holds (a key such as F13, modifier flags with sides the text
// cannot carry), so a text converted back would not give the same codes; a commit writes a
// hotkey whose text is unchanged with exactly the codes it was read from.
#pragma once

#include "catalogue/input_method_entry.h"
#include "core/text.h"

#include <cstdint>

namespace quillon {

struct HotkeyAsRead {
    enum class Source { TextServiceEntry, ImmEntry };

    ustring text; // the text it was shown as
    Source source = Source::ImmEntry;
    // A text-service entry: its "Modifiers" and "VirtualKey" texts exactly as read.
    ustring modifierText;
    ustring keyText;
    // An IMM entry or a general toggle: its "Key Modifiers" and "Virtual Key" numbers.
    std::uint32_t modifiers = 0;
    std::uint32_t virtualKey = 0;
};

// What the hotkey store matches a row by: the class id and profile of a text service, the
// layout handle of an IMM input method.
inline ustring hotkeyRowIdentity(const InputMethodEntry& row) {
    return row.fields[kFieldClsid] + u"|" + row.fields[kFieldProfile] + u"|" +
           row.fields[kFieldHkl];
}

} // namespace quillon
