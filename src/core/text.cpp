#include "core/text.h"

namespace quillon {

ustring u(std::string_view utf8) {
    return fromUtf8(utf8);
}

ustring fromUtf8(std::string_view utf8) {
    ustring out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        std::uint32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (b0 < 0x80) {
            cp = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            len = 2;
        } else if ((b0 & 0xF0) == 0xE0) {
            len = 3;
        } else if ((b0 & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            if (i + len > utf8.size()) {
                len = 1;
            } else {
                cp = b0 & (0x7F >> len);
                for (std::size_t k = 1; k < len; ++k) {
                    const auto b = static_cast<unsigned char>(utf8[i + k]);
                    if ((b & 0xC0) != 0x80) {
                        cp = 0xFFFD;
                        len = k;
                        break;
                    }
                    cp = (cp << 6) | (b & 0x3F);
                }
            }
        }
        i += len;
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else if (cp > 0x10FFFF) {
            out.push_back(u'\uFFFD');
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
