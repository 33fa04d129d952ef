// The registry cases, one table, run against the in-memory backend natively and against
// the real registry under Wine.
#pragma once

#include "platform/registry_backend.h"

#include <vector>

namespace quillon::conformance {

struct RegistryCaseContext {
    platform::RegistryBackend& backend;
    platform::Hive hive;
    // A scratch key (no leading "\") that the case may fill; it exists and is empty.
    ustring root;
    // Windows and the substitute enumerate values in creation order; Wine in name order.
    bool valuesInCreationOrder;

    // "\" + root + "\" + rest: an absolute path below the scratch key.
    ustring abs(ustring_view rest = u"") const;
    void put(ustring_view relPath, ustring_view name, const platform::RegValue& value) const;
};

struct RegistryCase {
    const char* name;
    void (*run)(const RegistryCaseContext& ctx);
};

const std::vector<RegistryCase>& registryCases();

platform::RegValue sz(ustring_view text, std::uint32_t type = platform::kRegSz);
platform::RegValue dword(std::uint32_t value);
platform::RegValue bytes(std::vector<std::uint8_t> data, std::uint32_t type = platform::kRegBinary);

} // namespace quillon::conformance
