// The registry backend over the Win32 registry calls.
#pragma once

#include "platform/registry_backend.h"

namespace quillon::platform {

// Every call opens the key it needs and closes it again: TRegistry keeps a path, not a
// handle, so a key deleted or re-created behind its back behaves as Windows would make it.
class Win32Registry : public RegistryBackend {
public:
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
};

} // namespace quillon::platform
