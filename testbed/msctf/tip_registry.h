// The input profiles as Windows keeps them in the registry: text services registered under
// HKLM\SOFTWARE\Microsoft\CTF\TIP with the user's enable state under HKCU, and the keyboard
// layouts and IMM input methods of the user's language list.
#pragma once

#include "core/text.h"

#include <windows.h>

#include <ole2.h>

#include <msctf.h>

#include <optional>
#include <vector>

namespace quillon::testbed {

inline constexpr DWORD kIppFlagEnabled = 2;      // TF_IPP_FLAG_ENABLED
inline constexpr DWORD kIppmfEnableProfile = 1;  // TF_IPPMF_ENABLEPROFILE
inline constexpr DWORD kIppmfDisableProfile = 2; // TF_IPPMF_DISABLEPROFILE
inline constexpr GUID kCatTipKeyboard = {        // GUID_TFCAT_TIP_KEYBOARD
    0x34745C63,
    0xB2F0,
    0x4784,
    {0x8B, 0x67, 0x5E, 0x12, 0xC8, 0x70, 0x1A, 0x31}};

// Every profile of `langid` (0: of all languages): the text services in registry order,
// then the keyboard layouts.
std::vector<TF_INPUTPROCESSORPROFILE> readProfiles(LANGID langid);

// The registered description; nothing when no such text-service profile is registered.
std::optional<ustring> profileDescription(const GUID& clsid, LANGID langid, const GUID& profile);

bool profileRegistered(const GUID& clsid, LANGID langid, const GUID& profile);

// Stores the user's enable state of a registered profile.
HRESULT storeProfileEnabled(const GUID& clsid, LANGID langid, const GUID& profile, bool enabled);

// Removes the text service's machine registration and the user's state of it.
HRESULT removeTextService(const GUID& clsid);

} // namespace quillon::testbed
