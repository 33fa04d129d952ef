// What the fuzz targets share: reading the input, stating a law, and the one error type that
// may leave the code under test.
#pragma once

#include "core/error.h"
#include "core/text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace quillon::fuzz {

// A law of the code under test that does not hold: stop, so libFuzzer keeps the input.
inline void law(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "law broken: %s\n", what);
        std::abort();
    }
}

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input's first `count - 1` lines and the rest as the last piece; pieces the input does
// not reach are empty. Seeds of text targets stay readable this way.
inline std::vector<std::string_view> pieces(std::string_view input, std::size_t count) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < count) {
        const std::size_t end = input.find('\n');
        if (end == std::string_view::npos) {
            break;
        }
        out.push_back(input.substr(0, end));
        input.remove_prefix(end + 1);
    }
    out.push_back(input);
    out.resize(count);
    return out;
}

// Two bytes a UTF-16 unit, little-endian, so that every unit (lone surrogates too) can reach
// the code; an odd last byte is dropped.
inline ustring units(std::string_view bytes) {
    ustring out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return out;
}

// Structured input, one byte at a time; zeros once the input is used up.
class Reader {
public:
    explicit Reader(std::string_view input) : input_(input) {}
    bool more() const { return pos_ < input_.size(); }
    std::uint8_t byte() {
        return more() ? static_cast<std::uint8_t>(input_[pos_++]) : std::uint8_t{0};
    }
    // One of `count` choices.
    std::size_t pick(std::size_t count) { return byte() % count; }
    std::string_view take(std::size_t count) {
        const std::string_view out = input_.substr(pos_, count);
        pos_ += out.size();
        return out;
    }
    std::string_view rest() { return take(input_.size()); }

private:
    std::string_view input_;
    std::size_t pos_ = 0;
};

// Runs `step`: the project's own error is an answer the user sees; anything else leaves the
// target and libFuzzer reports it.
template <class Step> bool answersOrRefuses(Step&& step) {
    try {
        step();
        return true;
    } catch (const QuillonError&) {
        return false;
    }
}

inline bool isLoneSurrogateAt(ustring_view s, std::size_t i) {
    const char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
        return i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) {
        return i == 0 || s[i - 1] < 0xD800 || s[i - 1] > 0xDBFF;
    }
    return false;
}

inline bool hasLoneSurrogate(ustring_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (isLoneSurrogateAt(s, i)) {
            return true;
        }
    }
    return false;
}

} // namespace quillon::fuzz
