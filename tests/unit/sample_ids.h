// The GUIDs and registry key paths the unit tests share, spelled once. Without the substitute
// or the test framework, so that the domain's tests and the fuzz targets can use them too.
#pragma once

#include "core/guid.h"
#include "core/text.h"

namespace quillon::testing {

// The base setup's text service: Microsoft Pinyin, with its Wubi and Shuangpin profiles.
inline const Guid kPinyinClsid = *parseGuid(u"{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}");
inline const Guid kPinyinProfile = *parseGuid(u"{FA550B04-5AD7-411F-A5AC-CA038EC515D7}");
inline const Guid kWubiProfile = *parseGuid(u"{82590C13-F4DD-44F4-BA1D-8667246FDF8E}");
inline const Guid kShuangpinProfile = *parseGuid(u"{1B3C5E7A-0D2F-4A6B-8C9E-0A1B2C3D4E5F}");

// The test bed's sample text services (testbed/fixtures/sample.reg), made up.
inline const Guid kSamplePinyinClsid = *parseGuid(u"{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}");
inline const Guid kSamplePinyinProfile = *parseGuid(u"{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}");
inline const Guid kSampleWubiClsid = *parseGuid(u"{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}");
inline const Guid kSampleWubiProfile = *parseGuid(u"{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}");

// GUID_TFCAT_TIP_KEYBOARD.
inline const Guid kKeyboardCat = *parseGuid(u"{34745C63-B2F0-4784-8B67-5E12C8701A31}");

// Keys of HKEY_CURRENT_USER.
inline const ustring kUserProfile = u"Control Panel\\International\\User Profile";
inline const ustring kDirectSwitch = u"Software\\Microsoft\\CTF\\DirectSwitchHotkeys";
inline const ustring kImmHotKeys = u"Control Panel\\Input Method\\Hot Keys";
inline const ustring kKeyboardLayout = u"Keyboard Layout";
inline const ustring kToggleKey = u"Keyboard Layout\\Toggle";
inline const ustring kDesktop = u"Control Panel\\Desktop";
inline const ustring kInputSettings = u"Software\\Microsoft\\Input\\Settings";

// Keys of HKEY_LOCAL_MACHINE.
inline const ustring kKeyboardLayouts = u"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";

} // namespace quillon::testing
