// Everything under HKEY_CURRENT_USER that an operation of the program may write or delete,
// itself or through the Windows commands it starts: what a backup keeps, and all that an undo
// may put back. A writer that touches anything else must add it here (the unit test that runs
// every operation checks each write against this table).
#pragma once

#include "platform/windows_keys.h"

#include <cstddef>

namespace quillon {

struct WrittenKey {
    const char16_t* path; // below HKEY_CURRENT_USER
    // Null: the key with everything below it. Otherwise only this value of the key, which
    // holds settings of other programs as well.
    const char16_t* value;
};

inline constexpr WrittenKey kWrittenKeys[] = {
    // The languages' input methods and their order (the commit), the default input method
    // (Set-WinDefaultInputMethodOverride) and what the re-apply of the language list rewrites.
    {keys::kUserProfile, nullptr},
    // The order of input methods (the commit; the re-apply).
    {keys::kSortOrder, nullptr},
    // Hotkeys of text services and of IMM input methods, and the IME toggles (the commit).
    {keys::kTextServiceHotkeys, nullptr},
    {keys::kImmHotKeys, nullptr},
    // The switching keys ("Toggle"), the Caps Lock key ("Attributes"), the US keyboard's
    // "Substitutes" (enabling it) and "Preload" (the re-apply).
    {keys::kKeyboardLayout, nullptr},
    // The separate input method per window, and the language bar (Set-WinLanguageBarOption,
    // which also writes the bar's own key).
    {keys::kDesktop, u"UserPreferencesMask"},
    {keys::kLangBar, nullptr},
    // The emoji panel.
    {keys::kInputSettings, u"EnableExpressiveInputEmojiMultipleSelection"},
};

inline constexpr std::size_t kWrittenKeyCount = sizeof(kWrittenKeys) / sizeof(kWrittenKeys[0]);

} // namespace quillon
