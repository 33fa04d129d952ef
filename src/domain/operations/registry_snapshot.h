// Copies of the registry keys a change of several steps is about to alter, to put back what
// differs when it fails halfway.
#pragma once

#include "platform/key_reads.h"

#include <map>
#include <memory>

#include <set>
#include <vector>

namespace quillon {

// A key with its values and everything below it, in enumeration order, each name as spelled.
struct KeyTree {
    ustring name;
    platform::NamedValues values;
    std::vector<KeyTree> children;
};
bool operator==(const KeyTree& a, const KeyTree& b);
inline bool operator!=(const KeyTree& a, const KeyTree& b) {
    return !(a == b);
}

// The key at `path` with everything below it, each key read once through `reads`; nullopt
// when the key is not there.
std::optional<KeyTree> readKeyTree(platform::KeyReads& reads, ustring_view path);

// One key with everything below it, or the fact that it was not there.
class RegistrySnapshot {
public:
    // Each key below is read once, from the reads the operation made already where it made
    // them.
    static RegistrySnapshot take(platform::KeyReads& reads, ustring_view path);
    // A key as kept elsewhere (a backup): `tree` is what it held, nullopt when it was not
    // there, and then the restore deletes `firstMissing` (the key itself when empty), its first
    // ancestor that was not there either.
    static RegistrySnapshot fromTree(platform::Hive hive, ustring_view path,
                                     const std::optional<KeyTree>& tree,
                                     ustring_view firstMissing = {});
    // Puts back what differs from the snapshot, and only that: values changed or removed are
    // written again, values and keys added are removed, a removed key is made again with its
    // own spelling; where the values no longer stand in their order, those from the first one
    // out of place on are written again in order, since Windows lists values in the order they
    // were made. A key that was there is never deleted, only one the change made again
    // under another spelling. Appends to `failed` what could not be put back: a key's path,
    // with the value's name or, for the key itself, none.
    using Failures = std::vector<std::pair<ustring, ustring>>;
    void restore(platform::RegistryBackend& backend, Failures& failed) const;
    const ustring& path() const { return path_; }

private:
    void restoreKey(platform::RegistryBackend& backend, const ustring& path,
                    Failures& failed) const;
    void fill(const KeyTree& tree);

    platform::Hive hive_ = platform::Hive::CurrentUser;
    ustring path_;
    ustring name_; // the key's own spelling, as its parent lists it
    bool existed_ = false;
    // When the key did not exist: its first missing ancestor (or itself), which a change may
    // have created on the way.
    ustring firstMissing_;
    std::vector<std::pair<ustring, platform::RegValue>> values_;
    std::vector<RegistrySnapshot> children_;
};

// The keys an operation is about to change, kept before its first change.
class RegistryCheckpoint {
public:
    RegistryCheckpoint(platform::RegistryBackend& backend, platform::Hive hive);
    // Shares the operation's reads: a key its plan read already is not read again, and what
    // the checkpoint reads its writers may look up.
    explicit RegistryCheckpoint(platform::KeyReads& reads);
    RegistryCheckpoint(const RegistryCheckpoint&) = delete;
    RegistryCheckpoint& operator=(const RegistryCheckpoint&) = delete;

    // Keeps the key with everything below it; a key kept already is not read again. Every
    // key is kept before the first change: the listings of parents read here are reused for
    // the keys kept after, so that keeping N siblings lists their parent once, not N times.
    void keep(ustring_view path);
    // Puts every kept key back, the last kept first. Returns what could not be put back, one
    // text per key (with the values that differ); empty when everything is as it was.
    StringList restore() const;

private:
    std::unique_ptr<platform::KeyReads> ownReads_;
    platform::KeyReads& reads_;
    std::vector<RegistrySnapshot> kept_;
    std::set<ustring> keptPaths_; // upper-cased: paths name keys without regard to case
    // Each parent's sub-keys by their upper-cased name, as first listed.
    std::map<ustring, std::map<ustring, ustring>> siblings_;
};

// Puts back one value that a key shares with other programs' settings (`kept`: the key with at
// most that value, as kept; `now`: the same as it is now), touching no other value: a value that
// differs is written, one that appeared is deleted, and a key that was not there goes again with
// the parents made with it (up to `firstMissing`) unless something else has come to live in
// them. What cannot be put back is added to `failed` (key and value).
void restoreSingleValue(platform::RegistryBackend& backend, const ustring& path,
                        const std::optional<KeyTree>& kept, const std::optional<KeyTree>& now,
                        const ustring& firstMissing, RegistrySnapshot::Failures& failed);

// The message of an error that ended a change which was then put back: says whether the
// registry is as before, or what still differs.
ustring rolledBackMessage(const ustring& error, const StringList& notRestored);

} // namespace quillon
