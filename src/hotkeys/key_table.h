// The key table: display names of keys and their virtual-key codes as two hex digits.
#pragma once

#include "core/text.h"

#include <vector>

namespace quillon {

struct KeyRow {
    ustring name;
    ustring code;
};

using KeyTable = std::vector<KeyRow>;

} // namespace quillon
