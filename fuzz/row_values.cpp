// What the operations read out of a list row: the layout handle, the language id, the GUIDs
// and the input-method tips; above all, only canonical fields reach PowerShell's command
// line. Input: seven lines as UTF-8, the six fields and the shown language id in hex.
#include "operations/row_values.h"
#include "fuzz_support.h"

using namespace quillon;
using quillon::fuzz::law;

namespace {

bool isHex(ustring_view text) {
    std::uint32_t ignored = 0;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        if (!parseHex32(text.substr(i, 4), ignored)) {
            return false;
        }
    }
    return !text.empty();
}

// Four hex digits, ":", then two braced GUIDs or eight hex digits; nothing else.
bool isCanonicalTip(ustring_view tip) {
    if (tip.size() < 5 || !isHex(tip.substr(0, 4)) || tip[4] != u':') {
        return false;
    }
    const ustring_view rest = tip.substr(5);
    if (rest.size() == 8) {
        return isHex(rest);
    }
    return rest.size() == 76 && parseGuid(rest.substr(0, 38)) && parseGuid(rest.substr(38));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto input = fuzz::pieces(fuzz::bytesOf(data, size), 7);
    InputMethodEntry row;
    row.name = u"row";
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
        row.fields[i] = fromUtf8(input[i]);
    }
    std::uint32_t shown = 0x0804;
    parseHex32(fromUtf8(input[6]), shown);

    fuzz::answersOrRefuses([&] {
        std::uint32_t expected = 0;
        const bool parses = parseHex32(row.fields[kFieldHkl], expected);
        const std::uint32_t hkl = hklValue(row);
        law(parses && hkl == expected, "the handle is field 4 in hex");
        law(static_cast<std::uint32_t>(layoutHandle(hkl)) == hkl, "widening keeps the low half");
    });
    fuzz::answersOrRefuses([&] { langidValue(row); });
    fuzz::answersOrRefuses([&] { guidField(row, kFieldClsid); });
    fuzz::answersOrRefuses([&] { guidField(row, kFieldProfile); });

    const ustring tip = inputMethodTip(row);
    law(tip.rfind(row.fields[kFieldLangid] + u":", 0) == 0, "a tip starts with the language");

    fuzz::answersOrRefuses([&] {
        const ustring defaultTip = defaultInputMethodTip(row, static_cast<std::int32_t>(shown));
        law(isCanonicalTip(defaultTip), "only canonical fields reach the command line");
    });
    return 0;
}
