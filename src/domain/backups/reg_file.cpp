#include "backups/reg_file.h"

#include "core/error.h"

#include <algorithm>

namespace quillon::backups {

namespace {

const char16_t* const kHeader = u"Windows Registry Editor Version 5.00";
const char16_t* const kHive = u"HKEY_CURRENT_USER";
// Registry Editor breaks hexadecimal data into lines of about this many characters.
constexpr std::size_t kLineWidth = 76;

// Registry Editor writes hexadecimal digits in lower case.
ustring lowerHex(ustring text) {
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'F') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return text;
}

bool hasLineBreak(ustring_view text) {
    return text.find_first_of(u"\r\n") != ustring_view::npos;
}

ustring quoted(ustring_view text) {
    ustring out = u"\"";
    for (const char16_t c : text) {
        if (c == u'\\' || c == u'"') {
            out.push_back(u'\\');
        }
        out.push_back(c);
    }
    return out + u"\"";
}

ustring hexByte(std::uint8_t b) {
    const char16_t* const digits = u"0123456789abcdef";
    return ustring{digits[b >> 4], digits[b & 15]};
}

// The data as a single terminated string, when it is exactly one without line breaks.
std::optional<ustring> plainText(const platform::RegValue& value) {
    if (value.type != platform::kRegSz || value.data.size() < 2 || value.data.size() % 2 != 0) {
        return std::nullopt;
    }
    ustring text;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
        text.push_back(static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8)));
    }
    if (text.back() != u'\0') {
        return std::nullopt;
    }
    text.pop_back();
    if (text.find(u'\0') != ustring::npos || hasLineBreak(text)) {
        return std::nullopt;
    }
    return text;
}

ustring valueLine(const ustring& name, const std::optional<platform::RegValue>& value) {
    if (hasLineBreak(name)) {
        throw QuillonError(u"注册表值的名称含有换行符，无法写入备份文件：" + quoted(name));
    }
    ustring line = (name.empty() ? ustring(u"@") : quoted(name)) + u"=";
    if (!value) {
        return line + u"-";
    }
    if (const auto text = plainText(*value)) {
        return line + quoted(*text);
    }
    if (value->type == platform::kRegDword && value->data.size() == 4) {
        const std::uint32_t n = static_cast<std::uint32_t>(value->data[0]) |
                                (static_cast<std::uint32_t>(value->data[1]) << 8) |
                                (static_cast<std::uint32_t>(value->data[2]) << 16) |
                                (static_cast<std::uint32_t>(value->data[3]) << 24);
        return line + u"dword:" + lowerHex(hexText(n, 8));
    }
    if (value->type == platform::kRegBinary) {
        line += u"hex:";
    } else {
        ustring type = lowerHex(hexText(value->type, 8));
        type.erase(0, std::min(type.find_first_not_of(u'0'), type.size() - 1));
        line += u"hex(" + type + u"):";
    }
    std::size_t width = line.size();
    for (std::size_t i = 0; i < value->data.size(); ++i) {
        const bool last = i + 1 == value->data.size();
        line += hexByte(value->data[i]) + (last ? u"" : u",");
        width += last ? 2 : 3;
        if (!last && width >= kLineWidth) {
            line += u"\\\r\n  ";
            width = 2;
        }
    }
    return line;
}

void appendUtf16(std::string& out, ustring_view text) {
    for (const char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
}

// ---- reading ----

struct Line {
    std::size_t number; // of its first physical line, from 1
    ustring text;
};

ustring lineProblem(std::size_t number, const ustring& why) {
    return u"第 " + fromUtf8(std::to_string(number)) + u" 行" + why;
}

bool isHex(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

int hexValue(char16_t c) {
    if (c <= u'9') {
        return c - u'0';
    }
    return (c | 0x20) - u'a' + 10;
}

// A quoted text starting at text[pos]; pos ends after the closing quote.
std::optional<ustring> readQuoted(ustring_view text, std::size_t& pos) {
    if (pos >= text.size() || text[pos] != u'"') {
        return std::nullopt;
    }
    ustring out;
    for (++pos; pos < text.size(); ++pos) {
        const char16_t c = text[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\') {
            if (++pos >= text.size() || (text[pos] != u'\\' && text[pos] != u'"')) {
                return std::nullopt;
            }
        }
        out.push_back(text[pos]);
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> readHexBytes(ustring_view text) {
    std::vector<std::uint8_t> bytes;
    if (text.empty()) {
        return bytes;
    }
    for (std::size_t pos = 0;; pos += 3) {
        if (pos + 2 > text.size() || !isHex(text[pos]) || !isHex(text[pos + 1])) {
            return std::nullopt;
        }
        bytes.push_back(
            static_cast<std::uint8_t>(hexValue(text[pos]) * 16 + hexValue(text[pos + 1])));
        if (pos + 2 == text.size()) {
            return bytes;
        }
        if (text[pos + 2] != u',') {
            return std::nullopt;
        }
    }
}

std::optional<platform::RegValue> readData(ustring_view data) {
    if (!data.empty() && data.front() == u'"') {
        std::size_t pos = 0;
        const auto text = readQuoted(data, pos);
        if (!text || pos != data.size()) {
            return std::nullopt;
        }
        platform::RegValue value{platform::kRegSz, {}};
        for (const char16_t c : *text) {
            value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
            value.data.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        value.data.push_back(0);
        value.data.push_back(0);
        return value;
    }
    if (data.substr(0, 6) == u"dword:") {
        const ustring_view digits = data.substr(6);
        std::uint32_t n = 0;
        if (digits.size() != 8 || !std::all_of(digits.begin(), digits.end(), isHex)) {
            return std::nullopt;
        }
        for (const char16_t c : digits) {
            n = n * 16 + static_cast<std::uint32_t>(hexValue(c));
        }
        return platform::RegValue{platform::kRegDword,
                                  {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                   static_cast<std::uint8_t>(n >> 16),
                                   static_cast<std::uint8_t>(n >> 24)}};
    }
    std::uint32_t type = platform::kRegBinary;
    std::size_t bytesAt = 0;
    if (data.substr(0, 4) == u"hex:") {
        bytesAt = 4;
    } else if (data.substr(0, 4) == u"hex(") {
        const std::size_t close = data.find(u"):");
        if (close == ustring_view::npos || close == 4 || close > 12) {
            return std::nullopt;
        }
        type = 0;
        for (const char16_t c : data.substr(4, close - 4)) {
            if (!isHex(c)) {
                return std::nullopt;
            }
            type = type * 16 + static_cast<std::uint32_t>(hexValue(c));
        }
        bytesAt = close + 2;
    } else {
        return std::nullopt;
    }
    auto bytes = readHexBytes(data.substr(bytesAt));
    if (!bytes) {
        return std::nullopt;
    }
    return platform::RegValue{type, std::move(*bytes)};
}

// "[HKEY_CURRENT_USER\path]" or "[-…]"; the problem when it is not one.
std::optional<ustring> readSection(const Line& line, RegBlock& block) {
    ustring_view inner = ustring_view(line.text).substr(1, line.text.size() - 2);
    block.deleted = !inner.empty() && inner.front() == u'-';
    if (block.deleted) {
        inner.remove_prefix(1);
    }
    const std::size_t hive = std::char_traits<char16_t>::length(kHive);
    if (inner.size() < hive || !equalsNoCase(inner.substr(0, hive), kHive) ||
        (inner.size() > hive && inner[hive] != u'\\')) {
        return lineProblem(line.number, u"不是 HKEY_CURRENT_USER 下的注册表项。");
    }
    block.path = ustring(inner.substr(std::min(inner.size(), hive + 1)));
    if (inner.size() > hive &&
        (block.path.empty() || block.path.front() == u'\\' || block.path.back() == u'\\' ||
         block.path.find(u"\\\\") != ustring::npos)) {
        return lineProblem(line.number, u"的注册表项路径有空的部分。");
    }
    return std::nullopt;
}

} // namespace

std::string writeRegFile(const RegFile& file) {
    ustring text = ustring(kHeader) + u"\r\n\r\n";
    if (!file.note.empty()) {
        ustring note = file.note;
        std::replace_if(
            note.begin(), note.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
        text += u"; " + note + u"\r\n\r\n";
    }
    for (const RegBlock& block : file.blocks) {
        if (hasLineBreak(block.path)) {
            throw QuillonError(u"注册表项的名称含有换行符，无法写入备份文件：" + block.path);
        }
        text += u"[" + ustring(block.deleted ? u"-" : u"") + kHive +
                (block.path.empty() ? ustring() : u"\\" + block.path) + u"]\r\n";
        for (const auto& [name, value] : block.values) {
            text += valueLine(name, value) + u"\r\n";
        }
        text += u"\r\n";
    }
    std::string bytes = "\xFF\xFE";
    appendUtf16(bytes, text);
    return bytes;
}

RegFileRead readRegFile(std::string_view bytes) {
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE) {
        return {std::nullopt, u"不是 UTF-16 LE 编码的注册表文件。"};
    }
    ustring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    // Physical lines, then value lines joined across their "\" continuations.
    std::vector<Line> lines;
    std::size_t number = 0;
    bool continues = false;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(u'\n', start);
        end = end == ustring::npos ? text.size() : end;
        ustring physical = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!physical.empty() && physical.back() == u'\r') {
            physical.pop_back();
        }
        if (continues) {
            const std::size_t first = physical.find_first_not_of(u' ');
            lines.back().text += first == ustring::npos ? ustring() : physical.substr(first);
        } else {
            lines.push_back(Line{number, std::move(physical)});
        }
        const ustring& joined = lines.back().text;
        continues = !joined.empty() && (joined.front() == u'"' || joined.front() == u'@') &&
                    joined.back() == u'\\';
        if (continues) {
            lines.back().text.pop_back();
        }
        if (end == text.size()) {
            break;
        }
    }
    if (continues) {
        return {std::nullopt, lineProblem(lines.back().number, u"的数据在文件末尾中断。")};
    }
    if (lines.empty() || lines.front().text != kHeader) {
        return {std::nullopt, u"第一行不是“" + ustring(kHeader) + u"”。"};
    }

    RegFile file;
    bool noteRead = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.text.empty()) {
            continue;
        }
        if (line.text.front() == u';') {
            if (!noteRead) {
                noteRead = true;
                const std::size_t first = line.text.find_first_not_of(u' ', 1);
                file.note = first == ustring::npos ? ustring() : line.text.substr(first);
            }
            continue;
        }
        if (line.text.front() == u'[' && line.text.back() == u']' && line.text.size() >= 2) {
            RegBlock block;
            if (const auto problem = readSection(line, block)) {
                return {std::nullopt, *problem};
            }
            file.blocks.push_back(std::move(block));
            continue;
        }
        if (line.text.front() != u'"' && line.text.front() != u'@') {
            return {std::nullopt, lineProblem(line.number, u"无法识别。")};
        }
        if (file.blocks.empty() || file.blocks.back().deleted) {
            return {std::nullopt, lineProblem(line.number, u"的值不属于任何注册表项。")};
        }
        std::size_t pos = 0;
        ustring name;
        if (line.text.front() == u'@') {
            pos = 1;
        } else if (auto quotedName = readQuoted(line.text, pos)) {
            name = std::move(*quotedName);
        } else {
            return {std::nullopt, lineProblem(line.number, u"的值名称无法识别。")};
        }
        if (pos >= line.text.size() || line.text[pos] != u'=') {
            return {std::nullopt, lineProblem(line.number, u"缺少“=”。")};
        }
        const ustring_view data = ustring_view(line.text).substr(pos + 1);
        auto& values = file.blocks.back().values;
        const bool repeated = std::any_of(values.begin(), values.end(), [&](const auto& v) {
            return equalsNoCase(v.first, name);
        });
        if (repeated) {
            return {std::nullopt, lineProblem(line.number, u"的值名称重复。")};
        }
        if (data == u"-") {
            values.emplace_back(std::move(name), std::nullopt);
            continue;
        }
        auto value = readData(data);
        if (!value) {
            return {std::nullopt, lineProblem(line.number, u"的数据无法识别。")};
        }
        values.emplace_back(std::move(name), std::move(value));
    }
    return {std::move(file), {}};
}

} // namespace quillon::backups
