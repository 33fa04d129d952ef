// Starts a program and reports how long it took until one of its top-level windows was first
// visible. Test bed only: measures quillon.exe against a baseline program under Wine.
//   starttime.exe [--timeout MS] [--cpu] PROGRAM [ARGUMENTS...]
// Prints the milliseconds on stdout, ends the program it started, and exits with 0; exits
// with 1 when no window appeared in time. With --cpu it prints, after a space, the processor
// time the program's process had used by then (kernel and user, in the system's clock ticks
// of 10 to 16 ms): on a loaded machine it varies far less than the time on the clock, and it
// leaves out what other processes did meanwhile.
//   starttime.exe --hold-desktop
// Keeps a hidden window, and so Wine's desktop process, until it is ended. On Windows the
// desktop is always there; under Wine it starts with the first program that needs it and ends
// after the last one, and a measurement must not include its start.
#include "platform/win32/win32_handles.h"

#include <cstdio>
#include <string>

namespace {

using quillon::platform::win32::Handle;

struct Search {
    DWORD processId;
    bool found;
};

BOOL CALLBACK visibleWindowOf(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->processId && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        return arg;
    }
    std::wstring out = L"\"";
    for (const wchar_t c : arg) {
        if (c == L'"') {
            out += L'\\';
        }
        out += c;
    }
    return out + L"\"";
}

// A FILETIME span (100 ns units) in milliseconds.
double milliseconds(const FILETIME& span) {
    const ULONGLONG units =
        (static_cast<ULONGLONG>(span.dwHighDateTime) << 32) | span.dwLowDateTime;
    return static_cast<double>(units) / 10000.0;
}

int holdDesktop() {
    const HWND window = CreateWindowExW(0, L"STATIC", L"desktop holder", WS_OVERLAPPED, 0, 0, 1, 1,
                                        nullptr, nullptr, nullptr, nullptr);
    if (!window) {
        return 1;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--hold-desktop") {
        return holdDesktop();
    }
    int first = 1;
    DWORD timeoutMs = 60000;
    bool cpu = false;
    for (;;) {
        if (first + 1 < argc && std::wstring(argv[first]) == L"--timeout") {
            timeoutMs = static_cast<DWORD>(_wtoi(argv[first + 1]));
            first += 2;
        } else if (first < argc && std::wstring(argv[first]) == L"--cpu") {
            cpu = true;
            ++first;
        } else {
            break;
        }
    }
    if (first >= argc) {
        std::fputs("usage: starttime.exe [--timeout MS] [--cpu] PROGRAM [ARGUMENTS...]\n", stderr);
        return 2;
    }
    std::wstring commandLine;
    for (int i = first; i < argc; ++i) {
        commandLine += (i > first ? L" " : L"") + quoted(argv[i]);
    }

    LARGE_INTEGER frequency;
    LARGE_INTEGER started;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    QueryPerformanceCounter(&started);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi)) {
        std::fprintf(stderr, "cannot start the program (error %lu)\n", GetLastError());
        return 2;
    }
    const Handle process(pi.hProcess);
    const Handle thread(pi.hThread);
    // Polling every millisecond: a WinEvent hook would be as exact on Windows, but Wine does
    // not raise every show event for windows of another process.
    Search search{pi.dwProcessId, false};
    double elapsedMs = 0;
    for (;;) {
        EnumWindows(visibleWindowOf, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        elapsedMs = static_cast<double>(now.QuadPart - started.QuadPart) * 1000.0 /
                    static_cast<double>(frequency.QuadPart);
        if (search.found || elapsedMs > timeoutMs ||
            WaitForSingleObject(process.get(), 1) == WAIT_OBJECT_0) {
            break;
        }
    }
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    const bool timed = GetProcessTimes(process.get(), &created, &exited, &kernel, &user) != 0;
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
    if (!search.found) {
        std::fputs("no window became visible\n", stderr);
        return 1;
    }
    if (!cpu) {
        std::printf("%.1f\n", elapsedMs);
    } else if (timed) {
        std::printf("%.1f %.1f\n", elapsedMs, milliseconds(kernel) + milliseconds(user));
    } else {
        std::fprintf(stderr, "no processor time (error %lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
