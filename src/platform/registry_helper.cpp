// The multi-string read the language list uses (REG_MULTI_SZ, read as raw bytes).
#include "platform/registry.h"

#include <vector>

namespace quillon::platform {

bool TRegistry::ReadMultiString(ustring_view name, StringList& list) {
    const int size = GetDataSize(name);
    if (size <= 0) {
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    const int read = ReadBinaryData(name, bytes.data(), size);
    const std::size_t units = static_cast<std::size_t>(read) / 2;
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
