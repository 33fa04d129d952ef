// Text conversions of the core: UTF-8 to UTF-16 and back, hexadecimal text to numbers and
// back. Input: any bytes, read as UTF-8, as UTF-16LE units and as hexadecimal text.
#include "fuzz_support.h"

using namespace quillon;
using quillon::fuzz::law;

namespace {

// Length of the well-formed UTF-8 sequence at s[i] (shortest form, no surrogates, at most
// U+10FFFF); 0 when there is none.
std::size_t wellFormedAt(std::string_view s, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char b0 = at(0);
    if (b0 < 0x80) {
        return 1;
    }
    std::size_t len = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        lo = b0 == 0xE0 ? 0xA0 : 0x80;
        hi = b0 == 0xED ? 0x9F : 0xBF;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        lo = b0 == 0xF0 ? 0x90 : 0x80;
        hi = b0 == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + len > s.size() || at(1) < lo || at(1) > hi) {
        return 0;
    }
    for (std::size_t k = 2; k < len; ++k) {
        if (at(k) < 0x80 || at(k) > 0xBF) {
            return 0;
        }
    }
    return len;
}

bool wellFormed(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = wellFormedAt(s, i);
        if (len == 0) {
            return false;
        }
        i += len;
    }
    return true;
}

ustring withLoneSurrogatesReplaced(ustring_view s) {
    ustring out(s);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (fuzz::isLoneSurrogateAt(s, i)) {
            out[i] = u'\uFFFD';
        }
    }
    return out;
}

bool isHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);

    // UTF-16 to UTF-8 and back: valid text round-trips, a lone surrogate becomes U+FFFD.
    const ustring units = fuzz::units(bytes);
    law(fromUtf8(toUtf8(units)) == withLoneSurrogatesReplaced(units),
        "UTF-16 round-trips through UTF-8");

    // UTF-8 to UTF-16: well-formed text comes back byte for byte; ill-formed text never
    // decodes silently into other characters.
    const ustring decoded = fromUtf8(bytes);
    if (wellFormed(bytes)) {
        law(toUtf8(decoded) == bytes, "well-formed UTF-8 round-trips through UTF-16");
    } else {
        law(decoded.find(u'\uFFFD') != ustring::npos && !fuzz::hasLoneSurrogate(decoded),
            "ill-formed UTF-8 decodes with U+FFFD and never to a lone surrogate");
    }

    // Hexadecimal text: parsed exactly when it is non-empty hex digits worth 32 bits at most.
    const ustring hex = fromUtf8(bytes.substr(0, 24));
    std::uint32_t value = 0xDEADBEEF;
    const bool parsed = parseHex32(hex, value);
    bool allDigits = !hex.empty();
    std::size_t significant = 0;
    for (const char16_t c : hex) {
        allDigits = allDigits && isHexDigit(c);
        if (significant > 0 || c != u'0') {
            ++significant;
        }
    }
    law(parsed == (allDigits && significant <= 8), "hex text parses when it fits 32 bits");
    if (parsed) {
        law(hexText(value, static_cast<int>(hex.size())) == toUpper(hex),
            "the number prints back as its text");
    }
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4 && i < size; ++i) {
        number |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    }
    std::uint32_t back = 0;
    law(parseHex32(hexText(number, 8), back) && back == number, "eight digits parse back");
    return 0;
}
