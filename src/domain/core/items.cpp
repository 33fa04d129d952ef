#include "core/items.h"

namespace quillon {

namespace {

bool isBlank(char16_t c) {
    return c <= u' ';
}

// The quoted item starting at text[i] (a double quote); `i` ends after the closing quote.
ustring quotedItem(ustring_view text, std::size_t& i) {
    ustring item;
    ++i;
    while (i < text.size()) {
        if (text[i] == u'"') {
            if (i + 1 < text.size() && text[i + 1] == u'"') {
                item.push_back(u'"');
                i += 2;
                continue;
            }
            ++i;
            return item;
        }
        item.push_back(text[i++]);
    }
    return item;
}

} // namespace

StringList splitLoose(ustring_view text) {
    StringList items;
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    while (i < text.size()) {
        if (text[i] == u'"') {
            items.push_back(quotedItem(text, i));
        } else {
            const std::size_t start = i;
            while (i < text.size() && !isBlank(text[i])) {
                ++i;
            }
            items.emplace_back(text.substr(start, i - start));
        }
        while (i < text.size() && isBlank(text[i])) {
            ++i;
        }
    }
    return items;
}

StringList splitStrict(ustring_view text, char16_t separator) {
    StringList items;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u'"') {
            items.push_back(quotedItem(text, i));
        } else {
            const std::size_t start = i;
            while (i < text.size() && text[i] != separator) {
                ++i;
            }
            items.emplace_back(text.substr(start, i - start));
        }
        if (i < text.size() && text[i] == separator) {
            ++i;
            if (i == text.size()) {
                items.emplace_back();
            }
        }
    }
    return items;
}

} // namespace quillon
