#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

namespace quillon::platform {

bool Win32Hotkeys::HotkeyTaken(std::uint32_t modifiers, std::uint32_t virtualKey) {
    // An id of the application range that the program uses for nothing else.
    constexpr int kProbeId = 0xB0F1;
    const HWND owner = static_cast<HWND>(mainWindow_);
    if (::RegisterHotKey(owner, kProbeId, modifiers, virtualKey)) {
        ::UnregisterHotKey(owner, kProbeId);
        return false;
    }
    // Any other refusal (an invalid key) says nothing about other programs.
    return ::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

} // namespace quillon::platform
