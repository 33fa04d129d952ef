// The switching keys' items, and the rule the two switching-key boxes follow: they never name
// the same key.
#pragma once

#include "core/text.h"

namespace quillon {

// The items of the boxes for the keys that switch the keyboard layout and the input language,
// item index = registry digit - 1; and of the box for the key that releases Caps Lock.
inline const StringList kSwitchKeyNames = {u"Alt+Shift", u"Ctrl+Shift", u"禁用", u"`"};
inline const StringList kCapsLockKeyNames = {u"Caps Lock", u"Shift"};

// Combo items, item index = registry digit - 1.
inline constexpr int kSwitchAltShift = 0;
inline constexpr int kSwitchCtrlShift = 1;
inline constexpr int kSwitchDisabled = 2;
inline constexpr int kSwitchGraveAccent = 3;

// The box just changed now shows `changed`; the other one, showing `other`, gives way when it
// shows the same, except that both may be disabled.
inline int giveWayTo(int changed, int other) {
    if (changed != other) {
        return other;
    }
    if (changed == kSwitchAltShift) {
        return kSwitchCtrlShift;
    }
    if (changed == kSwitchCtrlShift || changed == kSwitchGraveAccent) {
        return kSwitchAltShift;
    }
    return other;
}

} // namespace quillon
