#include "platform/substitute/reg_text.h"

#include "core/error.h"

#include <algorithm>
#include <optional>

namespace quillon::platform {

namespace {

ustring decodeFile(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        ustring text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        }
        return text;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    return fromUtf8(bytes);
}

QuillonError badLine(std::size_t line, std::string_view why) {
    return QuillonError(u"注册表文件第 " + fromUtf8(std::to_string(line)) + u" 行无法识别：" +
                        fromUtf8(why));
}

bool parseHive(ustring_view name, Hive& hive) {
    if (equalsNoCase(name, u"HKEY_CURRENT_USER") || equalsNoCase(name, u"HKCU")) {
        hive = Hive::CurrentUser;
        return true;
    }
    if (equalsNoCase(name, u"HKEY_LOCAL_MACHINE") || equalsNoCase(name, u"HKLM")) {
        hive = Hive::LocalMachine;
        return true;
    }
    return false;
}

// Reads a quoted string starting at text[pos] == '"'; leaves pos after the closing quote.
bool readQuoted(ustring_view text, std::size_t& pos, ustring& out) {
    if (pos >= text.size() || text[pos] != u'"') {
        return false;
    }
    ++pos;
    while (pos < text.size()) {
        const char16_t c = text[pos++];
        if (c == u'"') {
            return true;
        }
        if (c == u'\\' && pos < text.size()) {
            const char16_t e = text[pos++];
            switch (e) {
            case u'n':
                out.push_back(u'\n');
                break;
            case u'r':
                out.push_back(u'\r');
                break;
            case u'0':
                out.push_back(u'\0');
                break;
            default:
                out.push_back(e);
                break;
            }
        } else {
            out.push_back(c);
        }
    }
    return false;
}

std::vector<std::uint8_t> stringBytes(ustring_view s, bool terminate) {
    std::vector<std::uint8_t> data;
    for (const char16_t c : s) {
        data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    if (terminate) {
        data.push_back(0);
        data.push_back(0);
    }
    return data;
}

bool parseHexBytes(ustring_view text, std::vector<std::uint8_t>& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u',')) {
            ++i;
        }
        if (i >= text.size()) {
            break;
        }
        std::size_t j = i;
        while (j < text.size() && text[j] != u',' && text[j] != u' ' && text[j] != u'\t') {
            ++j;
        }
        std::uint32_t b = 0;
        if (j - i > 2 || !parseHex32(text.substr(i, j - i), b)) {
            return false;
        }
        out.push_back(static_cast<std::uint8_t>(b));
        i = j;
    }
    return true;
}

ustring trim(ustring_view s) {
    std::size_t a = 0;
    std::size_t b = s.size();
    while (a < b && (s[a] == u' ' || s[a] == u'\t')) {
        ++a;
    }
    while (b > a && (s[b - 1] == u' ' || s[b - 1] == u'\t')) {
        --b;
    }
    return ustring(s.substr(a, b - a));
}

} // namespace

void loadRegText(MemoryRegistry& registry, std::string_view fileBytes) {
    const ustring text = decodeFile(fileBytes);
    // Join continuation lines ("\" at the end) and keep the number of each logical line.
    std::vector<std::pair<std::size_t, ustring>> lines;
    {
        std::size_t lineNo = 0;
        ustring pending;
        std::size_t pendingLine = 0;
        std::size_t i = 0;
        while (i <= text.size()) {
            std::size_t end = text.find_first_of(u"\r\n", i);
            if (end == ustring::npos) {
                end = text.size();
            }
            ustring line = trim(ustring_view(text).substr(i, end - i));
            ++lineNo;
            if (pending.empty()) {
                pendingLine = lineNo;
            }
            // Only hex lists wrap: strings end in a quote, key lines in "]".
            const bool continued = !line.empty() && line.back() == u'\\';
            if (continued) {
                line.pop_back();
                pending += line;
            } else {
                pending += line;
                lines.emplace_back(pendingLine, pending);
                pending.clear();
            }
            if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
                text[end + 1] == u'\n') {
                ++end;
            }
            i = end + 1;
        }
    }

    bool headerSeen = false;
    bool haveKey = false;
    Hive hive = Hive::CurrentUser;
    ustring keyPath;
    for (const auto& [lineNo, line] : lines) {
        if (line.empty() || line[0] == u';' || line[0] == u'#') {
            continue;
        }
        if (!headerSeen) {
            if (line != u"Windows Registry Editor Version 5.00") {
                throw badLine(lineNo, "expected \"Windows Registry Editor Version 5.00\"");
            }
            headerSeen = true;
            continue;
        }
        if (line[0] == u'[') {
            if (line.back() != u']') {
                throw badLine(lineNo, "key line without ]");
            }
            ustring inner = line.substr(1, line.size() - 2);
            const bool remove = !inner.empty() && inner[0] == u'-';
            if (remove) {
                inner.erase(0, 1);
            }
            const std::size_t slash = inner.find(u'\\');
            const ustring hiveName = inner.substr(0, slash);
            if (!parseHive(hiveName, hive)) {
                throw badLine(lineNo, "unknown hive");
            }
            keyPath = slash == ustring::npos ? ustring() : normalizeKeyPath(inner.substr(slash));
            if (remove) {
                registry.removeKey(hive, keyPath);
                haveKey = false;
            } else {
                registry.createKey(hive, keyPath);
                haveKey = true;
            }
            continue;
        }
        if (!haveKey) {
            throw badLine(lineNo, "value outside a key");
        }
        std::size_t pos = 0;
        ustring name;
        if (line[0] == u'@') {
            pos = 1;
        } else if (!readQuoted(line, pos, name)) {
            throw badLine(lineNo, "bad value name");
        }
        while (pos < line.size() && line[pos] == u' ') {
            ++pos;
        }
        if (pos >= line.size() || line[pos] != u'=') {
            throw badLine(lineNo, "expected =");
        }
        const ustring data = trim(ustring_view(line).substr(pos + 1));
        RegValue value;
        if (data == u"-") {
            registry.removeValue(hive, keyPath, name);
            continue;
        }
        if (!data.empty() && data[0] == u'"') {
            std::size_t p = 0;
            ustring s;
            if (!readQuoted(data, p, s) || p != data.size()) {
                throw badLine(lineNo, "bad string");
            }
            value = RegValue{kRegSz, stringBytes(s, true)};
        } else if (data.rfind(u"dword:", 0) == 0) {
            std::uint32_t v = 0;
            if (data.size() != 14 || !parseHex32(ustring_view(data).substr(6), v)) {
                throw badLine(lineNo, "bad dword");
            }
            value =
                RegValue{kRegDword,
                         {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
        } else if (data.rfind(u"hex", 0) == 0 || data.rfind(u"str(", 0) == 0) {
            const bool str = data[0] == u's';
            std::uint32_t type = kRegBinary;
            std::size_t colon = data.find(u':');
            if (colon == ustring::npos) {
                throw badLine(lineNo, "bad typed value");
            }
            const ustring prefix = data.substr(0, colon);
            if (prefix != u"hex") {
                const std::size_t open = prefix.find(u'(');
                if (open == ustring::npos || prefix.back() != u')' ||
                    !parseHex32(ustring_view(prefix).substr(open + 1, prefix.size() - open - 2),
                                type)) {
                    throw badLine(lineNo, "bad type");
                }
            }
            const ustring rest = data.substr(colon + 1);
            if (str) {
                std::size_t p = 0;
                ustring s;
                if (!readQuoted(rest, p, s)) {
                    throw badLine(lineNo, "bad string");
                }
                value = RegValue{type, stringBytes(s, true)};
            } else {
                value.type = type;
                if (!parseHexBytes(rest, value.data)) {
                    throw badLine(lineNo, "bad hex bytes");
                }
            }
        } else {
            throw badLine(lineNo, "unknown value form");
        }
        registry.put(hive, keyPath, name, value);
    }
    if (!headerSeen) {
        throw badLine(1, "empty file");
    }
}

namespace {

bool isLoneSurrogateAt(ustring_view s, std::size_t i) {
    const char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
        return i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) {
        return i == 0 || s[i - 1] < 0xD800 || s[i - 1] > 0xDBFF;
    }
    return false;
}

// UTF-8 has no form for a lone surrogate: such text would load back as U+FFFD.
bool hasLoneSurrogate(ustring_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (isLoneSurrogateAt(s, i)) {
            return true;
        }
    }
    return false;
}

QuillonError cannotSave(ustring_view what) {
    return QuillonError(u"无法以 UTF-8 注册表文件保存名称“" + ustring(what) + u"”。");
}

// A value name in quotes. Line breaks and NUL are escaped as the loader (and Wine's regedit)
// read them; the escaped text is converted as a whole so that surrogate pairs stay pairs.
std::string quoteName(ustring_view name) {
    if (hasLoneSurrogate(name)) {
        throw cannotSave(name);
    }
    ustring escaped = u"\"";
    for (const char16_t c : name) {
        switch (c) {
        case u'"':
        case u'\\':
            escaped += u'\\';
            escaped += c;
            break;
        case u'\r':
            escaped += u"\\r";
            break;
        case u'\n':
            escaped += u"\\n";
            break;
        case u'\0':
            escaped += u"\\0";
            break;
        default:
            escaped += c;
            break;
        }
    }
    escaped += u'"';
    return toUtf8(escaped);
}

// Regedit's quoted string knows only \\ and \" as escapes, so a REG_SZ is written quoted only
// when that form gives back its exact bytes: one terminating NUL, no other NUL, no line
// break, no lone surrogate. Everything else is written as hex(1): bytes.
std::optional<ustring> quotableString(const RegValue& value) {
    if (value.type != kRegSz || value.data.size() < 2 || value.data.size() % 2 != 0) {
        return std::nullopt;
    }
    ustring s;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
        s.push_back(static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8)));
    }
    if (s.back() != 0) {
        return std::nullopt;
    }
    s.pop_back();
    if (s.find_first_of(ustring_view(u"\0\r\n", 3)) != ustring::npos || hasLoneSurrogate(s)) {
        return std::nullopt;
    }
    return s;
}

std::string quoteData(ustring_view s) {
    ustring escaped = u"\"";
    for (const char16_t c : s) {
        if (c == u'"' || c == u'\\') {
            escaped += u'\\';
        }
        escaped += c;
    }
    escaped += u'"';
    return toUtf8(escaped);
}

std::string hexList(const std::vector<std::uint8_t>& data) {
    static const char* const kHex = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i) {
            out.push_back(',');
        }
        out.push_back(kHex[data[i] >> 4]);
        out.push_back(kHex[data[i] & 15]);
    }
    return out;
}

// The type in hex(...) as regedit writes it: lower case, without leading zeros.
std::string typeText(std::uint32_t type) {
    std::string digits = toUtf8(toLower(hexText(type, 8)));
    const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    return digits.substr(first);
}

void saveKey(RegistryBackend& registry, Hive hive, const ustring& path, std::string& out) {
    // A key line cannot hold a line break, and UTF-8 has no lone surrogates.
    if (path.find_first_of(ustring_view(u"\r\n", 2)) != ustring::npos || hasLoneSurrogate(path)) {
        throw cannotSave(path);
    }
    out += "\r\n[";
    out += hive == Hive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
    if (!path.empty()) {
        out += "\\" + toUtf8(path);
    }
    out += "]\r\n";
    for (const auto& name : registry.valueNames(hive, path)) {
        const auto value = registry.queryValue(hive, path, name);
        if (!value) {
            continue;
        }
        out += name.empty() ? std::string("@") : quoteName(name);
        out += '=';
        if (const auto s = quotableString(*value)) {
            out += quoteData(*s);
        } else if (value->type == kRegDword && value->data.size() == 4) {
            const std::uint32_t v = static_cast<std::uint32_t>(value->data[0]) |
                                    (static_cast<std::uint32_t>(value->data[1]) << 8) |
                                    (static_cast<std::uint32_t>(value->data[2]) << 16) |
                                    (static_cast<std::uint32_t>(value->data[3]) << 24);
            out += "dword:" + toUtf8(toLower(hexText(v, 8)));
        } else if (value->type == kRegBinary) {
            out += "hex:" + hexList(value->data);
        } else {
            out += "hex(" + typeText(value->type) + "):" + hexList(value->data);
        }
        out += "\r\n";
    }
    for (const auto& child : registry.subKeyNames(hive, path)) {
        saveKey(registry, hive, joinKeyPath(path, child), out);
    }
}

} // namespace

std::string saveRegText(RegistryBackend& registry, Hive hive, ustring_view path) {
    std::string out = "Windows Registry Editor Version 5.00\r\n";
    const ustring start = normalizeKeyPath(path);
    if (registry.keyExists(hive, start)) {
        saveKey(registry, hive, start, out);
    }
    return out;
}

} // namespace quillon::platform
