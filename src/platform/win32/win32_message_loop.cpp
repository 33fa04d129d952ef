#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

namespace quillon::platform {

namespace {

using win32::Handle;

class Win32Event : public WaitEvent {
public:
    explicit Win32Event(Handle event) : event_(std::move(event)) {}
    HANDLE get() const { return event_.get(); }

private:
    Handle event_;
};

} // namespace

void Win32MessageLoop::ProcessMessages() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the message loop, which ends on it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

std::unique_ptr<WaitEvent> Win32MessageLoop::CreateEvent() {
    Handle event(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event) {
        return nullptr;
    }
    return std::make_unique<Win32Event>(std::move(event));
}

std::uint32_t Win32MessageLoop::MsgWaitForMultipleObjects(WaitEvent& event, std::uint32_t timeoutMs,
                                                          std::uint32_t wakeMask) {
    const auto* own = dynamic_cast<Win32Event*>(&event);
    if (!own) {
        return WAIT_FAILED;
    }
    const HANDLE handle = own->get();
    return ::MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs, wakeMask);
}

} // namespace quillon::platform
