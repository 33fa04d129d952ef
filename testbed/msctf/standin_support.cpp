#include "standin_support.h"

#include "platform/win32/win32_handles.h"

#include <utility>

namespace quillon::testbed {

ustring guidText(const GUID& g) {
    return guidToText(platform::win32::fromGUID(g));
}

RegKey::~RegKey() {
    reset();
}

RegKey::RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        reset();
        key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
}

void RegKey::reset() {
    if (key_ != nullptr) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

RegKey RegKey::open(HKEY root, const ustring& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wide(path), 0, access, &key) != ERROR_SUCCESS) {
        return RegKey();
    }
    return RegKey(key);
}

RegKey RegKey::create(HKEY root, const ustring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, wide(path), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return RegKey();
    }
    return RegKey(key);
}

std::vector<ustring> RegKey::subKeyNames() const {
    std::vector<ustring> names;
    if (key_ == nullptr) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD size = 256;
        const LONG rc = RegEnumKeyExW(key_, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) {
            break;
        }
        names.push_back(fromWide(name));
    }
    return names;
}

std::vector<ustring> RegKey::valueNames() const {
    std::vector<ustring> names;
    if (key_ == nullptr) {
        return names;
    }
    for (DWORD index = 0;; ++index) {
        // Value names may be up to 16383 characters.
        std::wstring name(16384, L'\0');
        DWORD size = static_cast<DWORD>(name.size());
        const LONG rc =
            RegEnumValueW(key_, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) {
            break;
        }
        names.push_back(fromWide(name.c_str()));
    }
    return names;
}

std::optional<std::uint32_t> RegKey::readDword(const ustring& name) const {
    if (key_ == nullptr) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(key_, wide(name), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return std::nullopt;
    }
    return value;
}

namespace {

// The raw UTF-16 units of a string-typed value, without a trailing partial unit.
std::optional<ustring> readUnits(HKEY key, const ustring& name, DWORD wantedType) {
    if (key == nullptr) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const bool typeOk = type == wantedType || (wantedType == REG_SZ && type == REG_EXPAND_SZ);
    if (!typeOk) {
        return std::nullopt;
    }
    ustring units(size / 2 + 1, u'\0');
    DWORD got = size;
    if (RegQueryValueExW(key, wide(name), nullptr, &type, reinterpret_cast<BYTE*>(units.data()),
                         &got) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    units.resize(got / 2);
    return units;
}

} // namespace

std::optional<ustring> RegKey::readString(const ustring& name) const {
    auto units = readUnits(key_, name, REG_SZ);
    if (!units) {
        return std::nullopt;
    }
    const auto end = units->find(u'\0');
    if (end != ustring::npos) {
        units->resize(end);
    }
    return units;
}

std::vector<ustring> RegKey::readMultiString(const ustring& name) const {
    std::vector<ustring> items;
    const auto units = readUnits(key_, name, REG_MULTI_SZ);
    if (!units) {
        return items;
    }
    ustring current;
    for (const char16_t c : *units) {
        if (c != u'\0') {
            current.push_back(c);
        } else if (!current.empty()) {
            items.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) {
        items.push_back(current);
    }
    return items;
}

bool RegKey::writeDword(const ustring& name, std::uint32_t value) const {
    const DWORD data = value;
    return key_ != nullptr &&
           RegSetValueExW(key_, wide(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data)) == ERROR_SUCCESS;
}

bool RegKey::writeString(const ustring& name, const ustring& text) const {
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
    return key_ != nullptr &&
           RegSetValueExW(key_, wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool RegKey::writeMultiString(const ustring& name, const std::vector<ustring>& items) const {
    ustring data;
    for (const auto& item : items) {
        data += item;
        data.push_back(u'\0');
    }
    data.push_back(u'\0');
    const auto bytes = static_cast<DWORD>(data.size() * sizeof(char16_t));
    return key_ != nullptr &&
           RegSetValueExW(key_, wide(name), 0, REG_MULTI_SZ,
                          reinterpret_cast<const BYTE*>(data.data()), bytes) == ERROR_SUCCESS;
}

bool RegKey::deleteValue(const ustring& name) const {
    if (key_ == nullptr) {
        return false;
    }
    const LONG rc = RegDeleteValueW(key_, wide(name));
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool keyExists(HKEY root, const ustring& path) {
    return static_cast<bool>(RegKey::open(root, path));
}

bool deleteTree(HKEY root, const ustring& path) {
    const LONG rc = RegDeleteTreeW(root, wide(path));
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    // RegDeleteTreeW empties the key; the key itself goes with RegDeleteKeyW.
    const LONG rc2 = RegDeleteKeyW(root, wide(path));
    return rc2 == ERROR_SUCCESS || rc2 == ERROR_FILE_NOT_FOUND;
}

Handle::Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}

Handle::~Handle() {
    reset();
}

Handle::Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        reset();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void Handle::reset() {
    if (handle_ != nullptr) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

ustring logFolder() {
    return u"C:\\quillon-testbed";
}

ustring logPath(const ustring& fileName) {
    return logFolder() + u"\\" + fileName;
}

void appendLogLine(const ustring& fileName, std::string_view utf8Line) {
    CreateDirectoryW(wide(logFolder()), nullptr);
    const Handle mutex(CreateMutexW(nullptr, FALSE, L"Local\\QuillonTestBedLogs"));
    // A stand-in must never hang its caller: after a while the line is written unguarded.
    const DWORD wait = mutex ? WaitForSingleObject(mutex.get(), 5000) : WAIT_FAILED;
    const bool owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    {
        const Handle file(CreateFileW(wide(logPath(fileName)), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            std::string line(utf8Line);
            line.push_back('\n');
            SetFilePointer(file.get(), 0, nullptr, FILE_END);
            DWORD written = 0;
            WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        }
    }
    if (owned) {
        ReleaseMutex(mutex.get());
    }
}

} // namespace quillon::testbed
