// An in-memory registry that behaves like Windows' own: names are case-insensitive, sub-keys
// enumerate in case-insensitive name order, values in creation order. It can be told to fail
// for fault tests.
#pragma once

#include "platform/registry_backend.h"

#include <functional>
#include <map>
#include <memory>

namespace quillon::platform {

struct RegWrite {
    enum class Kind { SetValue, DeleteValue, DeleteKey, CreateKey } kind;
    Hive hive;
    ustring path;
    ustring name; // empty for key operations
};

class MemoryRegistry : public RegistryBackend {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;

    RegStatus openKey(Hive hive, ustring_view path, bool create) override;
    bool keyExists(Hive hive, ustring_view path) override;
    std::optional<RegValue> queryValue(Hive hive, ustring_view path, ustring_view name) override;
    RegStatus setValue(Hive hive, ustring_view path, ustring_view name,
                       const RegValue& value) override;
    RegStatus deleteValue(Hive hive, ustring_view path, ustring_view name) override;
    RegStatus deleteKeyTree(Hive hive, ustring_view path) override;
    std::vector<ustring> subKeyNames(Hive hive, ustring_view path) override;
    std::vector<ustring> valueNames(Hive hive, ustring_view path) override;
    std::optional<NamedValues> values(Hive hive, ustring_view path) override;
    std::optional<KeyContents> readKey(Hive hive, ustring_view path) override;
    ChangesMade changeValues(Hive hive, ustring_view path, bool create,
                             const std::vector<ValueChange>& changes) override;

    // Full access to the key and everything below it is refused (reading still works), as
    // HKEY_LOCAL_MACHINE is for a user without administrator rights.
    void denyFullAccess(Hive hive, ustring_view path);
    // Called before every change; returning true makes that change fail.
    void setWriteFault(std::function<bool(const RegWrite&)> fault);
    // Number of changes attempted so far (failed ones included).
    int writeCount() const { return writes_; }

    // Direct access for fixtures and assertions, without fault injection.
    void put(Hive hive, ustring_view path, ustring_view name, const RegValue& value);
    void createKey(Hive hive, ustring_view path);
    void removeKey(Hive hive, ustring_view path);
    void removeValue(Hive hive, ustring_view path, ustring_view name);
    // Every key with its values, sorted by path, one key a block; for whole-tree comparisons.
    std::string dump(Hive hive, ustring_view path = u"") const;

private:
    struct Key;
    Key* find(Hive hive, ustring_view path) const;
    Key* create(Hive hive, ustring_view path);
    bool denied(Hive hive, ustring_view path) const;
    bool faulted(RegWrite::Kind kind, Hive hive, ustring_view path, ustring_view name);

    std::unique_ptr<Key> currentUser_;
    std::unique_ptr<Key> localMachine_;
    std::vector<std::pair<Hive, ustring>> deniedPaths_;
    std::function<bool(const RegWrite&)> fault_;
    int writes_ = 0;
};

} // namespace quillon::platform
