#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

namespace quillon::platform {

void Win32ProcessEnd::Terminate() {
    ::PostQuitMessage(0);
}

void Win32ProcessEnd::ExitProcess(int exitCode) {
    ::ExitProcess(static_cast<UINT>(exitCode));
}

} // namespace quillon::platform
