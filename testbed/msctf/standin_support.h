// Win32 plumbing shared by the test-bed stand-ins and their test: owned registry keys and
// handles, the GUID bridge to the core's text forms, and the append-only call logs.
#pragma once

#include "core/guid.h"
#include "core/text.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::testbed {

// wchar_t is 16-bit on Windows, so the core's UTF-16 text is passed through unchanged.
inline const wchar_t* wide(const ustring& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline ustring fromWide(const wchar_t* text) {
    return text == nullptr ? ustring() : ustring(reinterpret_cast<const char16_t*>(text));
}

// "{XXXXXXXX-...}" in upper case.
ustring guidText(const GUID& g);

class RegKey {
public:
    RegKey() = default;
    ~RegKey();
    RegKey(RegKey&& other) noexcept;
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // An empty key when the path does not exist or cannot be opened with `access`.
    static RegKey open(HKEY root, const ustring& path, REGSAM access = KEY_READ);
    // Opens or creates the path with full access; empty on failure.
    static RegKey create(HKEY root, const ustring& path);

    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

    // Names in the registry's enumeration order; empty for an empty key object.
    std::vector<ustring> subKeyNames() const;
    std::vector<ustring> valueNames() const;

    // Nothing when the value is missing or of another type.
    std::optional<std::uint32_t> readDword(const ustring& name) const;
    std::optional<ustring> readString(const ustring& name) const;
    // The non-empty strings of a REG_MULTI_SZ value, in order.
    std::vector<ustring> readMultiString(const ustring& name) const;

    bool writeDword(const ustring& name, std::uint32_t value) const;
    bool writeString(const ustring& name, const ustring& text) const;
    bool writeMultiString(const ustring& name, const std::vector<ustring>& items) const;
    // True when the value is gone afterwards (also when it never existed).
    bool deleteValue(const ustring& name) const;

private:
    explicit RegKey(HKEY key) : key_(key) {}
    void reset();
    HKEY key_ = nullptr;
};

bool keyExists(HKEY root, const ustring& path);
// Removes the key and everything below it; true when it is gone afterwards.
bool deleteTree(HKEY root, const ustring& path);

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle);
    ~Handle();
    Handle(Handle&& other) noexcept;
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    void reset();
    HANDLE handle_ = nullptr;
};

// C:\quillon-testbed, where the stand-ins leave their call logs.
ustring logFolder();
ustring logPath(const ustring& fileName);
// Appends one line (a LF is added) to the named log in the log folder. Several stand-in
// processes may write at once, so each line is written whole under a named mutex.
void appendLogLine(const ustring& fileName, std::string_view utf8Line);

} // namespace quillon::testbed
