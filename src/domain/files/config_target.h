// What a configuration file leaves on this machine once loaded: the rules the check, the load
// and the apply share, so that the check says "equal" exactly when a load would change nothing.
#pragma once

#include "catalogue/input_method_entry.h"
#include "files/ini_document.h"
#include "hotkeys/hotkey_as_read.h"
#include "hotkeys/key_table.h"

#include <set>

namespace quillon {

// Where a hotkey is stored: a text service's entry keeps the modifiers as text without sides,
// an IMM entry (and a general toggle) keeps both as numbers.
enum class HotkeyStore { TextService, Imm };

HotkeyStore storeOf(const InputMethodEntry& row);

// An empty text, "无" and "none" in any letter case: no hotkey at all, not a key of its own.
bool isNoHotkey(ustring_view text);

// The hotkey `text` leaves once written to `store` and read back by the refresh, in a form two
// of which are equal exactly when they read back the same: "none" for no hotkey, the codes for
// a hotkey, the text itself (upper-cased) when it does not convert.
ustring hotkeyAfterWrite(const KeyTable& keys, const ustring& text, HotkeyStore store);
bool sameHotkeyAfterWrite(const KeyTable& keys, const ustring& a, const ustring& b,
                          HotkeyStore store);

// The text a save writes for a hotkey shown as `shown` and read as `read`: a key the table
// cannot name (F13, or a code of 0) shows as its modifiers alone, which a load could not
// convert, so while it is as read it is saved with the key's code in hexadecimal.
ustring savedHotkeyText(const KeyTable& keys, const ustring& shown, const HotkeyAsRead* read);

// What the commit writes a row by: every field but the name and the hotkey.
ustring rowIdentity(const InputMethodEntry& row);

// A "_list" section as a load writes it on a machine whose input methods of the language are
// `installed` (by `rowIdentity`): a row listed again is dropped (one input method has one
// place), and so is a row this machine does not have, which no load can enable.
struct ListTarget {
    struct Row {
        ustring key; // the file's key
        InputMethodEntry row;
    };
    std::vector<Row> rows;
    std::vector<Row> notInstalled;
    // For each of the file's rows, its index in `rows`: a repeated row's first place, -1 for a
    // row not installed.
    std::vector<int> placeOf;
};
ListTarget listTarget(const IniSection& list, const std::set<ustring>& installed);

// The identities of the rows of `sections` of a document (a "_list" and a "_disabled").
std::set<ustring> identitiesOf(const IniDocument& document,
                               std::initializer_list<ustring> sections);

// The two switching keys as combo item indexes (-1: none selected).
struct SwitchKeyPair {
    int layout = -1;
    int language = -1;
    bool operator==(const SwitchKeyPair& o) const {
        return layout == o.layout && language == o.language;
    }
};

// The item a file's "layout" or "language" value selects ("disable" selects the third item,
// "禁用"), as the load finds it; -1 when it names none (the load then keeps what is selected).
int switchKeyItem(const StringList& items, const ustring& value);

// The switching keys once a load has set each language's "layout" and "language" in turn,
// each making the other give way when they would name the same key, from `start`. `setter`
// gets the last language that sets either (empty when none does).
SwitchKeyPair switchKeysAfter(const IniDocument& document, const StringList& languages,
                              const StringList& items, SwitchKeyPair start, ustring& setter);

} // namespace quillon
