// A copy of one registry key with everything below it, to put back as it was when a change
// of several steps fails halfway.
#pragma once

#include "platform/registry_backend.h"

#include <vector>

namespace quillon {

class RegistrySnapshot {
public:
    static RegistrySnapshot take(platform::RegistryBackend& backend, platform::Hive hive,
                                 ustring_view path);
    // Makes the key exactly what it was: removed when it did not exist. Best effort: a step
    // that fails does not stop the others.
    void restore(platform::RegistryBackend& backend) const;
    const ustring& path() const { return path_; }

private:
    void write(platform::RegistryBackend& backend) const;

    platform::Hive hive_ = platform::Hive::CurrentUser;
    ustring path_;
    bool existed_ = false;
    // When the key did not exist: its first missing ancestor (or itself), which a change may
    // have created on the way.
    ustring firstMissing_;
    std::vector<std::pair<ustring, platform::RegValue>> values_;
    std::vector<RegistrySnapshot> children_;
};

} // namespace quillon
