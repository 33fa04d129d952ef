#include "core/text.h"

namespace quillon {

ustring u(std::string_view utf8) {
    return fromUtf8(utf8);
}

namespace {

// The range a sequence's second byte must lie in after its lead byte, so that no code point is
// written in more bytes than it needs (overlong forms such as C0 AF for "/"), none lies in the
// surrogate range D800-DFFF, and none lies above 10FFFF. Every later byte is 80-BF.
struct Utf8Lead {
    std::size_t length; // 0: the byte cannot begin a sequence
    unsigned char low;
    unsigned char high;
};

Utf8Lead utf8Lead(unsigned char b) {
    if (b < 0x80) {
        return {1, 0, 0};
    }
    if (b >= 0xC2 && b <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (b == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (b == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (b >= 0xE1 && b <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (b == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (b >= 0xF1 && b <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    if (b == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {0, 0, 0};
}

} // namespace

ustring fromUtf8(std::string_view utf8) {
    ustring out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        const Utf8Lead lead = utf8Lead(b0);
        if (lead.length == 1) {
            out.push_back(b0);
            ++i;
            continue;
        }
        // An ill-formed sequence becomes one U+FFFD for its longest well-formed beginning (at
        // least its first byte); decoding goes on after it.
        std::uint32_t cp = lead.length == 0 ? 0 : b0 & (0x7Fu >> lead.length);
        std::size_t taken = 1;
        while (taken < lead.length && i + taken < utf8.size()) {
            const auto b = static_cast<unsigned char>(utf8[i + taken]);
            const unsigned char low = taken == 1 ? lead.low : 0x80;
            const unsigned char high = taken == 1 ? lead.high : 0xBF;
            if (b < low || b > high) {
                break;
            }
            cp = (cp << 6) | (b & 0x3Fu);
            ++taken;
        }
        i += taken;
        if (lead.length == 0 || taken < lead.length) {
            out.push_back(u'\uFFFD');
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string toUtf8(ustring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

char16_t toUpperChar(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<char16_t>(c - 0x20);
    }
    return c;
}

char16_t toLowerChar(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<char16_t>(c + 0x20);
    }
    return c;
}

ustring toUpper(ustring_view text) {
    ustring out(text);
    for (auto& c : out) {
        c = toUpperChar(c);
    }
    return out;
}

ustring toLower(ustring_view text) {
    ustring out(text);
    for (auto& c : out) {
        c = toLowerChar(c);
    }
    return out;
}

bool equalsNoCase(ustring_view a, ustring_view b) {
    return compareNoCase(a, b) == 0;
}

int compareNoCase(ustring_view a, ustring_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t ca = toUpperChar(a[i]);
        const char16_t cb = toUpperChar(b[i]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

ustring hexText(std::uint64_t value, int digits) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    ustring out(static_cast<std::size_t>(digits), u'0');
    for (int i = digits - 1; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
        value >>= 4;
    }
    return out;
}

bool parseHex32(ustring_view text, std::uint32_t& value) {
    if (text.empty()) {
        return false;
    }
    std::uint64_t v = 0;
    for (const char16_t c : text) {
        int d = 0;
        if (c >= u'0' && c <= u'9') {
            d = c - u'0';
        } else if (c >= u'a' && c <= u'f') {
            d = c - u'a' + 10;
        } else if (c >= u'A' && c <= u'F') {
            d = c - u'A' + 10;
        } else {
            return false;
        }
        v = (v << 4) | static_cast<std::uint64_t>(d);
        if (v > 0xFFFFFFFFu) {
            return false;
        }
    }
    value = static_cast<std::uint32_t>(v);
    return true;
}

} // namespace quillon
