// Small helpers over the window manager that every command uses: texts, classes, enumeration,
// messages with a time limit, and polling "until it appears".
#pragma once

#include "core/error.h"
#include "core/text.h"

#include <windows.h>

#include <string>
#include <vector>

namespace qdriver {

using quillon::ustring;

inline const wchar_t* wide(const ustring& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
ustring fromWide(const wchar_t* text, std::size_t length);
ustring fromWide(const wchar_t* text);
ustring ascii(const std::string& text);
ustring number(long long value);

[[noreturn]] void fail(const ustring& message);
// Adds the text of GetLastError() (or of `error`) to the message.
[[noreturn]] void failWin32(const ustring& what, DWORD error = GetLastError());

// Line output: C-style escapes keep one result on one line; the text stays UTF-8.
std::string quote(const ustring& text);

// The class name as registered, without the "6.0.x.y!" prefix of versioned common controls.
ustring className(HWND hwnd);
// The window's own text, read without sending it a message (so a busy program cannot block us).
ustring windowText(HWND hwnd);
int controlId(HWND hwnd);
DWORD processOf(HWND hwnd);
DWORD threadOf(HWND hwnd);
std::vector<HWND> topLevelWindows();
// Every descendant, in EnumChildWindows order (depth first, each level in Z order).
std::vector<HWND> descendants(HWND parent);
// Visible top-level windows of one process with the given class, in Z order.
std::vector<HWND> visibleWindowsOf(DWORD pid, const wchar_t* cls);

// A user can act on a control only while it and all its ancestors are enabled and it is shown.
void requireUsable(HWND hwnd, const ustring& what);

// A message sent across processes; a program that does not answer within the time limit is an
// error, not a hang.
LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs);
void postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Calls `probe` until it returns something true or the time is up; returns its last result.
template <typename Probe> auto poll(DWORD timeoutMs, Probe probe) -> decltype(probe()) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        auto result = probe();
        if (result || GetTickCount64() - start >= timeoutMs) {
            return result;
        }
        Sleep(50);
    }
}

} // namespace qdriver
