// The per-input-method hotkey store: Windows' direct-switch hotkeys of text services and IMM
// input methods, and the general IME toggles written beside them.
//
// Writing is split in two so that the commit can convert and check every hotkey text, and
// choose every new entry's name, before anything is removed: `planHotkeys` reads and
// validates and changes nothing; `writeHotkeys` then removes the language's entries and writes
// the planned ones. `TForm1::puthotkey` is the two in a row.
#pragma once

#include "catalogue/input_method_entry.h"
#include "core/text.h"
#include "hotkeys/hotkey_as_read.h"
#include "hotkeys/key_table.h"
#include "platform/key_reads.h"
#include "platform/services.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <variant>
#include <vector>

namespace quillon {

// What a language's hotkeys are written from: the enabled rows with their hotkey texts, the
// general toggles' texts, and the codes each was read from.
struct HotkeysToWrite {
    std::uint16_t language = 0;
    const EntryList& enabled;
    // What the refresh read, by `hotkeyRowIdentity`.
    const std::map<ustring, HotkeyAsRead>& read;
    std::array<ustring, 3> toggleTexts;
    const std::array<std::optional<HotkeyAsRead>, 3>& togglesRead;
    // What a message calls each toggle.
    std::array<ustring, 3> toggleNames;
    const KeyTable& keys;
};

// gethotkey's reading: puts each enabled row's hotkey text (of `language`'s entries, and of
// those that name no language) into its hotkey field, and the codes each was read from into
// `read`, which it empties first. An entry with a value in a wrong form shows no hotkey; only
// the listing of the two keys can fail.
void readHotkeys(platform::RegistryBackend& registry, std::uint16_t language, const KeyTable& keys,
                 EntryList& enabled, std::map<ustring, HotkeyAsRead>& read);

struct HotkeyPlan {
    // A general IME toggle, under the IMM hotkey key.
    struct Toggle {
        ustring subkey;
        std::uint32_t modifiers = 0;
        std::uint32_t virtualKey = 0;
    };
    // A text service's entry; its values are texts.
    struct TextServiceEntry {
        ustring subkey;
        ustring clsid;
        ustring langId; // 8 hexadecimal digits
        ustring profile;
        ustring modifiers;
        ustring virtualKey;
        // Empty for a new entry, which gets a new id.
        ustring preservedKeyId;
        // What an entry rewritten where it stands holds: only the values that differ are
        // written. Empty for a new entry.
        platform::NamedValues present;
    };
    struct ImmEntry {
        ustring subkey;
        std::uint32_t targetIme = 0;
        std::uint32_t modifiers = 0;
        std::uint32_t virtualKey = 0;
    };

    // Sub-keys of the IMM hotkey key and of the text-service key that belong to the language
    // (or, for text services, to no language) and are removed before writing.
    StringList immEntriesToRemove;
    StringList textServiceEntriesToRemove;
    std::vector<Toggle> toggles;
    // One per enabled row with a hotkey text, in row order. A text service's entry is
    // rewritten where the language's entry for the same input method stands; every other takes
    // the lowest number that is free once the language's entries are removed.
    std::vector<std::variant<TextServiceEntry, ImmEntry>> entries;

    // The HKEY_CURRENT_USER keys, as paths from the hive's root, that `writeHotkeys` deletes,
    // creates or writes; nothing outside them is touched.
    std::vector<ustring> keysTouched() const;
};

// The numbers an IMM entry or a general toggle stores for a hotkey text. QuillonError naming
// `what` (the input method or toggle) when the modifier part or the key is neither in the
// tables nor hexadecimal.
struct ImmHotkeyCodes {
    std::uint32_t modifiers = 0;
    std::uint32_t virtualKey = 0;
};
ImmHotkeyCodes immHotkeyCodes(const KeyTable& keys, const ustring& text, const ustring& what);

// Reads the language's present entries and converts every hotkey text of the enabled list
// and of the toggle buttons; a text that is what the refresh read keeps the codes it was read
// from. Touches nothing. Throws QuillonError naming the input method or toggle and the text
// that cannot be converted, the input method for which no IMM entry number is free, or the
// entry whose "LangId" is not a number; registry type errors pass through. The keys it reads
// stay in `reads` for the checkpoint that follows.
HotkeyPlan planHotkeys(const HotkeysToWrite& toWrite, platform::KeyReads& reads);

// Removes the planned entries, then writes the toggles and the entries, each only where it
// differs from what `reads` (the plan's, read before any change) says its key holds; an IMM
// entry written again under its own number is written where it stands. Only registry write
// failures can throw here. A new text-service entry's id comes from `system`.
void writeHotkeys(const HotkeyPlan& plan, platform::KeyReads& reads, platform::System& system);

} // namespace quillon
