// The backup file's form: Registry Editor's ".reg" text (version 5.00, UTF-16 LE with a
// byte-order mark), so that a user can read a backup and, as a last resort, import it with
// Registry Editor. Only keys under HKEY_CURRENT_USER.
#pragma once

#include "core/text.h"
#include "platform/registry_backend.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::backups {

// One "[KEY]" section with its values, or a "[-KEY]" line: the key deleted.
struct RegBlock {
    ustring path; // below HKEY_CURRENT_USER, as spelled; empty for the hive itself
    bool deleted = false;
    // A value's data, or nullopt for "name"=- (the value deleted).
    std::vector<std::pair<ustring, std::optional<platform::RegValue>>> values;
};

struct RegFile {
    // The first comment line, without its ";" and the blank after it.
    ustring note;
    std::vector<RegBlock> blocks;
};

// The file's bytes. Values are written as Registry Editor writes them ("text", dword:, hex:,
// hex(N):), a text only when its data is exactly one terminated string, so that every value
// reads back with its type and bytes. QuillonError for a name no such file can hold (a line
// break in it).
std::string writeRegFile(const RegFile& file);

struct RegFileRead {
    std::optional<RegFile> file;
    ustring problem; // why not, naming the line
};
// A pure function of the bytes: the file as written above, or why it is not one.
RegFileRead readRegFile(std::string_view bytes);

} // namespace quillon::backups
