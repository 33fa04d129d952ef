#include "operations/registry_snapshot.h"

#include <algorithm>

namespace quillon {

RegistrySnapshot RegistrySnapshot::take(platform::RegistryBackend& backend, platform::Hive hive,
                                        ustring_view path) {
    RegistrySnapshot snapshot;
    snapshot.hive_ = hive;
    snapshot.path_ = platform::normalizeKeyPath(path);
    snapshot.existed_ = backend.keyExists(hive, snapshot.path_);
    if (!snapshot.existed_) {
        ustring prefix;
        std::size_t start = 0;
        while (start <= snapshot.path_.size()) {
            const std::size_t end =
                std::min(snapshot.path_.find(u'\\', start), snapshot.path_.size());
            prefix = snapshot.path_.substr(0, end);
            if (!backend.keyExists(hive, prefix)) {
                break;
            }
            start = end + 1;
        }
        snapshot.firstMissing_ = prefix;
        return snapshot;
    }
    for (const ustring& name : backend.valueNames(hive, snapshot.path_)) {
        if (auto value = backend.queryValue(hive, snapshot.path_, name)) {
            snapshot.values_.emplace_back(name, std::move(*value));
        }
    }
    for (const ustring& child : backend.subKeyNames(hive, snapshot.path_)) {
        snapshot.children_.push_back(
            take(backend, hive, platform::joinKeyPath(snapshot.path_, child)));
    }
    return snapshot;
}

void RegistrySnapshot::restore(platform::RegistryBackend& backend) const {
    if (!existed_) {
        if (!firstMissing_.empty() && backend.keyExists(hive_, firstMissing_)) {
            backend.deleteKeyTree(hive_, firstMissing_);
        }
        return;
    }
    if (backend.keyExists(hive_, path_)) {
        backend.deleteKeyTree(hive_, path_);
    }
    write(backend);
}

void RegistrySnapshot::write(platform::RegistryBackend& backend) const {
    if (backend.openKey(hive_, path_, true) != platform::RegStatus::Ok) {
        return;
    }
    for (const auto& [name, value] : values_) {
        backend.setValue(hive_, path_, name, value);
    }
    for (const RegistrySnapshot& child : children_) {
        child.write(backend);
    }
}

} // namespace quillon
