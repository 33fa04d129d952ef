#include "files/ini_document.h"

#include <algorithm>

namespace quillon {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One line's bytes as UTF-16; false when they are not well-formed UTF-8 (overlong forms,
// surrogates and values above U+10FFFF included).
bool decodeUtf8(std::string_view bytes, ustring& out) {
    out.clear();
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (b0 < 0x80) {
            out.push_back(b0);
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t cp = 0;
        unsigned char low = 0x80; // the allowed range of the second byte
        unsigned char high = 0xBF;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2;
            cp = b0 & 0x1Fu;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            length = 3;
            cp = b0 & 0x0Fu;
            low = b0 == 0xE0 ? 0xA0 : 0x80;
            high = b0 == 0xED ? 0x9F : 0xBF;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            length = 4;
            cp = b0 & 0x07u;
            low = b0 == 0xF0 ? 0x90 : 0x80;
            high = b0 == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            const unsigned char from = k == 1 ? low : 0x80;
            const unsigned char to = k == 1 ? high : 0xBF;
            if (b < from || b > to) {
                return false;
            }
            cp = (cp << 6) | (b & 0x3Fu);
        }
        i += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return true;
}

ustring_view trimmed(ustring_view text) {
    std::size_t from = 0;
    std::size_t to = text.size();
    while (from < to && text[from] <= u' ') {
        ++from;
    }
    while (to > from && text[to - 1] <= u' ') {
        --to;
    }
    return text.substr(from, to - from);
}

void appendLine(std::string& out, ustring_view text) {
    out += toUtf8(text);
    out += "\r\n";
}

} // namespace

const IniSection* IniDocument::section(ustring_view name) const {
    const auto it = byName_.find(toUpper(name));
    return it == byName_.end() ? nullptr : &sections_[it->second];
}

const IniEntry* IniDocument::entry(ustring_view sectionName, ustring_view key) const {
    const IniSection* s = section(sectionName);
    if (!s) {
        return nullptr;
    }
    const auto it = std::find_if(s->entries.begin(), s->entries.end(),
                                 [&](const IniEntry& e) { return equalsNoCase(e.key, key); });
    return it == s->entries.end() ? nullptr : &*it;
}

IniSection& IniDocument::sectionFor(ustring_view name, int line) {
    // Found by name in one look-up, not a walk over every section read so far: a file of many
    // sections is read in linear time.
    const auto [it, added] = byName_.emplace(toUpper(name), sections_.size());
    if (!added) {
        return sections_[it->second];
    }
    sections_.push_back(IniSection{ustring(name), {}, line});
    return sections_.back();
}

void IniDocument::write(ustring_view sectionName, ustring_view key, ustring_view value) {
    IniSection& s = sectionFor(sectionName, 0);
    const auto it = std::find_if(s.entries.begin(), s.entries.end(),
                                 [&](const IniEntry& e) { return equalsNoCase(e.key, key); });
    if (it != s.entries.end()) {
        it->value = ustring(value);
    } else {
        s.entries.push_back(IniEntry{ustring(key), ustring(value), 0});
    }
}

std::string IniDocument::bytes() const {
    std::string out(kByteOrderMark);
    for (const IniSection& s : sections_) {
        appendLine(out, u"[" + s.name + u"]");
        for (const IniEntry& e : s.entries) {
            appendLine(out, e.key + u"=" + e.value);
        }
        out += "\r\n";
    }
    return out;
}

struct IniReader {
    static IniRead read(std::string_view bytes) {
        IniRead result;
        if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
            bytes.remove_prefix(kByteOrderMark.size());
        }
        IniSection* current = nullptr;
        ustring text;
        int line = 0;
        std::size_t i = 0;
        while (i < bytes.size()) {
            const std::size_t end = std::min(bytes.find_first_of("\r\n", i), bytes.size());
            const std::string_view raw = bytes.substr(i, end - i);
            i = end;
            if (i < bytes.size()) {
                i += bytes.compare(i, 2, "\r\n") == 0 ? 2 : 1;
            }
            ++line;
            if (!decodeUtf8(raw, text)) {
                return IniRead{IniDocument{}, line};
            }
            const ustring_view l = trimmed(text);
            if (l.empty() || l.front() == u';') {
                continue;
            }
            if (l.size() >= 2 && l.front() == u'[' && l.back() == u']') {
                current = &result.document.sectionFor(trimmed(l.substr(1, l.size() - 2)), line);
                continue;
            }
            if (!current) {
                continue;
            }
            const std::size_t equals = l.find(u'=');
            if (equals == ustring_view::npos) {
                current->entries.push_back(IniEntry{ustring(l), {}, line});
            } else {
                current->entries.push_back(IniEntry{ustring(trimmed(l.substr(0, equals))),
                                                    ustring(trimmed(l.substr(equals + 1))), line});
            }
        }
        return result;
    }
};

IniRead readIni(std::string_view bytes) {
    return IniReader::read(bytes);
}

} // namespace quillon
