// The Windows headers, the RAII owners of the handle kinds the Win32 services use, and the
// conversions between the core's types and Windows'. Only the Win32 services' own sources
// (and Windows-only tests) include this; their public headers stay free of <windows.h>.
#pragma once

#include "core/guid.h"
#include "core/text.h"

// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <msctf.h>
#include <objbase.h>
#include <oleauto.h>
#include <rpc.h>
#include <shellapi.h>
#include <shlwapi.h>
// clang-format on

// The service interfaces use the plain names of these calls; the A/W macros would rename
// the methods in any file that sees both.
#undef CreateDirectory
#undef CreateEvent
#undef DeleteFile
#undef LoadKeyboardLayout
#undef MessageBox
#undef ShellExecute
#undef SystemParametersInfo

#include <cstdint>
#include <string>
#include <utility>

namespace quillon::platform::win32 {

// ---- Text ------------------------------------------------------------------------------------

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

// A NUL-terminated copy for the API (string views carry no terminator).
inline std::wstring wide(ustring_view text) {
    return std::wstring(text.begin(), text.end());
}

inline ustring fromWide(const wchar_t* text, std::size_t length) {
    ustring out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(static_cast<char16_t>(text[i]));
    }
    return out;
}

// Up to the first NUL.
inline ustring fromWide(const wchar_t* text) {
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return fromWide(text, length);
}

// What the system says about an error code, without the line break it ends with.
inline ustring errorText(DWORD error) {
    wchar_t buffer[1024] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, error, 0, buffer, 1024, nullptr);
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n')) {
        --length;
    }
    if (length == 0) {
        return u"错误代码 " + fromUtf8(std::to_string(error)) + u"。";
    }
    return fromWide(buffer, length);
}

// ---- Values ----------------------------------------------------------------------------------

inline GUID toGUID(const Guid& g) {
    GUID out{};
    out.Data1 = g.data1;
    out.Data2 = g.data2;
    out.Data3 = g.data3;
    for (std::size_t i = 0; i < 8; ++i) {
        out.Data4[i] = g.data4[i];
    }
    return out;
}

inline Guid fromGUID(const GUID& g) {
    Guid out;
    out.data1 = g.Data1;
    out.data2 = g.Data2;
    out.data3 = g.Data3;
    for (std::size_t i = 0; i < 8; ++i) {
        out.data4[i] = g.Data4[i];
    }
    return out;
}

// Layout handles travel as 64-bit numbers; widening a 32-bit id is the caller's business.
inline HKL toHKL(std::uint64_t hkl) {
    return reinterpret_cast<HKL>(static_cast<std::uintptr_t>(hkl));
}
inline std::uint64_t fromHKL(HKL hkl) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(hkl));
}

// ---- Owners ----------------------------------------------------------------------------------

// A kernel object handle (process, thread, pipe end, event, file). Both null and
// INVALID_HANDLE_VALUE mean "none", since different calls report failure with either.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    void reset() {
        if (*this) {
            ::CloseHandle(h_);
        }
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;
};

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { reset(); }
    RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            reset();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    HKEY get() const { return key_; }
    // For the calls that hand out a new key; the previous one is closed first.
    HKEY* receive() {
        reset();
        return &key_;
    }
    explicit operator bool() const { return key_ != nullptr; }
    void reset() {
        if (key_) {
            ::RegCloseKey(key_);
        }
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

// A directory search of FindFirstFileExW, closed with FindClose.
class FindHandle {
public:
    FindHandle() = default;
    explicit FindHandle(HANDLE h) : h_(h) {}
    ~FindHandle() { reset(); }
    FindHandle(FindHandle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    FindHandle& operator=(FindHandle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
    void reset() {
        if (*this) {
            ::FindClose(h_);
        }
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// A module loaded with LoadLibraryExW; freed when the owner goes.
class Library {
public:
    Library() = default;
    explicit Library(HMODULE module) : module_(module) {}
    ~Library() { reset(); }
    Library(Library&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
    Library& operator=(Library&& other) noexcept {
        if (this != &other) {
            reset();
            module_ = std::exchange(other.module_, nullptr);
        }
        return *this;
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // By its full path in the system folder, so a DLL planted beside the program or in the
    // current folder is never used. The altered search order looks for the DLL's own imports
    // in the system folder first too. Unlike LOAD_LIBRARY_SEARCH_SYSTEM32 this needs nothing
    // newer than the oldest Windows the program can be started on, where it must still be
    // able to say that it does not run there.
    static Library system(const wchar_t* name) {
        wchar_t folder[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return Library();
        }
        const std::wstring path = std::wstring(folder, length) + L"\\" + name;
        return Library(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    }

    HMODULE get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }
    // An exported function as the pointer type `Fn`; null when the module or the export is
    // missing.
    template <typename Fn> Fn function(const char* name) const {
        return module_
                   ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module_, name)))
                   : nullptr;
    }
    void reset() {
        if (module_) {
            ::FreeLibrary(module_);
        }
        module_ = nullptr;
    }

private:
    HMODULE module_ = nullptr;
};

// A COM interface pointer holding one reference.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the calls that hand out a new reference; the previous one is released first.
    T** receive() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_) {
            p_->Release();
        }
        p_ = nullptr;
    }
    template <typename U> ComPtr<U> query(const IID& iid) const {
        ComPtr<U> out;
        if (p_ && FAILED(p_->QueryInterface(iid, reinterpret_cast<void**>(out.receive())))) {
            out.reset();
        }
        return out;
    }

private:
    T* p_ = nullptr;
};

// A BSTR the callee allocated.
class Bstr {
public:
    Bstr() = default;
    ~Bstr() { reset(); }
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            reset();
            s_ = std::exchange(other.s_, nullptr);
        }
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR* receive() {
        reset();
        return &s_;
    }
    BSTR get() const { return s_; }
    ustring text() const { return s_ ? fromWide(s_, ::SysStringLen(s_)) : ustring(); }
    void reset() {
        if (s_) {
            ::SysFreeString(s_);
        }
        s_ = nullptr;
    }

private:
    BSTR s_ = nullptr;
};

} // namespace quillon::platform::win32
