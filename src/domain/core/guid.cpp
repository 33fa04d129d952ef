#include "core/guid.h"

namespace quillon {

ustring guidToText(const Guid& g) {
    ustring t = u"{";
    t += hexText(g.data1, 8);
    t += u'-';
    t += hexText(g.data2, 4);
    t += u'-';
    t += hexText(g.data3, 4);
    t += u'-';
    for (std::size_t i = 0; i < 8; ++i) {
        if (i == 2) {
            t += u'-';
        }
        t += hexText(g.data4[i], 2);
    }
    t += u'}';
    return t;
}

std::optional<Guid> parseGuid(ustring_view text) {
    if (text.size() != 38 || text.front() != u'{' || text.back() != u'}' || text[9] != u'-' ||
        text[14] != u'-' || text[19] != u'-' || text[24] != u'-') {
        return std::nullopt;
    }
    auto field = [&](std::size_t pos, std::size_t len, std::uint32_t& v) {
        return parseHex32(text.substr(pos, len), v);
    };
    Guid g;
    std::uint32_t v = 0;
    if (!field(1, 8, v)) {
        return std::nullopt;
    }
    g.data1 = v;
    if (!field(10, 4, v)) {
        return std::nullopt;
    }
    g.data2 = static_cast<std::uint16_t>(v);
    if (!field(15, 4, v)) {
        return std::nullopt;
    }
    g.data3 = static_cast<std::uint16_t>(v);
    static constexpr std::size_t kPos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (std::size_t i = 0; i < 8; ++i) {
        if (!field(kPos[i], 2, v)) {
            return std::nullopt;
        }
        g.data4[i] = static_cast<std::uint8_t>(v);
    }
    return g;
}

} // namespace quillon
