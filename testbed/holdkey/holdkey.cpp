// Another program that holds a system-wide hotkey, for the hotkey dialog's clash warning:
// holdkey MODIFIERS VK STOPFILE registers the hotkey (hexadecimal RegisterHotKey modifiers and
// virtual key), says "held" or "refused N" on its standard output, and keeps it until STOPFILE
// exists (or two minutes have passed).
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fputs("usage: holdkey MODIFIERS VK STOPFILE\n", stderr);
        return 2;
    }
    const auto modifiers = static_cast<UINT>(std::wcstoul(argv[1], nullptr, 16));
    const auto virtualKey = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 16));
    if (!RegisterHotKey(nullptr, 1, modifiers, virtualKey)) {
        std::printf("refused %lu\n", GetLastError());
        return 1;
    }
    std::puts("held");
    std::fflush(stdout);
    for (int i = 0; i < 1200 && GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        Sleep(100);
    }
    UnregisterHotKey(nullptr, 1);
    return 0;
}
