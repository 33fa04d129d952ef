#include "core/error.h"
#include "platform/registry.h"
#include "platform/substitute/reg_text.h"
#include "sample_ids.h"

#include <gtest/gtest.h>

namespace quillon::platform {
namespace {

using quillon::testing::kKeyboardLayouts;
using quillon::testing::kUserProfile;

const char* const kFixture =
    "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; a comment\r\n"
    "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\r\n"
    "\"Languages\"=hex(7):7a,00,68,00,00,00,\\\r\n"
    "  65,00,6e,00,00,00,00,00\r\n"
    "\"InputMethodOverride\"=\"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile\\zh-Hans-CN]\r\n"
    "\"CachedLanguageName\"=\"@Winlangdb.dll,-1121\"\r\n"
    "\"0804:00000804\"=dword:00000001\r\n"
    "\"Path\"=\"C:\\\\Windows \\\"quoted\\\"\"\r\n"
    "\"Name\"=\"微软拼音\"\r\n"
    "\"Expand\"=hex(2):25,00,00,00\r\n"
    "@=\"default\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\E0200804]\r\n"
    "\"Layout Text\"=\"Chinese (Simplified) - QuanPin\"\r\n"
    "\"Mask\"=hex:9e,1e,07,80,12,00,00,00\r\n";

TEST(RegText, LoadsEveryValueForm) {
    MemoryRegistry backend;
    loadRegText(backend, kFixture);
    TRegistry reg(backend);
    ASSERT_TRUE(reg.OpenKey(u"\\Control Panel\\International\\User Profile\\", false));
    StringList langs;
    EXPECT_TRUE(reg.ReadMultiString(u"Languages", langs));
    EXPECT_EQ(langs, (StringList{u"zh", u"en"}));
    ASSERT_TRUE(reg.OpenKey(u"zh-Hans-CN", false));
    EXPECT_EQ(reg.ReadInteger(u"0804:00000804"), 1);
    EXPECT_EQ(reg.ReadString(u"Path"), u"C:\\Windows \"quoted\"");
    EXPECT_EQ(reg.ReadString(u"Name"), u"微软拼音");
    EXPECT_EQ(reg.GetDataType(u"Expand"), kRegExpandSz);
    EXPECT_EQ(reg.ReadString(u""), u"default");
    StringList names;
    reg.GetValueNames(names);
    EXPECT_EQ(names.front(), u"CachedLanguageName"); // file order is creation order
    TRegistry hklm(backend, Hive::LocalMachine);
    ASSERT_TRUE(
        hklm.OpenKey(u"\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\E0200804", false));
    std::uint8_t mask[8] = {};
    EXPECT_EQ(hklm.ReadBinaryData(u"Mask", mask, 8), 8);
    EXPECT_EQ(mask[4], 0x12);
}

TEST(RegText, SaveThenLoadGivesTheSameTreeAndUtf16InputWorks) {
    MemoryRegistry first;
    loadRegText(first, kFixture);
    const std::string saved = saveRegText(first, Hive::CurrentUser, u"Control Panel");
    // Saved as UTF-16LE with a byte-order mark, as regedit writes it.
    std::string utf16 = "\xFF\xFE";
    for (const char16_t c : fromUtf8(saved)) {
        utf16.push_back(static_cast<char>(c & 0xFF));
        utf16.push_back(static_cast<char>(c >> 8));
    }
    MemoryRegistry second;
    loadRegText(second, utf16);
    EXPECT_EQ(first.dump(Hive::CurrentUser), second.dump(Hive::CurrentUser));
}

RegValue sz(ustring_view text, bool terminate = true) {
    RegValue value{kRegSz, {}};
    for (const char16_t c : text) {
        value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
        value.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    if (terminate) {
        value.data.insert(value.data.end(), {0, 0});
    }
    return value;
}

// Whatever a fixture holds, saving and loading it again gives exactly the same keys and values.
TEST(RegText, SavedValuesLoadBackUnchanged) {
    struct Case {
        const char* what;
        ustring key;
        ustring name;
        RegValue value;
    };
    const ustring pair = u"\U0001F600"; // one character, two code units
    const Case cases[] = {
        {"plain string", u"k", u"plain", sz(u"微软拼音 \"x\" \\ end\\")},
        {"empty string", u"k", u"empty", sz(u"")},
        {"line feed", u"k", u"lf", sz(u"a\nb")},
        {"carriage return", u"k", u"cr", sz(u"a\r\nb\r")},
        {"surrogate pair", u"k", u"pair", sz(u"x" + pair + u"y")},
        {"lone high surrogate", u"k", u"high", sz(ustring(1, char16_t(0xD800)) + u"x")},
        {"lone low surrogate", u"k", u"low", sz(ustring(1, char16_t(0xDC00)))},
        {"pair reversed", u"k", u"reversed", sz(ustring{char16_t(0xDE00), char16_t(0xD83D)})},
        {"embedded NUL", u"k", u"nul", sz(ustring(u"a\0b", 3))},
        {"no terminator", u"k", u"open", sz(u"abc", false)},
        {"odd length", u"k", u"odd", RegValue{kRegSz, {0x41, 0x00, 0x42}}},
        {"no data", u"k", u"nothing", RegValue{kRegSz, {}}},
        {"expandable with line break", u"k", u"expand",
         RegValue{kRegExpandSz, sz(u"%a%\r\n").data}},
        {"multi-string", u"k", u"multi", RegValue{kRegMultiSz, sz(ustring(u"a\0b\0", 4)).data}},
        {"dword", u"k", u"dword", RegValue{kRegDword, {1, 2, 3, 4}}},
        {"short dword", u"k", u"dword3", RegValue{kRegDword, {1, 2, 3}}},
        {"qword", u"k", u"qword", RegValue{kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}}},
        {"binary", u"k", u"binary", RegValue{kRegBinary, {0xFF, 0x00}}},
        {"type none", u"k", u"none", RegValue{kRegNone, {}}},
        {"type 0x10", u"k", u"t10", RegValue{0x10, {0xAB}}},
        {"type 0xFFFF", u"k", u"tffff", RegValue{0xFFFF, {}}},
        {"type 0xFFFFFFFF", u"k", u"tmax", RegValue{0xFFFFFFFFu, {0x01}}},
        {"name with quote and backslash", u"k", u"a\"b\\c", sz(u"v")},
        {"name with line breaks", u"k", u"a\r\nb\n", sz(u"v")},
        {"name with NUL", u"k", ustring(u"a\0b", 3), sz(u"v")},
        {"name @", u"k", u"@", sz(u"at")},
        {"default value", u"k", u"", sz(u"default")},
        {"name with surrogate pair", u"k", pair, sz(pair)},
        {"key with surrogate pair", u"k\\" + pair, u"v", sz(u"v")},
        {"key with brackets and blanks", u"k\\ [a] ]", u"v", sz(u"v")},
    };
    MemoryRegistry first;
    for (const Case& c : cases) {
        first.put(Hive::CurrentUser, c.key, c.name, c.value);
    }
    const std::string saved = saveRegText(first, Hive::CurrentUser, u"k");
    MemoryRegistry second;
    ASSERT_NO_THROW(loadRegText(second, saved)) << saved;
    for (const Case& c : cases) {
        const auto back = second.queryValue(Hive::CurrentUser, c.key, c.name);
        ASSERT_TRUE(back) << c.what << "\n" << saved;
        EXPECT_EQ(back->type, c.value.type) << c.what;
        EXPECT_EQ(back->data, c.value.data) << c.what;
    }
    EXPECT_EQ(first.dump(Hive::CurrentUser), second.dump(Hive::CurrentUser));
    // Regedit's own forms where they hold the value.
    EXPECT_NE(saved.find("\"t10\"=hex(10):ab\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"tmax\"=hex(ffffffff):01\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"lf\"=hex(1):61,00,0a,00,62,00,00,00\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\"pair\"=\"x\xF0\x9F\x98\x80y\"\r\n"), std::string::npos) << saved;
}

// A name that UTF-8 text cannot hold is refused rather than saved as a different name.
TEST(RegText, SaveRefusesNamesTheTextCannotHold) {
    const ustring lone(1, char16_t(0xD800));
    for (const auto& [key, name] :
         {std::pair<ustring, ustring>{u"k", lone}, {u"k\\" + lone, u"v"}, {u"k\\a\nb", u"v"}}) {
        MemoryRegistry registry;
        registry.put(Hive::CurrentUser, key, name, sz(u"v"));
        EXPECT_THROW(saveRegText(registry, Hive::CurrentUser, u"k"), QuillonError);
    }
}

TEST(RegText, DeletionsAndErrors) {
    MemoryRegistry backend;
    loadRegText(backend, kFixture);
    loadRegText(
        backend,
        "Windows Registry Editor Version 5.00\n"
        "[-HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\E0200804]\n"
        "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
        "\"InputMethodOverride\"=-\n");
    EXPECT_FALSE(backend.keyExists(Hive::LocalMachine, kKeyboardLayouts + u"\\E0200804"));
    EXPECT_FALSE(backend.queryValue(Hive::CurrentUser, kUserProfile, u"InputMethodOverride"));
    for (const char* bad : {"REGEDIT4\n", "Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n",
                            "Windows Registry Editor Version 5.00\n[HKEY_X\\a]\n",
                            "Windows Registry Editor Version 5.00\n[HKCU\\a]\n\"a\"=dword:1\n",
                            "Windows Registry Editor Version 5.00\n[HKCU\\a]\n\"a\"=hex:1g\n"}) {
        EXPECT_THROW(loadRegText(backend, bad), QuillonError) << bad;
    }
}

} // namespace
} // namespace quillon::platform
