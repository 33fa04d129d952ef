// The commit's checkpoint: whatever a change of several steps did below the kept keys, with
// writes failing at any step, the restore puts the registry back as it was, or names what it
// could not put back.
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

bool isKept(ustring_view path, const std::vector<ustring>& kept) {
    return std::any_of(kept.begin(), kept.end(),
                       [&](const ustring& top) { return isAtOrBelow(path, top); });
}

const fuzz::KeyEntry* find(const fuzz::Tree& tree, ustring_view path) {
    const auto it = std::find_if(tree.begin(), tree.end(), [&](const fuzz::KeyEntry& key) {
        return equalsNoCase(key.path, path);
    });
    return it == tree.end() ? nullptr : &*it;
}

// Exactly: a key put back keeps the spelling the registry held, whatever the caller used, and
// lists its values in their order again.
bool sameKey(const fuzz::KeyEntry& a, const fuzz::KeyEntry& b) {
    return a.path == b.path && a.values == b.values;
}

bool sameTree(const fuzz::Tree& a, const fuzz::Tree& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameKey);
}

// The keys that differ between the two trees.
std::vector<ustring> differences(const fuzz::Tree& before, const fuzz::Tree& after) {
    std::vector<ustring> paths;
    for (const fuzz::KeyEntry& key : before) {
        const fuzz::KeyEntry* now = find(after, key.path);
        if (!now || !sameKey(key, *now)) {
            paths.push_back(key.path);
        }
    }
    for (const fuzz::KeyEntry& key : after) {
        if (!find(before, key.path)) {
            paths.push_back(key.path);
        }
    }
    return paths;
}

// The key paths the restore's report names (each line: the hive, the path, maybe values).
std::vector<ustring> reportedKeys(const StringList& lines) {
    std::vector<ustring> paths;
    for (const ustring& line : lines) {
        ustring path = line.substr(std::min(line.size(), line.find(u'\\') + 1));
        path = path.substr(0, path.find(u" 的值“"));
        paths.push_back(path);
    }
    return paths;
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
    const fuzz::Tree user = fuzz::treeOf(registry, Hive::CurrentUser);
    const fuzz::Tree machine = fuzz::treeOf(registry, Hive::LocalMachine);

    // Writes fail: never, once at the n-th, or from the n-th on (and then maybe also while
    // restoring).
    const std::size_t faultMode = input.pick(3);
    const int failAt = input.byte() % 24;
    int writes = 0;
    registry.setWriteFault([&](const platform::RegWrite&) {
        const int n = writes++;
        return (faultMode == 1 && n == failAt) || (faultMode == 2 && n >= failAt);
    });

    // One to three keys kept, the way the commit keeps them; they may lie inside each other.
    RegistryCheckpoint checkpoint(registry, Hive::CurrentUser);
    std::vector<ustring> kept;
    for (std::size_t count = 1 + input.pick(3); count > 0; --count) {
        kept.push_back(keyPath(input, 1, 2));
        if (!fuzz::answersOrRefuses([&] { checkpoint.keep(kept.back()); })) {
            return 0;
        }
    }

    // The change: steps at or below the kept keys.
    for (std::size_t steps = input.pick(12); steps > 0; --steps) {
        const ustring& top = kept[input.pick(kept.size())];
        const ustring path = platform::joinKeyPath(top, keyPath(input, 0, 2));
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

    const bool faultsWhileRestoring = faultMode == 2 && input.pick(2) == 0;
    if (!faultsWhileRestoring) {
        registry.setWriteFault(nullptr);
    }
    StringList notRestored;
    fuzz::answersOrRefuses([&] { notRestored = checkpoint.restore(); });
    registry.setWriteFault(nullptr);

    const fuzz::Tree userAfter = fuzz::treeOf(registry, Hive::CurrentUser);
    law(fuzz::treeOf(registry, Hive::LocalMachine) == machine, "the other hive is untouched");
    if (!faultsWhileRestoring) {
        law(notRestored.empty(), "a restore that can write puts everything back");
    }
    if (notRestored.empty()) {
        law(sameTree(userAfter, user), "the restore puts back exactly what was there");
        return 0;
    }
    // What could not be put back is named: every key that differs lies at or below a key the
    // report names, and only inside what was kept (or on the way to it).
    const std::vector<ustring> reported = reportedKeys(notRestored);
    for (const ustring& path : differences(user, userAfter)) {
        law(isKept(path, reported), "every difference is reported");
        law(isKept(path, kept) || (!find(user, path) && find(userAfter, path)),
            "a failing restore touches nothing outside the kept keys");
    }
    return 0;
}
