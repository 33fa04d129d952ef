// The configuration file as loadcfg reads it: the document and the check of everything a load
// would apply, made before the first change so that a broken file changes nothing.
#pragma once

#include "catalogue/input_method_entry.h"
#include "files/ini_document.h"
#include "hotkeys/key_table.h"

#include <optional>

namespace quillon {

// Section names are the language id followed by one of these.
inline constexpr const char16_t* kListSection = u"_list";
inline constexpr const char16_t* kDisabledSection = u"_disabled";
inline constexpr const char16_t* kSwitchKeySection = u"_switchkey";
inline constexpr const char16_t* kOtherSection = u"_other";

// The switching-key section's toggle keys, in the order of the three toggle buttons.
inline constexpr const char16_t* kToggleKeys[] = {u"Ime/NonIme Toggle", u"Symbol Toggle",
                                                  u"Shape Toggle"};

struct ConfigProblem {
    int line = 0;
    ustring section; // empty when the line is not text at all
    ustring key;
    ustring what;
};

struct ConfigFile {
    IniDocument document;
    std::optional<ConfigProblem> problem; // the first one found; nothing may be applied then
};

// Reads the bytes and checks the sections of `languages` (4-digit language ids) that a load
// applies: text that is not UTF-8, a "_list" key without a value, a "_list" row that is not
// six or seven fields, a field not in its canonical form (4 upper-case hexadecimal digits,
// braced upper-case GUIDs, 8 hexadecimal digits; the category may be empty), and a hotkey
// text that would not convert where it is stored as numbers (IMM rows, the IME toggles).
ConfigFile readConfig(std::string_view bytes, const StringList& languages, const KeyTable& keys);

// One message for the user, naming the file, the line, the section and the key; `outcome` says
// what the refused operation did not do ("没有导入任何设置").
ustring configProblemMessage(const ustring& fileName, const ConfigProblem& problem,
                             const ustring& outcome);

// The enabled-list row of a checked "_list" value: the name, then the six fields; a row of
// six items gets an empty hotkey.
InputMethodEntry listRow(ustring_view value);

// The "_list" value of a row: its name and fields joined by "|". A name that the reading
// would change (one holding "|", beginning with a blank or a double quote) is written
// quoted; line breaks in it become blanks.
ustring listValue(const InputMethodEntry& row, std::size_t fields);

} // namespace quillon
