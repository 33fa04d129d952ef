// What qdriver.exe and qdriver-hook.dll share. The hook runs inside the driven program's UI
// thread (a WH_GETMESSAGE hook), because Wine keeps menus in the process that owns them: another
// process can neither read a popup menu nor reach a window's system menu. The driver writes a
// request into a file mapping named after its own process id, posts the registered message to a
// window of the thread, and the hook answers in the same mapping when the thread takes the
// message from its queue. A request of kind Marker answers nothing: its answer only proves that
// the thread has taken everything posted before it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cwchar>

namespace qdriver::hook {

inline constexpr wchar_t kRequestMessage[] = L"Quillon.QDriver.HookRequest";
inline constexpr char kGetMessageProc[] = "qdriverGetMessageProc";
inline constexpr wchar_t kDllName[] = L"qdriver-hook.dll";

inline constexpr std::uint32_t kMaxItems = 64;
inline constexpr std::uint32_t kMaxText = 256;

enum class Kind : std::uint32_t {
    Marker = 0,
    MenuItems = 1,       // the items of the popup menu handle `handle`
    SystemMenuItems = 2, // the items of the system menu of window `handle`
};

struct MenuItem {
    std::uint32_t id;
    std::uint32_t type;  // MENUITEMINFOW::fType
    std::uint32_t state; // MENUITEMINFOW::fState
    std::uint32_t hasSubmenu;
    wchar_t text[kMaxText];
};

struct Shared {
    // Written by the driver before it posts the request.
    std::uint32_t kind;
    std::uint64_t handle;
    // Written by the hook; `answered` last, equal to the request's sequence number.
    std::int32_t status; // 0 done, otherwise the Win32 error of the failed call
    std::uint32_t count;
    MenuItem items[kMaxItems];
    volatile LONG answered;
};

// Names of the mapping and of the event that wakes the driver; the driver's process id keeps two
// drivers that drive the same program apart.
inline void sharedName(wchar_t (&out)[64], DWORD driverPid) {
    std::swprintf(out, 64, L"Local\\Quillon.QDriver.Shared.%lu",
                  static_cast<unsigned long>(driverPid));
}
inline void eventName(wchar_t (&out)[64], DWORD driverPid) {
    std::swprintf(out, 64, L"Local\\Quillon.QDriver.Answered.%lu",
                  static_cast<unsigned long>(driverPid));
}

} // namespace qdriver::hook
