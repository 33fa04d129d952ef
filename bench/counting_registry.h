// A registry backend that counts the calls reaching it: on Windows each of them is a round
// trip into the kernel, so the count is the cost an operation has there.
#pragma once

#include "platform/registry_backend.h"

namespace quillon::bench {

class CountingRegistry : public platform::RegistryBackend {
public:
    explicit CountingRegistry(platform::RegistryBackend& inner) : inner_(inner) {}

    long calls = 0;

    platform::RegStatus openKey(platform::Hive hive, ustring_view path, bool create) override {
        ++calls;
        return inner_.openKey(hive, path, create);
    }
    bool keyExists(platform::Hive hive, ustring_view path) override {
        ++calls;
        return inner_.keyExists(hive, path);
    }
    std::optional<platform::RegValue> queryValue(platform::Hive hive, ustring_view path,
                                                 ustring_view name) override {
        ++calls;
        return inner_.queryValue(hive, path, name);
    }
    platform::RegStatus setValue(platform::Hive hive, ustring_view path, ustring_view name,
                                 const platform::RegValue& value) override {
        ++calls;
        return inner_.setValue(hive, path, name, value);
    }
    platform::RegStatus deleteValue(platform::Hive hive, ustring_view path,
                                    ustring_view name) override {
        ++calls;
        return inner_.deleteValue(hive, path, name);
    }
    platform::RegStatus deleteKeyTree(platform::Hive hive, ustring_view path) override {
        ++calls;
        return inner_.deleteKeyTree(hive, path);
    }
    std::vector<ustring> subKeyNames(platform::Hive hive, ustring_view path) override {
        ++calls;
        return inner_.subKeyNames(hive, path);
    }
    std::vector<ustring> valueNames(platform::Hive hive, ustring_view path) override {
        ++calls;
        return inner_.valueNames(hive, path);
    }

private:
    platform::RegistryBackend& inner_;
};

} // namespace quillon::bench
