#include "core/guid.h"
#include "core/text.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(Text, Utf8RoundTripKeepsChineseAndSurrogates) {
    const std::string source = "输入法 \xF0\x9F\x98\x80 ok";
    const ustring text = fromUtf8(source);
    EXPECT_EQ(text.size(), 9u); // 3 + blank + surrogate pair + blank + 2
    EXPECT_EQ(toUtf8(text), source);
}

// What is not well-formed UTF-8 never decodes to a character: an overlong form would smuggle
// "/" or a line break past a check, an encoded surrogate would make a lone half. Each ill-formed
// sequence gives one U+FFFD for its longest well-formed beginning.
TEST(Text, Utf8DecoderRefusesIllFormedSequences) {
    struct Case {
        const char* bytes;
        const char16_t* text;
    };
    const Case cases[] = {
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong "/"
        {"\xC1\xBF", u"\uFFFD\uFFFD"},                     // overlong U+007F
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},           // overlong "/" in three bytes
        {"\xE0\x9F\xBF", u"\uFFFD\uFFFD\uFFFD"},           // overlong U+07FF
        {"\xF0\x80\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // overlong "/" in four bytes
        {"\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // overlong U+FFFF
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // U+D800
        {"\xED\xBF\xBF", u"\uFFFD\uFFFD\uFFFD"},           // U+DFFF
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
        {"\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xFF", u"\uFFFD"},
        {"\x80"
         "a",
         u"\uFFFDa"},            // a continuation byte alone
        {"\xE4\xB8", u"\uFFFD"}, // a truncated sequence
        {"\xE4\xB8"
         "a",
         u"\uFFFDa"},
        // The limits themselves are well-formed.
        {"\xC2\x80", u"\u0080"},
        {"\xE0\xA0\x80", u"\u0800"},
        {"\xED\x9F\xBF", u"\uD7FF"},
        {"\xEE\x80\x80", u"\uE000"},
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF0\x90\x80\x80", u"\U00010000"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fromUtf8(c.bytes), c.text) << c.bytes;
    }
}

TEST(Text, CaseAndHex) {
    EXPECT_TRUE(equalsNoCase(u"zh-hans-cn", u"zh-Hans-CN"));
    EXPECT_LT(compareNoCase(u"A", u"b"), 0);
    EXPECT_EQ(hexText(0x804, 4), u"0804");
    EXPECT_EQ(hexText(0xFFFFFFFFE0200804ull, 8), u"E0200804");
    std::uint32_t v = 0;
    EXPECT_TRUE(parseHex32(u"e0200804", v));
    EXPECT_EQ(v, 0xE0200804u);
    for (const char16_t* bad : {u"", u"0x10", u"1 2", u"100000000"}) {
        EXPECT_FALSE(parseHex32(bad, v)) << toUtf8(bad);
    }
}

TEST(Guid, TextFormIsBracedUpperCaseAndStrict) {
    const auto g = parseGuid(u"{81d4e9c9-1d3b-41bc-9e6c-4b40bf79e35e}");
    ASSERT_TRUE(g);
    EXPECT_EQ(guidToText(*g), u"{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}");
    EXPECT_EQ(guidToText(Guid{}), nullGuidText());
    for (const char16_t* bad :
         {u"81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E", u"{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35}",
          u"{81D4E9C9+1D3B-41BC-9E6C-4B40BF79E35E}", u"{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E3ZE}"}) {
        EXPECT_FALSE(parseGuid(bad)) << toUtf8(bad);
    }
}

} // namespace
} // namespace quillon
