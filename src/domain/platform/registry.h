// TRegistry: one registry object on one hive, with a current key, as the logic uses it.
#pragma once

#include "platform/registry_backend.h"

#include <cstddef>
#include <cstdint>

namespace quillon::platform {

class KeyReads;

class TRegistry {
public:
    explicit TRegistry(RegistryBackend& backend, Hive hive = Hive::CurrentUser);
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    Hive RootKey() const { return hive_; }
    bool HasCurrentKey() const { return open_; }
    const ustring& CurrentPath() const { return path_; }

    // A path starting with "\" is absolute; otherwise it is relative to the current key
    // (or to the root when none is open). False leaves the previous key current.
    bool OpenKey(ustring_view key, bool canCreate);
    bool KeyExists(ustring_view key);
    bool ValueExists(ustring_view name);
    void CloseKey();

    // The value's type and data in one read, for a caller that would otherwise ask twice
    // (whether it exists, its size, then its data); nullopt when it is missing or no key is
    // open. `stringOf` and the functions beside it take it apart as the reads below do.
    std::optional<RegValue> ReadValue(ustring_view name);
    ustring ReadString(ustring_view name);
    std::int32_t ReadInteger(ustring_view name);
    // Returns the number of bytes copied; 0 when the value is missing.
    int ReadBinaryData(ustring_view name, void* buffer, int size);
    int GetDataSize(ustring_view name);
    std::uint32_t GetDataType(ustring_view name);
    void GetKeyNames(StringList& list);
    void GetValueNames(StringList& list);
    // Appends the non-empty strings of a REG_MULTI_SZ value; false when missing or empty.
    bool ReadMultiString(ustring_view name, StringList& list);

    void WriteString(ustring_view name, ustring_view text);
    void WriteInteger(ustring_view name, std::int32_t value);
    void WriteBinaryData(ustring_view name, const void* data, int size);
    bool DeleteKey(ustring_view key);
    bool DeleteValue(ustring_view name);

private:
    ustring resolve(ustring_view key) const;
    std::optional<RegValue> query(ustring_view name);
    void write(ustring_view name, const RegValue& value);

    RegistryBackend& backend_;
    Hive hive_;
    bool open_ = false;
    ustring path_;
};

// The data TRegistry's writes store: a text with its terminating NUL, a DWORD, bytes.
RegValue stringValue(ustring_view text);
RegValue dwordValue(std::int32_t number);
RegValue binaryValue(std::vector<std::uint8_t> bytes);

// Values of one key written and removed through one open of it (`changeValues`), in the order
// given, with the errors of TRegistry's writes.
class ValueChanges {
public:
    ValueChanges& write(ustring_view name, RegValue value);
    // Written unless `present` (what the key holds) has it under exactly this name, with the
    // same type and data: rewriting a key with what it holds changes nothing.
    ValueChanges& writeIfChanged(const NamedValues& present, ustring_view name, RegValue value);
    ValueChanges& remove(ustring_view name);
    bool empty() const { return changes_.empty(); }

    // False when the key cannot be opened (nor, with `create`, created); nothing is changed
    // then. A change that fails stops the rest and throws the error naming its value.
    bool apply(RegistryBackend& backend, Hive hive, ustring_view path, bool create) const;
    // The same on the registry and hive an operation reads through.
    bool apply(KeyReads& reads, ustring_view path, bool create) const;

private:
    std::vector<ValueChange> changes_;
};

// A value from ReadValue taken as ReadString, ReadInteger and ReadBinaryData take it, with the
// same type errors naming `name`.
ustring stringOf(const RegValue& value, ustring_view name);
std::int32_t integerOf(const RegValue& value, ustring_view name);
const std::vector<std::uint8_t>& binaryOf(const RegValue& value, ustring_view name);

} // namespace quillon::platform
