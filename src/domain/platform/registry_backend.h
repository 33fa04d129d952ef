// The raw registry a TRegistry works on: Win32 (RegOpenKeyExW & co.) or in memory.
// Paths are whole paths inside one hive, components joined by "\", without a leading or
// trailing "\"; the empty path is the hive's root.
#pragma once

#include "core/text.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace quillon::platform {

enum class Hive { CurrentUser, LocalMachine };

// Registry value types as Windows numbers them.
enum RegType : std::uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
    kRegQword = 11,
};

struct RegValue {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
    friend bool operator==(const RegValue& a, const RegValue& b) {
        return a.type == b.type && a.data == b.data;
    }
};

enum class RegStatus { Ok, NotFound, AccessDenied, Failed };

using NamedValues = std::vector<std::pair<ustring, RegValue>>;

// What a key holds: its values with their data, and its sub-keys' names, in enumeration order.
struct KeyContents {
    NamedValues values;
    std::vector<ustring> subKeys;
};

// A value to write, or, without data, to remove.
struct ValueChange {
    ustring name;
    std::optional<RegValue> value;
};

// How far `changeValues` got: whether the key opened, how many changes were made, in order,
// and why the next one failed when not all were.
struct ChangesMade {
    RegStatus open = RegStatus::Ok;
    std::size_t done = 0;
    RegStatus failure = RegStatus::Ok;
};

class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;
    // Whether the key can be opened with full access (KEY_ALL_ACCESS); with `create` a
    // missing key and its missing parents are created first.
    virtual RegStatus openKey(Hive hive, ustring_view path, bool create) = 0;
    // Whether the key can be opened for reading.
    virtual bool keyExists(Hive hive, ustring_view path) = 0;
    virtual std::optional<RegValue> queryValue(Hive hive, ustring_view path, ustring_view name) = 0;
    // Never creates the key.
    virtual RegStatus setValue(Hive hive, ustring_view path, ustring_view name,
                               const RegValue& value) = 0;
    virtual RegStatus deleteValue(Hive hive, ustring_view path, ustring_view name) = 0;
    // Deletes the key with everything below it.
    virtual RegStatus deleteKeyTree(Hive hive, ustring_view path) = 0;
    // Names in the registry's enumeration order; empty when the key cannot be read.
    virtual std::vector<ustring> subKeyNames(Hive hive, ustring_view path) = 0;
    virtual std::vector<ustring> valueNames(Hive hive, ustring_view path) = 0;
    // Every value with its data, in enumeration order, from one open of the key: a reader of
    // a whole key pays one call per value instead of an open, a size and a read for each.
    // Nullopt when the key cannot be read.
    virtual std::optional<NamedValues> values(Hive hive, ustring_view path) = 0;
    // The key's values and sub-keys from one open of it: a reader of a whole tree pays one
    // call per name, without an existence check before each key. Nullopt when the key cannot
    // be read.
    virtual std::optional<KeyContents> readKey(Hive hive, ustring_view path) = 0;
    // Opens the key once (with `create`, making it and its missing parents first) and makes
    // the changes in order, stopping at the first that fails: a writer of several values of
    // one key pays one call per value instead of an open, a write and a close for each.
    virtual ChangesMade changeValues(Hive hive, ustring_view path, bool create,
                                     const std::vector<ValueChange>& changes) = 0;
};

// Splits a key path at "\" and drops empty components ("\a\\b\" gives "a\b").
ustring normalizeKeyPath(ustring_view path);
ustring joinKeyPath(ustring_view base, ustring_view relative);

} // namespace quillon::platform
