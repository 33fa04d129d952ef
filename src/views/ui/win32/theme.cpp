#include "ui/win32/theme.h"

namespace quillon::win32view {

void setWindowTheme(HWND window, const wchar_t* subAppName) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    // Loaded once and kept for the life of the process: themed controls use it until they go.
    static const platform::win32::Library uxtheme =
        platform::win32::Library::system(L"uxtheme.dll");
    static const auto setTheme =
        uxtheme ? reinterpret_cast<SetWindowThemeFn>(
                      reinterpret_cast<void*>(GetProcAddress(uxtheme.get(), "SetWindowTheme")))
                : nullptr;
    if (setTheme) {
        setTheme(window, subAppName, nullptr);
    }
}

} // namespace quillon::win32view
