// Where Windows keeps the user's input-method setup: each key spelled once, from its hive's
// root, in the form Registry Editor and the backups name keys (no leading or trailing "\").
// Below HKEY_CURRENT_USER unless said otherwise.
#pragma once

#include "core/text.h"

namespace quillon::keys {

// The languages' input methods, one sub-key per language tag, and the default's override.
inline constexpr const char16_t* kUserProfile = u"Control Panel\\International\\User Profile";
// The switching keys ("Toggle"), the Caps Lock key, "Substitutes" and "Preload".
inline constexpr const char16_t* kKeyboardLayout = u"Keyboard Layout";
inline constexpr const char16_t* kToggle = u"Keyboard Layout\\Toggle";
inline constexpr const char16_t* kSubstitutes = u"Keyboard Layout\\Substitutes";
// The order of input methods, per language and category.
inline constexpr const char16_t* kSortOrder = u"Software\\Microsoft\\CTF\\SortOrder";
inline constexpr const char16_t* kSortOrderItems =
    u"Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem";
// The text services' categories by language.
inline constexpr const char16_t* kAssemblies = u"Software\\Microsoft\\CTF\\Assemblies";
// Direct-switch hotkeys: text services', and IMM input methods' with the IME toggles.
inline constexpr const char16_t* kTextServiceHotkeys =
    u"Software\\Microsoft\\CTF\\DirectSwitchHotkeys";
inline constexpr const char16_t* kImmHotKeys = u"Control Panel\\Input Method\\Hot Keys";
// "UserPreferencesMask", which holds the separate input method per window among much else.
inline constexpr const char16_t* kDesktop = u"Control Panel\\Desktop";
inline constexpr const char16_t* kLangBar = u"Software\\Microsoft\\CTF\\LangBar";
// The emoji panel's setting.
inline constexpr const char16_t* kInputSettings = u"Software\\Microsoft\\Input\\Settings";
// Below HKEY_LOCAL_MACHINE: the installed keyboard layouts.
inline constexpr const char16_t* kKeyboardLayouts =
    u"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";

// The key as a TRegistry path from the hive's root, whatever key the object has open.
ustring fromRoot(const char16_t* key);
// A sub-key of it, from the root.
ustring fromRoot(const char16_t* key, ustring_view subkey);

} // namespace quillon::keys
