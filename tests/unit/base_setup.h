// The small Simplified-Chinese + US-English setup the form tests start from, without the test
// framework, so that the fuzz targets can build machines of it too.
#pragma once

#include "core/guid.h"
#include "platform/substitute/substitute.h"

namespace quillon::testing {

inline const Guid kPinyinClsid = *parseGuid(u"{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}");
inline const Guid kPinyinProfile = *parseGuid(u"{FA550B04-5AD7-411F-A5AC-CA038EC515D7}");
inline const Guid kWubiProfile = *parseGuid(u"{82590C13-F4DD-44F4-BA1D-8667246FDF8E}");
inline const Guid kKeyboardCat = *parseGuid(u"{34745C63-B2F0-4784-8B67-5E12C8701A31}");

inline const char* const kBaseRegistry = R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Control Panel\International\User Profile]
"Languages"=hex(7):7a,00,68,00,2d,00,48,00,61,00,6e,00,73,00,2d,00,43,00,4e,00,00,00,65,00,6e,00,2d,00,55,00,53,00,00,00,00,00

[HKEY_CURRENT_USER\Control Panel\International\User Profile\zh-Hans-CN]
"CachedLanguageName"="@Winlangdb.dll,-1110"
"0804:{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}{FA550B04-5AD7-411F-A5AC-CA038EC515D7}"=dword:00000001

[HKEY_CURRENT_USER\Control Panel\International\User Profile\en-US]
"0409:00000409"=dword:00000001

[HKEY_CURRENT_USER\Software\Microsoft\CTF\Assemblies\0x00000804\{34745C63-B2F0-4784-8B67-5E12C8701A31}]
"Default"="{00000000-0000-0000-0000-000000000000}"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts\00000409]
"Layout Text"="US"
"Layout Display Name"="@%SystemRoot%\\system32\\input.dll,-5000"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts\00000804]
"Layout Text"="Chinese (Simplified) - US Keyboard"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts\E0200804]
"Layout Text"="中文 (简体) - 微软拼音 IMM"

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts\E0200404]
"Layout Text"="Chinese (Traditional) IMM"
)";

// What format-list prints for the two languages (blanks and wrapping as PowerShell does).
inline const char* const kLanguageQueryOutput =
    "\r\n\r\nLanguageTag   : zh-Hans-CN\r\nLocalizedName : 中文(中华人民共和国)\r\n\r\n"
    "LanguageTag   : en-US\r\nLocalizedName : English (United\r\n                "
    "States)\r\n\r\n\r\n";

inline platform::TfProfile textService(std::uint16_t langid, const Guid& clsid, const Guid& profile,
                                       std::uint32_t flags) {
    platform::TfProfile p;
    p.profileType = platform::kTfProfileTypeInputProcessor;
    p.langid = langid;
    p.clsid = clsid;
    p.guidProfile = profile;
    p.catid = kKeyboardCat;
    p.flags = flags;
    return p;
}

inline platform::TfProfile layout(std::uint16_t langid, std::uint64_t hkl, std::uint32_t flags) {
    platform::TfProfile p;
    p.profileType = 2;
    p.langid = langid;
    p.catid = kKeyboardCat;
    p.hkl = hkl;
    p.flags = flags;
    return p;
}

// The two text services the test bed's TSF stand-in lists for the sample setup
// (testbed/fixtures/sample.reg): 示例拼音输入法 enabled, 示例五笔输入法 not.
inline void addSampleTextServices(platform::Substitute& windows) {
    const Guid pinyin = *parseGuid(u"{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}");
    const Guid wubi = *parseGuid(u"{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}");
    windows.addProfile(
        {textService(0x0804, pinyin, *parseGuid(u"{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}"), 2),
         u"示例拼音输入法"});
    windows.addProfile(
        {textService(0x0804, wubi, *parseGuid(u"{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}"), 0),
         u"示例五笔输入法"});
}

} // namespace quillon::testing
