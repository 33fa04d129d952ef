// qdriver-hook.dll: loaded by Windows (or Wine) into the driven program's UI thread when the
// driver hooks that thread. It answers the driver's requests posted to the thread's queue; see
// hook_protocol.h. Nothing here may throw or block: it runs inside someone else's message loop.
#include "handles.h"
#include "hook_protocol.h"

#include <algorithm>

namespace {

using qdriver::KernelHandle;
using qdriver::MappedView;
namespace hook = qdriver::hook;

UINT requestMessage() {
    static const UINT message = RegisterWindowMessageW(hook::kRequestMessage);
    return message;
}

void readMenu(HMENU menu, hook::Shared& shared) noexcept {
    const int count = GetMenuItemCount(menu);
    if (count < 0) {
        const DWORD error = GetLastError();
        shared.status = static_cast<std::int32_t>(error != 0 ? error : ERROR_INVALID_MENU_HANDLE);
        return;
    }
    shared.count = std::min(static_cast<std::uint32_t>(count), hook::kMaxItems);
    for (std::uint32_t i = 0; i < shared.count; ++i) {
        hook::MenuItem& item = shared.items[i];
        item = hook::MenuItem{};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = item.text;
        info.cch = hook::kMaxText - 1;
        if (GetMenuItemInfoW(menu, i, TRUE, &info) == FALSE) {
            shared.status = static_cast<std::int32_t>(GetLastError());
            return;
        }
        item.id = info.wID;
        item.type = info.fType;
        item.state = info.fState;
        item.hasSubmenu = info.hSubMenu != nullptr ? 1 : 0;
    }
}

void answer(DWORD driverPid, LONG sequence) noexcept {
    wchar_t name[64];
    hook::sharedName(name, driverPid);
    const KernelHandle mapping(OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name));
    if (!mapping) {
        return;
    }
    const MappedView view(
        MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(hook::Shared)));
    if (!view) {
        return;
    }
    auto& shared = *static_cast<hook::Shared*>(view.get());
    // A message loop may look at a message before it takes it; answer the first look only.
    if (shared.answered == sequence) {
        return;
    }
    shared.status = 0;
    shared.count = 0;
    switch (static_cast<hook::Kind>(shared.kind)) {
    case hook::Kind::Marker:
        break;
    case hook::Kind::MenuItems:
        readMenu(reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(shared.handle)), shared);
        break;
    case hook::Kind::SystemMenuItems: {
        const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(shared.handle));
        const HMENU menu = GetSystemMenu(window, FALSE);
        if (menu == nullptr) {
            shared.status = ERROR_INVALID_MENU_HANDLE;
        } else {
            readMenu(menu, shared);
        }
        break;
    }
    default:
        shared.status = ERROR_INVALID_PARAMETER;
        break;
    }
    InterlockedExchange(&shared.answered, sequence);
    hook::eventName(name, driverPid);
    const KernelHandle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, name));
    if (event) {
        SetEvent(event.get());
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    qdriverGetMessageProc(int code, WPARAM removal, LPARAM lParam) {
    if (code == HC_ACTION && lParam != 0) {
        auto& msg = *reinterpret_cast<MSG*>(lParam);
        const UINT request = requestMessage();
        if (request != 0 && msg.message == request) {
            answer(static_cast<DWORD>(msg.wParam), static_cast<LONG>(msg.lParam));
            // The program never sees the request. A look without removal must keep the message
            // as it is: a loop that looks and then removes by message number would otherwise
            // never find it again.
            if (removal == PM_REMOVE) {
                msg.message = WM_NULL;
            }
        }
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}
