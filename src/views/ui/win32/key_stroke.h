// Key presses as the models know them.
#pragma once

#include "app/keyboard.h"
#include "ui/win32/gdi_handles.h"

#include <optional>

namespace quillon::win32view {

// The key of a WM_KEYDOWN or WM_SYSKEYDOWN with the modifiers held as it is read; nullopt for
// a key no model has a name for, which every view leaves to the control with the focus.
std::optional<KeyStroke> keyStrokeOf(const MSG& msg);

} // namespace quillon::win32view
