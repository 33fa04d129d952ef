#include "win.h"

#include <array>
#include <cstdio>

namespace qdriver {

ustring fromWide(const wchar_t* text, std::size_t length) {
    return ustring(reinterpret_cast<const char16_t*>(text), length);
}

ustring fromWide(const wchar_t* text) {
    return text == nullptr ? ustring() : ustring(reinterpret_cast<const char16_t*>(text));
}

ustring ascii(const std::string& text) {
    return ustring(text.begin(), text.end());
}

ustring number(long long value) {
    return ascii(std::to_string(value));
}

void fail(const ustring& message) {
    throw quillon::QuillonError(message);
}

void failWin32(const ustring& what, DWORD error) {
    std::array<wchar_t, 512> buffer{};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
    ustring text = fromWide(buffer.data(), length);
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) {
        text.pop_back();
    }
    fail(what + u" (error " + number(error) + (text.empty() ? u"" : u": " + text) + u")");
}

std::string quote(const ustring& text) {
    ustring out = u"\"";
    for (const char16_t c : text) {
        switch (c) {
        case u'"':
            out += u"\\\"";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\t':
            out += u"\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                std::array<char, 8> hex{};
                std::snprintf(hex.data(), hex.size(), "\\x%02X", static_cast<unsigned>(c));
                out += ascii(hex.data());
            } else {
                out += c;
            }
            break;
        }
    }
    out += u'"';
    return quillon::toUtf8(out);
}

ustring className(HWND hwnd) {
    std::array<wchar_t, 256> buffer{};
    const int length = GetClassNameW(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    ustring name = fromWide(buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0));
    const auto bang = name.find(u'!');
    return bang == ustring::npos ? name : name.substr(bang + 1);
}

ustring windowText(HWND hwnd) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        const int length =
            InternalGetWindowText(hwnd, buffer.data(), static_cast<int>(buffer.size()));
        if (length < 0 || static_cast<std::size_t>(length) + 1 < buffer.size() ||
            buffer.size() >= 65536) {
            return fromWide(buffer.data(), static_cast<std::size_t>(length > 0 ? length : 0));
        }
        buffer.resize(buffer.size() * 4);
    }
}

int controlId(HWND hwnd) {
    return static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_ID));
}

DWORD processOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

DWORD threadOf(HWND hwnd) {
    return GetWindowThreadProcessId(hwnd, nullptr);
}

namespace {

BOOL CALLBACK collect(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

} // namespace

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> descendants(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> visibleWindowsOf(DWORD pid, const wchar_t* cls) {
    std::vector<HWND> found;
    for (HWND hwnd : topLevelWindows()) {
        if (processOf(hwnd) == pid && IsWindowVisible(hwnd) != FALSE &&
            className(hwnd) == fromWide(cls)) {
            found.push_back(hwnd);
        }
    }
    return found;
}

void requireUsable(HWND hwnd, const ustring& what) {
    if (IsWindowVisible(hwnd) == FALSE) {
        fail(what + u" is not visible");
    }
    for (HWND w = hwnd; w != nullptr; w = GetAncestor(w, GA_PARENT)) {
        if (w == GetDesktopWindow()) {
            break;
        }
        if (IsWindowEnabled(w) == FALSE) {
            fail(what + (w == hwnd ? u" is disabled" : u" is in a disabled window"));
        }
    }
}

LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            timeoutMs, &result) == 0) {
        const DWORD error = GetLastError();
        failWin32(u"message " + number(message) + u" was not answered", error);
    }
    return static_cast<LRESULT>(result);
}

void postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (PostMessageW(hwnd, message, wParam, lParam) == FALSE) {
        failWin32(u"cannot post message " + number(message));
    }
}

} // namespace qdriver
