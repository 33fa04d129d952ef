// A registry backend that counts the calls reaching it, and the Win32 calls the Win32 backend
// makes for each of them: on Windows each Win32 call is a round trip into the kernel, so that
// count is the cost an operation has there.
#pragma once

#include "platform/registry_backend.h"

namespace quillon::bench {

// Win32 calls are counted as win32_registry.cpp makes them: RegOpenKeyExW (or
// RegCreateKeyExW) and, once it succeeded, RegCloseKey; a value read asks its size first and
// reads then (two RegQueryValueExW); an enumeration makes one RegEnum…W call per name and a
// last one that answers "no more items"; an enumeration of values with their data too, and a
// whole key's read is the enumeration of its values and then of its sub-keys; a
// batch of value changes opens the key once and makes one call per change.
class CountingRegistry : public platform::RegistryBackend {
public:
    explicit CountingRegistry(platform::RegistryBackend& inner) : inner_(inner) {}

    long calls = 0;      // backend calls
    long win32Calls = 0; // the Win32 calls behind them

    void reset() { calls = win32Calls = 0; }

    platform::RegStatus openKey(platform::Hive hive, ustring_view path, bool create) override {
        ++calls;
        const platform::RegStatus status = inner_.openKey(hive, path, create);
        win32Calls += opened(status == platform::RegStatus::Ok);
        return status;
    }
    bool keyExists(platform::Hive hive, ustring_view path) override {
        ++calls;
        const bool exists = inner_.keyExists(hive, path);
        win32Calls += opened(exists);
        return exists;
    }
    std::optional<platform::RegValue> queryValue(platform::Hive hive, ustring_view path,
                                                 ustring_view name) override {
        ++calls;
        std::optional<platform::RegValue> value = inner_.queryValue(hive, path, name);
        if (value) {
            win32Calls += opened(true) + 2;
        } else if (inner_.keyExists(hive, path)) {
            win32Calls += opened(true) + 1; // the size query finds no value
        } else {
            win32Calls += opened(false);
        }
        return value;
    }
    platform::RegStatus setValue(platform::Hive hive, ustring_view path, ustring_view name,
                                 const platform::RegValue& value) override {
        ++calls;
        const bool keyThere = inner_.keyExists(hive, path);
        win32Calls += opened(keyThere) + (keyThere ? 1 : 0);
        return inner_.setValue(hive, path, name, value);
    }
    platform::RegStatus deleteValue(platform::Hive hive, ustring_view path,
                                    ustring_view name) override {
        ++calls;
        const bool keyThere = inner_.keyExists(hive, path);
        win32Calls += opened(keyThere) + (keyThere ? 1 : 0);
        return inner_.deleteValue(hive, path, name);
    }
    platform::RegStatus deleteKeyTree(platform::Hive hive, ustring_view path) override {
        ++calls;
        const bool keyThere = inner_.keyExists(hive, path);
        // RegDeleteTreeW, then RegDeleteKeyW on the emptied key.
        win32Calls += opened(keyThere) + (keyThere ? 2 : 0);
        return inner_.deleteKeyTree(hive, path);
    }
    std::vector<ustring> subKeyNames(platform::Hive hive, ustring_view path) override {
        ++calls;
        std::vector<ustring> names = inner_.subKeyNames(hive, path);
        win32Calls += enumerated(hive, path, names.size());
        return names;
    }
    std::vector<ustring> valueNames(platform::Hive hive, ustring_view path) override {
        ++calls;
        std::vector<ustring> names = inner_.valueNames(hive, path);
        win32Calls += enumerated(hive, path, names.size());
        return names;
    }
    std::optional<platform::NamedValues> values(platform::Hive hive, ustring_view path) override {
        ++calls;
        std::optional<platform::NamedValues> found = inner_.values(hive, path);
        win32Calls += enumerated(hive, path, found ? found->size() : 0);
        return found;
    }

    std::optional<platform::KeyContents> readKey(platform::Hive hive, ustring_view path) override {
        ++calls;
        std::optional<platform::KeyContents> found = inner_.readKey(hive, path);
        // The values' enumeration, then the sub-keys'.
        win32Calls += found ? opened(true) + static_cast<long>(found->values.size()) + 1 +
                                  static_cast<long>(found->subKeys.size()) + 1
                            : opened(false);
        return found;
    }
    platform::ChangesMade changeValues(platform::Hive hive, ustring_view path, bool create,
                                       const std::vector<platform::ValueChange>& changes) override {
        ++calls;
        const platform::ChangesMade made = inner_.changeValues(hive, path, create, changes);
        const bool ok = made.open == platform::RegStatus::Ok;
        // One RegSetValueExW or RegDeleteValueW per change made, and one for the change that
        // failed.
        win32Calls += opened(ok) + (ok ? static_cast<long>(made.done) +
                                             (made.failure != platform::RegStatus::Ok ? 1 : 0)
                                       : 0);
        return made;
    }

private:
    static long opened(bool ok) { return ok ? 2 : 1; }
    long enumerated(platform::Hive hive, ustring_view path, std::size_t names) {
        if (!inner_.keyExists(hive, path)) {
            return opened(false);
        }
        return opened(true) + static_cast<long>(names) + 1;
    }

    platform::RegistryBackend& inner_;
};

} // namespace quillon::bench
