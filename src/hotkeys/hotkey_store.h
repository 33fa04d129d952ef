// The per-input-method hotkey store: Windows' direct-switch hotkeys of text services and IMM
// input methods, and the general IME toggles written beside them.
//
// Writing is split in two so that the commit can convert and check every hotkey text before
// anything is removed: `planHotkeys` reads and validates and changes nothing; `writeHotkeys`
// then removes the language's entries and writes the planned ones. `TForm1::puthotkey` is the
// two in a row.
#pragma once

#include "core/text.h"

#include <cstdint>
#include <variant>
#include <vector>

namespace quillon {

class TForm1;

struct HotkeyPlan {
    // A general IME toggle, under the IMM hotkey key.
    struct Toggle {
        ustring subkey;
        std::uint32_t modifiers = 0;
        std::uint32_t virtualKey = 0;
    };
    // A text service's entry; its texts are stored as they are.
    struct TextServiceEntry {
        ustring clsid;
        ustring langId; // 8 hexadecimal digits
        ustring profile;
        ustring modifiers;
        ustring virtualKey;
    };
    struct ImmEntry {
        std::uint32_t targetIme = 0;
        std::uint32_t modifiers = 0;
        std::uint32_t virtualKey = 0;
    };

    // Sub-keys of the IMM hotkey key and of the text-service key that belong to the language
    // (or, for text services, to no language) and are removed before writing.
    StringList immEntriesToRemove;
    StringList textServiceEntriesToRemove;
    std::vector<Toggle> toggles;
    // One per enabled row with a hotkey text, in row order.
    std::vector<std::variant<TextServiceEntry, ImmEntry>> entries;
};

// Reads the language's present entries and converts every hotkey text of the enabled list
// and of the toggle buttons. Touches nothing. Throws QuillonError naming the input method or
// toggle and the text that cannot be converted, or the entry whose "LangId" is not a number;
// registry type errors pass through.
HotkeyPlan planHotkeys(TForm1& form);

// Removes the planned entries, then writes the toggles and the entries; new sub-key names are
// chosen now, after the removal. Only registry write failures can throw here.
void writeHotkeys(TForm1& form, const HotkeyPlan& plan);

// The HKEY_CURRENT_USER keys, as paths from the hive's root without a leading "\", under which
// `writeHotkeys` deletes and writes; nothing outside them is touched.
std::vector<ustring> hotkeyKeysTouched();

} // namespace quillon
