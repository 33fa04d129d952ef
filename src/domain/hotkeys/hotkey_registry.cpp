#include "hotkeys/hotkey_registry.h"

#include <algorithm>
#include <vector>

namespace quillon::hotkeys {

std::optional<std::uint32_t> readBinary32(platform::TRegistry& reg, ustring_view name) {
    // One read: only the first four bytes count, however long the value is.
    const auto value = reg.ReadValue(name);
    if (!value) {
        return std::nullopt;
    }
    return binary32Of(*value, name);
}

std::uint32_t binary32Of(const platform::RegValue& value, ustring_view name) {
    const std::vector<std::uint8_t>& bytes = platform::binaryOf(value, name);
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) {
        number |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    }
    return number;
}

platform::RegValue binary32(std::uint32_t value) {
    return platform::binaryValue(
        {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
         static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

std::optional<ToggleGroup> toggleGroup(std::int32_t langid) {
    switch (langid) {
    case 0x0404:
        return ToggleGroup{u'7', 3};
    case 0x0411:
        return ToggleGroup{u'3', 1};
    case 0x0412:
        return ToggleGroup{u'5', 3};
    case 0x0804:
        return ToggleGroup{u'1', 3};
    default:
        return std::nullopt;
    }
}

ustring toggleSubkey(const ToggleGroup& group, int index) {
    return ustring(u"000000") + group.digit + static_cast<char16_t>(u'0' + index);
}

ustring hexAtLeast(std::uint32_t value, int digits) {
    ustring text = hexText(value, 8);
    const std::size_t keep =
        std::max<std::size_t>(static_cast<std::size_t>(digits),
                              8 - std::min<std::size_t>(text.find_first_not_of(u'0'), 8));
    return text.substr(8 - keep);
}

} // namespace quillon::hotkeys
