// The commit's snapshot and restore: whatever a change of several steps did below the kept
// key, with writes failing at any step, the restore puts the registry back as it was.
// Input: a small program of registry steps, one byte at a time (see the code).
#include "operations/registry_snapshot.h"
#include "fuzz_support.h"
#include "platform/substitute/memory_registry.h"
#include "registry_tree.h"

#include <algorithm>
#include <optional>

using namespace quillon;
using platform::Hive;
using quillon::fuzz::law;

namespace {

// Few names, so that steps meet; letter case differs where Windows ignores it.
const char16_t* const kKeyNames[] = {u"a", u"A", u"b", u"\u00E9", u"\u00C9", u"c d"};
const char16_t* const kValueNames[] = {u"", u"v", u"V", u"w"};
constexpr std::uint32_t kTypes[] = {0, 1, 2, 3, 4, 7, 11};

ustring keyPath(fuzz::Reader& input, std::size_t minDepth, std::size_t maxDepth) {
    ustring path;
    const std::size_t depth = minDepth + input.pick(maxDepth - minDepth + 1);
    for (std::size_t i = 0; i < depth; ++i) {
        path = platform::joinKeyPath(path, kKeyNames[input.pick(std::size(kKeyNames))]);
    }
    return path;
}

ustring valueName(fuzz::Reader& input) {
    return kValueNames[input.pick(std::size(kValueNames))];
}

platform::RegValue value(fuzz::Reader& input) {
    platform::RegValue v{kTypes[input.pick(std::size(kTypes))], {}};
    const std::string_view bytes = input.take(input.pick(7));
    v.data.assign(bytes.begin(), bytes.end());
    return v;
}

bool isAtOrBelow(ustring_view path, ustring_view top) {
    return path.size() >= top.size() && equalsNoCase(path.substr(0, top.size()), top) &&
           (path.size() == top.size() || path[top.size()] == u'\\');
}

// The tree without the kept key's subtree, and without keys that were not there before the
// change (the ancestors it may have created on the way).
fuzz::Tree outside(const fuzz::Tree& tree, const ustring& path, const fuzz::Tree& before) {
    fuzz::Tree out;
    for (const fuzz::KeyEntry& key : tree) {
        const bool existed = std::any_of(before.begin(), before.end(), [&](const auto& old) {
            return equalsNoCase(old.path, key.path);
        });
        if (!isAtOrBelow(key.path, path) && existed) {
            out.push_back(key);
        }
    }
    return out;
}

// Key paths are compared without letter case for as long as the restore re-creates a key it
// deleted under the spelling the caller used, not the one Windows kept; values and their
// names are compared exactly.
bool sameTree(const fuzz::Tree& a, const fuzz::Tree& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return equalsNoCase(x.path, y.path) && x.values == y.values;
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Reader input(fuzz::bytesOf(data, size));
    platform::MemoryRegistry registry;

    // The registry as it was: some keys and values in both hives.
    for (std::size_t steps = input.pick(16); steps > 0; --steps) {
        const Hive hive = input.pick(4) == 0 ? Hive::LocalMachine : Hive::CurrentUser;
        const ustring path = keyPath(input, 1, 3);
        if (input.pick(3) == 0) {
            registry.createKey(hive, path);
        } else {
            const ustring name = valueName(input);
            registry.put(hive, path, name, value(input));
        }
    }
    const ustring kept = keyPath(input, 1, 2);
    const fuzz::Tree user = fuzz::treeOf(registry, Hive::CurrentUser);
    const fuzz::Tree machine = fuzz::treeOf(registry, Hive::LocalMachine);

    // Writes fail: never, once at the n-th, or from the n-th on (and then also while
    // restoring).
    const std::size_t faultMode = input.pick(3);
    const int failAt = input.byte() % 24;
    int writes = 0;
    bool faultsWhileRestoring = false;
    registry.setWriteFault([&](const platform::RegWrite&) {
        const int n = writes++;
        return (faultMode == 1 && n == failAt) || (faultMode == 2 && n >= failAt);
    });

    std::optional<RegistrySnapshot> snapshot;
    if (!fuzz::answersOrRefuses(
            [&] { snapshot = RegistrySnapshot::take(registry, Hive::CurrentUser, kept); })) {
        return 0;
    }
    law(snapshot->path() == platform::normalizeKeyPath(kept), "the snapshot keeps its path");

    // The change: steps at or below the kept key.
    for (std::size_t steps = input.pick(12); steps > 0; --steps) {
        const ustring path = platform::joinKeyPath(kept, keyPath(input, 0, 2));
        switch (input.pick(4)) {
        case 0:
            if (registry.openKey(Hive::CurrentUser, path, true) == platform::RegStatus::Ok) {
                const ustring name = valueName(input);
                registry.setValue(Hive::CurrentUser, path, name, value(input));
            }
            break;
        case 1:
            registry.deleteValue(Hive::CurrentUser, path, valueName(input));
            break;
        case 2:
            registry.deleteKeyTree(Hive::CurrentUser, path);
            break;
        default:
            registry.openKey(Hive::CurrentUser, path, true);
            break;
        }
    }

    faultsWhileRestoring = faultMode == 2 && input.pick(2) == 0;
    if (!faultsWhileRestoring) {
        registry.setWriteFault(nullptr);
    }
    fuzz::answersOrRefuses([&] { snapshot->restore(registry); });
    registry.setWriteFault(nullptr);

    const fuzz::Tree userAfter = fuzz::treeOf(registry, Hive::CurrentUser);
    law(fuzz::treeOf(registry, Hive::LocalMachine) == machine, "the other hive is untouched");
    if (faultsWhileRestoring) {
        law(sameTree(outside(userAfter, kept, user), outside(user, kept, user)),
            "a failing restore touches nothing outside the kept key");
    } else {
        law(sameTree(userAfter, user), "the restore puts back exactly what was there");
    }
    return 0;
}
