// One row of the enabled or the disabled list: a name and six text fields.
#pragma once

#include "core/guid.h"
#include "core/text.h"

#include <array>
#include <vector>

namespace quillon {

enum Field : std::size_t {
    kFieldClsid = 0,
    kFieldLangid = 1,
    kFieldCatid = 2,
    kFieldProfile = 3,
    kFieldHkl = 4,
    kFieldHotkey = 5,
};

enum class EntryKind { TextService, KeyboardLayout, ImmInputMethod };

struct InputMethodEntry {
    ustring name;
    std::array<ustring, 6> fields;

    EntryKind kind() const;
    friend bool operator==(const InputMethodEntry& a, const InputMethodEntry& b) {
        return a.name == b.name && a.fields == b.fields;
    }
};

using EntryList = std::vector<InputMethodEntry>;

// Font colour and weight a row is drawn with.
struct RowStyle {
    std::uint32_t color; // 0x00BBGGRR; kDefaultColor for the list's own colour
    bool bold;
};
constexpr std::uint32_t kDefaultColor = 0xFFFFFFFFu;
constexpr std::uint32_t kBlue = 0x00FF0000u;  // RGB(0, 0, 255)
constexpr std::uint32_t kGreen = 0x00008000u; // RGB(0, 128, 0)

} // namespace quillon
