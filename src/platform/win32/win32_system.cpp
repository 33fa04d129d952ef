#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

#include <vector>

namespace quillon::platform {

namespace {

using win32::errorText;
using win32::fromWide;
using win32::wide;

ustring fromCodePage(UINT codePage, const char* bytes, std::size_t size) {
    if (size == 0) {
        return {};
    }
    const int count = static_cast<int>(size);
    const int length = ::MultiByteToWideChar(codePage, 0, bytes, count, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::vector<wchar_t> text(static_cast<std::size_t>(length));
    ::MultiByteToWideChar(codePage, 0, bytes, count, text.data(), length);
    return fromWide(text.data(), text.size());
}

} // namespace

std::uint32_t Win32System::VersionMajor() {
    // The plain record (276 bytes), not the extended one: only the major number is wanted.
    OSVERSIONINFOW info{};
    static_assert(sizeof(info) == 276, "OSVERSIONINFOW");
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExW(&info)) {
        return 0;
    }
    return info.dwMajorVersion;
}

std::uint32_t Win32System::SystemDefaultLcid() {
    return ::GetSystemDefaultLCID();
}

ustring Win32System::CommandLine() {
    return fromWide(::GetCommandLineW());
}

std::uint32_t Win32System::TickCount() {
    return ::GetTickCount();
}

LocalTime Win32System::LocalNow() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

// The environment variable Windows sets at logon from the user's known folder: read without
// shell32, which the program loads only when a dialog needs it.
ustring Win32System::LocalAppData() {
    std::wstring value(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(),
                                                       static_cast<DWORD>(value.size()));
        if (length == 0) {
            return {};
        }
        if (length < value.size()) {
            value.resize(length);
            break;
        }
        value.resize(length);
    }
    while (!value.empty() && value.back() == L'\\') {
        value.pop_back();
    }
    return fromWide(value.c_str());
}

bool Win32System::SystemParametersInfo(std::uint32_t action, std::uint32_t param,
                                       std::uint32_t winIni) {
    return ::SystemParametersInfoW(action, param, nullptr, winIni) != FALSE;
}

Guid Win32System::UuidCreate() {
    UUID uuid{};
    ::UuidCreate(&uuid);
    return win32::fromGUID(uuid);
}

IndirectString Win32System::SHLoadIndirectString(ustring_view source) {
    std::vector<wchar_t> buffer(4096, L'\0');
    IndirectString out;
    out.result = ::SHLoadIndirectString(wide(source).c_str(), buffer.data(),
                                        static_cast<UINT>(buffer.size()), nullptr);
    if (out.result != S_OK) {
        // The function reports through its result and need not set the last error; a message
        // saying the operation succeeded would explain nothing.
        const DWORD lastError = ::GetLastError();
        out.errorMessage =
            errorText(lastError != ERROR_SUCCESS ? lastError : static_cast<DWORD>(out.result));
        return out;
    }
    buffer.back() = L'\0';
    out.text = fromWide(buffer.data());
    return out;
}

ustring Win32System::OemToText(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    // OemToCharBuffA takes a count, so NUL bytes in the output do not cut it short.
    std::string ansi(bytes.size(), '\0');
    ::OemToCharBuffA(std::string(bytes).c_str(), ansi.data(), static_cast<DWORD>(bytes.size()));
    return fromCodePage(CP_ACP, ansi.data(), ansi.size());
}

std::string Win32System::TextToAnsi(ustring_view text) {
    if (text.empty()) {
        return {};
    }
    const std::wstring source = wide(text);
    const int count = static_cast<int>(source.size());
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, source.c_str(), count, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, source.c_str(), count, out.data(), size, nullptr, nullptr);
    return out;
}

ustring Win32System::AnsiToText(std::string_view bytes) {
    return fromCodePage(CP_ACP, bytes.data(), bytes.size());
}

} // namespace quillon::platform
