#include "core/error.h"
#include "platform/registry.h"
#include "platform/substitute/reg_text.h"

#include <gtest/gtest.h>

namespace quillon::platform {
namespace {

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

TEST(RegText, DeletionsAndErrors) {
    MemoryRegistry backend;
    loadRegText(backend, kFixture);
    loadRegText(
        backend,
        "Windows Registry Editor Version 5.00\n"
        "[-HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\E0200804]\n"
        "[HKEY_CURRENT_USER\\Control Panel\\International\\User Profile]\n"
        "\"InputMethodOverride\"=-\n");
    EXPECT_FALSE(backend.keyExists(
        Hive::LocalMachine, u"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\E0200804"));
    EXPECT_FALSE(backend.queryValue(
        Hive::CurrentUser, u"Control Panel\\International\\User Profile", u"InputMethodOverride"));
    for (const char* bad : {"REGEDIT4\n", "Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n",
                            "Windows Registry Editor Version 5.00\n[HKEY_X\\a]\n",
                            "Windows Registry Editor Version 5.00\n[HKCU\\a]\n\"a\"=dword:1\n",
                            "Windows Registry Editor Version 5.00\n[HKCU\\a]\n\"a\"=hex:1g\n"}) {
        EXPECT_THROW(loadRegText(backend, bad), QuillonError) << bad;
    }
}

} // namespace
} // namespace quillon::platform
