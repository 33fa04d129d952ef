// Keys read once for a whole operation: its plan, its checkpoint and its writers look at the
// same keys, and each read costs a call per name on Windows.
#pragma once

#include "platform/registry_backend.h"

#include <map>

namespace quillon::platform {

class KeyReads {
public:
    KeyReads(RegistryBackend& backend, Hive hive) : backend_(backend), hive_(hive) {}
    KeyReads(const KeyReads&) = delete;
    KeyReads& operator=(const KeyReads&) = delete;

    RegistryBackend& backend() const { return backend_; }
    Hive hive() const { return hive_; }

    // What the key held when it was first read (`readKey`); nullopt when it could not be
    // read. An operation reads what it needs before its first write, so that what it learnt
    // is what the registry held before it changed anything.
    const std::optional<KeyContents>& read(ustring_view path);
    // Whether the key exists, from a read made already or, without one, an existence check.
    bool exists(ustring_view path);
    // The key's values alone, from one open of it, and not kept: for a reader that looks at
    // each key once and needs none of its sub-keys. Nullopt when the key cannot be read.
    std::optional<NamedValues> values(ustring_view path);
    // Deletes the key with everything below it.
    RegStatus deleteKeyTree(ustring_view path);

private:
    RegistryBackend& backend_;
    Hive hive_;
    std::map<ustring, std::optional<KeyContents>> read_; // by the upper-cased path
};

} // namespace quillon::platform
