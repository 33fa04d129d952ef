// A backup's content: every key and value of the written-keys table as it was, absence
// included, and its form in a ".reg" file.
#pragma once

#include "backups/reg_file.h"
#include "operations/registry_snapshot.h"
#include "operations/written_keys.h"

namespace quillon::backups {

struct SnapshotArea {
    const WrittenKey* key = nullptr; // its row of kWrittenKeys
    // What the key held; nullopt when it was not there. For a row naming one value the tree
    // holds that value alone, or no value when it was not there, and no sub-keys.
    std::optional<KeyTree> tree;
    // When the key was not there: its first missing ancestor (or itself), which a change may
    // have made on its way and an undo takes away again when nothing else lives in it.
    ustring firstMissing;
};

struct Snapshot {
    std::vector<SnapshotArea> areas; // in the table's order
};

// Every row of the table, each key read once through `reads`.
Snapshot takeSnapshot(platform::KeyReads& reads);
// The rows of `kept` again, as they are now.
Snapshot takeSnapshotLike(platform::KeyReads& reads, const Snapshot& kept);

// The file form. A whole key is written as "[-KEY]" followed by the key and every key below
// it, so that Registry Editor, importing it, leaves exactly what was there; a key that was not
// there is "[-KEY]" alone, KEY being its first missing ancestor. A single value is written
// under its key, "name"=- when it was not there, and "[-KEY]" likewise when the key was not
// there.
RegFile toRegFile(const Snapshot& snapshot, const ustring& note);
// The rows the file holds (a row it lacks is left out: an undo leaves that key alone), or
// nullopt with `problem` set when the file is not in that form.
std::optional<Snapshot> fromRegFile(const RegFile& file, ustring& problem);

} // namespace quillon::backups
