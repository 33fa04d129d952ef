// The least a program of Quillon's kind must do before its window shows: run the hidden
// PowerShell language query to its end, reading its output, then create and paint one window.
// Test bed only: the yardstick for quillon.exe's start-up time.
#include "platform/win32/win32_handles.h"

#include <string>

namespace {

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

using quillon::platform::win32::Handle;

void runLanguageQuery() {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readRaw = nullptr;
    HANDLE writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &sa, 0)) {
        return;
    }
    const Handle readEnd(readRaw);
    Handle writeEnd(writeRaw);
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring commandLine =
        L"\"" + std::wstring(system) +
        L"\\WindowsPowerShell\\v1.0\\powershell.exe\" -command \"& {get-WinUserLanguageList | "
        L"format-list -property languagetag,localizedname}\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &si, &pi);
    // Our copy of the write end goes, so the read ends when the child's copies do.
    writeEnd.reset();
    if (!started) {
        return;
    }
    const Handle process(pi.hProcess);
    const Handle thread(pi.hThread);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
    WaitForSingleObject(process.get(), INFINITE);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    runLanguageQuery();
    WNDCLASSW wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"QuillonBaseline";
    RegisterClassW(&wc);
    HWND hwnd =
        CreateWindowExW(0, wc.lpszClassName, L"Baseline", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 540, 640, nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
