// GUID texts: only the braced 38-character form parses, and it prints back as itself.
// Input: the text as UTF-8; its first 16 bytes also make a GUID to print and parse back.
#include "core/guid.h"
#include "fuzz_support.h"

#include <cstring>

using namespace quillon;
using quillon::fuzz::law;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ustring text = fromUtf8(fuzz::bytesOf(data, size));
    if (const auto guid = parseGuid(text)) {
        law(text.size() == 38, "a GUID text has 38 characters");
        law(toUpper(text) == guidToText(*guid), "a parsed GUID prints back as its text");
    }

    Guid made;
    std::uint8_t raw[16] = {};
    if (size > 0) {
        std::memcpy(raw, data, size < 16 ? size : 16);
    }
    made.data1 = static_cast<std::uint32_t>(raw[0] | (raw[1] << 8) | (raw[2] << 16)) |
                 (static_cast<std::uint32_t>(raw[3]) << 24);
    made.data2 = static_cast<std::uint16_t>(raw[4] | (raw[5] << 8));
    made.data3 = static_cast<std::uint16_t>(raw[6] | (raw[7] << 8));
    std::memcpy(made.data4.data(), raw + 8, 8);
    const ustring printed = guidToText(made);
    law(parseGuid(printed) == made, "a printed GUID parses back");
    law(parseGuid(toLower(printed)) == made, "letter case does not matter");
    return 0;
}
