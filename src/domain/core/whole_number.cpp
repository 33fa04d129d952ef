#include "core/whole_number.h"

#include "core/error.h"

#include <limits>

namespace quillon {

std::optional<std::int32_t> tryWholeNumber(ustring_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::uint32_t base = 10;
    if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        std::uint32_t digit = 0;
        if (c >= u'0' && c <= u'9') {
            digit = static_cast<std::uint32_t>(c - u'0');
        } else if (base == 16 && c >= u'a' && c <= u'f') {
            digit = static_cast<std::uint32_t>(c - u'a' + 10);
        } else if (base == 16 && c >= u'A' && c <= u'F') {
            digit = static_cast<std::uint32_t>(c - u'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > 0x100000000ull) {
            return std::nullopt;
        }
    }
    // Hexadecimal digits may fill all 32 bits, the way a register dump writes a negative
    // number; decimal digits must fit the signed range.
    std::int64_t result = 0;
    if (base == 16) {
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
        result = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    } else {
        result = static_cast<std::int64_t>(value);
    }
    if (negative) {
        result = -result;
    }
    if (result < std::numeric_limits<std::int32_t>::min() ||
        result > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(result);
}

std::int32_t wholeNumber(ustring_view text) {
    if (const auto value = tryWholeNumber(text)) {
        return *value;
    }
    throw QuillonError(u"'" + ustring(text) + u"' is not a valid integer value for Integer type");
}

} // namespace quillon
