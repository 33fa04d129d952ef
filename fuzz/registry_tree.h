// A whole registry tree as plain data, names exactly as stored, for comparisons that letter
// case or an odd name cannot fool.
#pragma once

#include "platform/registry_backend.h"

#include <vector>

namespace quillon::fuzz {

struct KeyEntry {
    ustring path;
    std::vector<std::pair<ustring, platform::RegValue>> values;
    friend bool operator==(const KeyEntry& a, const KeyEntry& b) {
        return a.path == b.path && a.values == b.values;
    }
};

using Tree = std::vector<KeyEntry>;

inline void collect(platform::RegistryBackend& registry, platform::Hive hive, const ustring& path,
                    Tree& out) {
    KeyEntry entry{path, {}};
    for (const ustring& name : registry.valueNames(hive, path)) {
        if (auto value = registry.queryValue(hive, path, name)) {
            entry.values.emplace_back(name, std::move(*value));
        }
    }
    out.push_back(std::move(entry));
    for (const ustring& child : registry.subKeyNames(hive, path)) {
        collect(registry, hive, platform::joinKeyPath(path, child), out);
    }
}

// Every key of the hive with its values, in enumeration order.
inline Tree treeOf(platform::RegistryBackend& registry, platform::Hive hive) {
    Tree tree;
    collect(registry, hive, u"", tree);
    return tree;
}

} // namespace quillon::fuzz
