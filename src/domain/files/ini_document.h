// The configuration file's INI text: the one place that reads and writes that format.
//
// Reading: UTF-8, a leading byte-order mark skipped; lines end at CR LF, CR or LF; each line
// is trimmed of characters up to U+0020; empty lines and lines beginning with ";" are skipped;
// "[name]" opens a section (a name seen before continues that section); lines before the first
// section are skipped; any other line is a key and a value split at the first "=" (a line
// without "=" is a key with an empty value). Section names and keys are compared without
// regard to case.
//
// Writing: UTF-8 with a byte-order mark, CR LF; "[name]", then "key=value" lines, then one
// empty line after every section.
#pragma once

#include "core/text.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct IniEntry {
    ustring key;
    ustring value;
    int line = 0; // 1-based line of the text read; 0 for an entry written since
};

struct IniSection {
    ustring name;
    std::vector<IniEntry> entries;
    int line = 0;
};

class IniDocument {
public:
    // The section of that name; null when there is none.
    const IniSection* section(ustring_view name) const;
    // The first entry of that key in the section; null when there is none.
    const IniEntry* entry(ustring_view section, ustring_view key) const;
    // Replaces the value of the key where it stands; a new key goes to the end of its section,
    // a new section to the end of the document.
    void write(ustring_view section, ustring_view key, ustring_view value);
    // A section of that name, empty when there was none; an existing one is left as it is.
    void addSection(ustring_view name) { sectionFor(name, 0); }

    const std::vector<IniSection>& sections() const { return sections_; }

    // The whole file in the written format.
    std::string bytes() const;

private:
    friend struct IniReader;
    IniSection& sectionFor(ustring_view name, int line);

    std::vector<IniSection> sections_;
    std::map<ustring, std::size_t> byName_; // upper-cased name → index in sections_
};

struct IniRead {
    IniDocument document;
    // 0 when the text is UTF-8; otherwise the 1-based line holding the first bytes that are
    // not, and the document is empty.
    int badLine = 0;
};

// Reads a file's bytes by the rules above; never fails otherwise.
IniRead readIni(std::string_view bytes);

} // namespace quillon
