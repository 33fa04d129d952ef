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
    EXPECT_EQ(fromUtf8("\xE4\xB8"), u"\uFFFD\uFFFD"); // a truncated sequence, byte by byte
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
