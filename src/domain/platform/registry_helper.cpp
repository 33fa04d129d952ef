// The multi-string read the language list uses (REG_MULTI_SZ, read as raw bytes, in one read).
#include "platform/registry.h"

#include <vector>

namespace quillon::platform {

bool TRegistry::ReadMultiString(ustring_view name, StringList& list) {
    const auto value = query(name);
    if (!value || value->data.empty()) {
        return false;
    }
    const std::vector<std::uint8_t>& bytes = binaryOf(*value, name);
    const std::size_t units = bytes.size() / 2;
    ustring current;
    for (std::size_t i = 0; i < units; ++i) {
        const auto unit = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (unit != 0) {
            current.push_back(unit);
        } else if (!current.empty()) {
            list.push_back(current);
            current.clear();
        }
    }
    return true;
}

} // namespace quillon::platform
