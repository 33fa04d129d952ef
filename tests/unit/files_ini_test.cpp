// The configuration file's INI text, item splitting and whole numbers.
#include "core/error.h"
#include "core/items.h"
#include "core/whole_number.h"
#include "files/ini_document.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillon {
namespace {

// "[name]key=value key=value [name]…" in document order.
std::string shape(const IniDocument& document) {
    std::string out;
    for (const IniSection& s : document.sections()) {
        out += (out.empty() ? "[" : " [") + toUtf8(s.name) + "]";
        for (const IniEntry& e : s.entries) {
            out += (out.back() == ']' ? "" : " ") + toUtf8(e.key) + "=" + toUtf8(e.value);
        }
    }
    return out;
}

TEST(IniDocument, ReadingRules) {
    struct Case {
        const char* what;
        std::string text;
        const char* shape;
    };
    const Case cases[] = {
        {"byte-order mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "[s]k=v"},
        {"CR LF, CR, LF and empty lines", "[s]\rk1=1\nk2=2\r\n\r\n\r\rk3=3", "[s]k1=1 k2=2 k3=3"},
        {"trimmed up to U+0020", "  [ s ]  \r\n \t k = v w \t\x01\r\n", "[s]k=v w"},
        {"comments", "[s]\r\n;k=v\r\n   ; x=1\r\nk=v\r\n", "[s]k=v"},
        {"before the first section", "k=v\r\n[s\r\n[s]\r\na=1", "[s]a=1"},
        {"a second section of a name continues the first", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n[A]\r\nz=3",
         "[a]x=1 z=3 [b]y=2"},
        {"first = splits, no = is a key",
         "[s]\r\nlonely key\r\n=v\r\nk = = v =", "[s]lonely key= =v k== v ="},
        {"section names are trimmed inside", "[  0804_list\t]\r\n1=a", "[0804_list]1=a"},
        {"UTF-8 beyond the BMP", "[s]\r\nk=\xF0\x9F\x98\x80\xE4\xB8\xAD", "[s]k=😀中"},
    };
    for (const Case& c : cases) {
        const IniRead read = readIni(c.text);
        EXPECT_EQ(read.badLine, 0) << c.what;
        EXPECT_EQ(shape(read.document), c.shape) << c.what;
    }
}

TEST(IniDocument, TextThatIsNotUtf8NamesItsLine) {
    struct Case {
        std::string text;
        int line;
    };
    const Case cases[] = {
        {"[s]\r\nk=\xC0\x80", 2},            // overlong
        {"[s]\n\nk=\xED\xA0\x80", 3},        // a surrogate
        {"\xE4\xB8", 1},                     // cut short
        {"[s]\r\n\x80", 2},                  // a lone continuation byte
        {"[s]\rv=\xF4\x90\x80\x80", 2},      // above U+10FFFF
        {"[s]\r\n;\xFF comment\r\n", 2},     // comments are text too
        {"\xEF\xBB\xBF\xEF\xBB\xBF\xFE", 1}, // only the first mark is skipped
    };
    for (const Case& c : cases) {
        const IniRead read = readIni(c.text);
        EXPECT_EQ(read.badLine, c.line) << c.text;
        EXPECT_TRUE(read.document.sections().empty()) << c.text;
    }
}

TEST(IniDocument, LookupIgnoresCaseAndRecordsLines) {
    const IniRead read = readIni("[Sec]\r\n\r\nKey=1\r\nkey=2\r\n");
    const IniEntry* entry = read.document.entry(u"sEC", u"KEY");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->value, u"1"); // the first of two
    EXPECT_EQ(entry->line, 3);
    EXPECT_EQ(read.document.section(u"sec")->line, 1);
    EXPECT_EQ(read.document.entry(u"sec", u"other"), nullptr);
    EXPECT_EQ(read.document.entry(u"other", u"key"), nullptr);
}

// Many sections, a name met again in another case continuing its section wherever it stands.
TEST(IniDocument, ManySectionsAndNamesMetAgain) {
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        text += "[s" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
    }
    text += "[S0]\r\nlate=1\r\n";
    const IniRead read = readIni(text);
    ASSERT_EQ(read.document.sections().size(), 20000u);
    ASSERT_NE(read.document.entry(u"s19999", u"k"), nullptr);
    EXPECT_EQ(read.document.entry(u"s19999", u"k")->value, u"19999");
    ASSERT_NE(read.document.entry(u"s0", u"LATE"), nullptr);
    IniDocument copy = read.document;
    copy.write(u"S19999", u"k", u"new");
    copy.write(u"new", u"k", u"v");
    EXPECT_EQ(copy.entry(u"s19999", u"k")->value, u"new");
    EXPECT_EQ(copy.sections().size(), 20001u);
}

TEST(IniDocument, WritesTheExactFormat) {
    IniDocument document;
    EXPECT_EQ(document.bytes(), "\xEF\xBB\xBF");
    document.write(u"0804_list", u"1", u"微软拼音|a|");
    document.write(u"0804_other", u"DefaultIME", u"0");
    document.write(u"0804_LIST", u"2", u"");
    EXPECT_EQ(document.bytes(), "\xEF\xBB\xBF"
                                "[0804_list]\r\n1=微软拼音|a|\r\n2=\r\n\r\n"
                                "[0804_other]\r\nDefaultIME=0\r\n\r\n");
}

TEST(IniDocument, MergeKeepsPlacesAndDropsWhatIsNotWrittenBack) {
    IniRead read = readIni("; saved by hand\r\nstray=1\r\n[b]\r\nk=old\r\n; note\r\nq=1\r\n\r\n"
                           "[a]\r\n[B]\r\nr=2");
    ASSERT_EQ(read.badLine, 0);
    IniDocument& document = read.document;
    document.write(u"B", u"K", u"new");
    document.write(u"a", u"n", u"1");
    document.write(u"c", u"m", u"2");
    EXPECT_EQ(document.bytes(), "\xEF\xBB\xBF"
                                "[b]\r\nk=new\r\nq=1\r\nr=2\r\n\r\n"
                                "[a]\r\nn=1\r\n\r\n"
                                "[c]\r\nm=2\r\n\r\n");
    // What is written reads back as the same document.
    EXPECT_EQ(shape(readIni(document.bytes()).document), shape(document));
}

TEST(Items, StrictAndLooseSplitting) {
    struct Case {
        ustring text;
        StringList items;
    };
    const Case strict[] = {
        {u"", {}},
        {u"a", {u"a"}},
        {u"a||b", {u"a", u"", u"b"}},
        {u"|a", {u"", u"a"}},
        {u"a|", {u"a", u""}},
        {u" a | b ", {u" a ", u" b "}},
        {u"\"a|b\"|c", {u"a|b", u"c"}},
        {u"\"a\"\"b\"|c", {u"a\"b", u"c"}},
        {u"\"a\"b|c", {u"a", u"b", u"c"}},
        {u"\"abc|d", {u"abc|d"}},
        {u"a\"b|c", {u"a\"b", u"c"}},
    };
    for (const Case& c : strict) {
        EXPECT_EQ(splitStrict(c.text, u'|'), c.items) << toUtf8(c.text);
    }
    EXPECT_EQ(splitStrict(u"Foo,1", u','), (StringList{u"Foo", u"1"}));
    const Case loose[] = {
        {u"", {}},
        {u" \t ", {}},
        {u"  a  b\tc ", {u"a", u"b", u"c"}},
        {u"\"a b\" c", {u"a b", u"c"}},
        {u"\"a\"b c", {u"a", u"b", u"c"}},
        {u"1 ctrl", {u"1", u"ctrl"}},
    };
    for (const Case& c : loose) {
        EXPECT_EQ(splitLoose(c.text), c.items) << toUtf8(c.text);
    }
}

TEST(WholeNumber, Conversion) {
    struct Case {
        ustring text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {u"12", 12},
        {u"  -7", -7},
        {u"+3", 3},
        {u"$1F", 31},
        {u"x10", 16},
        {u"0x10", 16},
        {u"0X7fffffff", 2147483647},
        {u"0xFFFFFFFF", -1},
        {u"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {u"2147483648", std::nullopt},
        {u"0x100000000", std::nullopt},
        {u"", std::nullopt},
        {u"0x", std::nullopt},
        {u"1 ", std::nullopt},
        {u"abc", std::nullopt},
        {u"--1", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tryWholeNumber(c.text), c.value) << toUtf8(c.text);
    }
    try {
        wholeNumber(u"x");
        FAIL() << "no error";
    } catch (const QuillonError& e) {
        EXPECT_EQ(e.message(), u"'x' is not a valid integer value for Integer type");
    }
}

} // namespace
} // namespace quillon
