// GUID value and its canonical text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include "core/text.h"

#include <array>
#include <cstdint>
#include <optional>

namespace quillon {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend bool operator==(const Guid& a, const Guid& b) {
        return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 && a.data4 == b.data4;
    }
    friend bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }
};

// Upper-case braced text, 38 characters.
ustring guidToText(const Guid& g);
// Accepts the braced form in either letter case; nothing else.
std::optional<Guid> parseGuid(ustring_view text);
inline const ustring& nullGuidText() {
    static const ustring text = u"{00000000-0000-0000-0000-000000000000}";
    return text;
}

} // namespace quillon
