// Comparing the machine with a configuration file: what a load of the file would change, as
// lines a person reads, and as the part of the file that a load of only the differences applies.
#pragma once

#include "files/ini_document.h"
#include "hotkeys/key_table.h"

namespace quillon {

struct ConfigDrift {
    // One line per difference, naming the section, the key, the file's value and the machine's.
    StringList differences;
    // One line per input method the file names that this machine does not have: no load can
    // enable it, so it is no difference either.
    StringList cannotHold;
    // One line per language the file has settings for that is not installed; not a difference.
    StringList notInstalled;
    // The file's sections and keys that differ, so that a load of this document changes only
    // them: a "_list" section whole (the load replaces the list), other keys one by one.
    IniDocument toApply;

    bool holds() const { return differences.empty(); }
};

// The file's document, as `readConfig` has checked it, against the machine's as `readSetup`
// reads it, for the installed languages `languages`, judged as the load applies the file:
// rows by their fields (not their names) and hotkeys by their codes; a switching key whose
// value names no item is kept by the load and so never differs; the settings Windows keeps once
// for the user are compared once, in the last language that sets them, since that one holds
// when the load ends; the default input method as the whole file leaves it. Hotkeys are
// converted with `keys`.
ConfigDrift compareSetup(const IniDocument& file, const IniDocument& machine,
                         const StringList& languages, const KeyTable& keys);

// The report file: the differences, or "一致" when there are none, then the notes on languages
// not installed; UTF-8 with a byte-order mark, each line ending in CR LF.
StringList driftLines(const ConfigDrift& drift);
std::string driftReportBytes(const ConfigDrift& drift);

} // namespace quillon
