#include "platform/win32/win32_registry.h"

#include "platform/win32/win32_handles.h"

#include <algorithm>

namespace quillon::platform {

namespace {

using win32::RegKey;
using win32::wide;

HKEY rootOf(Hive hive) {
    return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

RegStatus statusOf(LSTATUS status) {
    switch (status) {
    case ERROR_SUCCESS:
        return RegStatus::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    // A key deleted while a handle to it was still open.
    case ERROR_KEY_DELETED:
        return RegStatus::NotFound;
    case ERROR_ACCESS_DENIED:
        return RegStatus::AccessDenied;
    default:
        return RegStatus::Failed;
    }
}

LSTATUS openExisting(Hive hive, ustring_view path, REGSAM access, RegKey& key) {
    return ::RegOpenKeyExW(rootOf(hive), wide(normalizeKeyPath(path)).c_str(), 0, access,
                           key.receive());
}

bool isStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// For string types Windows (and Wine) look at the unit just past the data and, when the data
// lacks its terminating NUL and that unit is zero, store one more unit. A non-zero unit there
// keeps the stored bytes exactly the bytes given.
LSTATUS setOne(HKEY key, ustring_view name, const RegValue& value) {
    std::vector<std::uint8_t> buffer(value.data);
    if (isStringType(value.type)) {
        buffer.insert(buffer.end(), {0xFF, 0xFF, 0xFF});
    } else if (buffer.empty()) {
        buffer.push_back(0); // a valid pointer for a zero-length value
    }
    return ::RegSetValueExW(key, wide(name).c_str(), 0, value.type, buffer.data(),
                            static_cast<DWORD>(value.data.size()));
}

std::vector<ustring> enumerateSubKeys(HKEY key) {
    std::vector<ustring> names;
    // Key names are at most 255 units.
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.push_back(win32::fromWide(name, length));
    }
    return names;
}

// Every value with its data, one RegEnumValueW each; a value larger than the buffer is read
// again at the same index with room for it.
NamedValues enumerateValues(HKEY key) {
    NamedValues found;
    // Value names are at most 16383 units.
    std::wstring name(16384, L'\0');
    std::vector<BYTE> data(1024);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LSTATUS status =
            ::RegEnumValueW(key, index, name.data(), &length, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(std::max<std::size_t>(size, data.size() * 2));
            continue;
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        RegValue value;
        value.type = type;
        value.data.assign(data.begin(), data.begin() + size);
        found.emplace_back(win32::fromWide(name.data(), length), std::move(value));
        ++index;
    }
    return found;
}

} // namespace

RegStatus Win32Registry::openKey(Hive hive, ustring_view path, bool create) {
    RegKey key;
    if (!create) {
        return statusOf(openExisting(hive, path, KEY_ALL_ACCESS, key));
    }
    // Creates the missing parents as well, and opens an existing key as it is.
    return statusOf(::RegCreateKeyExW(rootOf(hive), wide(normalizeKeyPath(path)).c_str(), 0,
                                      nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                      key.receive(), nullptr));
}

bool Win32Registry::keyExists(Hive hive, ustring_view path) {
    RegKey key;
    return openExisting(hive, path, KEY_READ, key) == ERROR_SUCCESS;
}

std::optional<RegValue> Win32Registry::queryValue(Hive hive, ustring_view path, ustring_view name) {
    RegKey key;
    if (openExisting(hive, path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::wstring valueName = wide(name);
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status =
        ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
    RegValue value;
    // The value can grow between the size query and the read; then ask again.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        value.data.resize(size);
        // Never hand over a null buffer: that would ask for the size only.
        BYTE dummy = 0;
        BYTE* buffer = value.data.empty() ? &dummy : value.data.data();
        status = ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, buffer, &size);
        if (status == ERROR_SUCCESS) {
            value.data.resize(size);
            value.type = type;
            return value;
        }
    }
    return std::nullopt;
}

RegStatus Win32Registry::setValue(Hive hive, ustring_view path, ustring_view name,
                                  const RegValue& value) {
    RegKey key;
    const LSTATUS opened = openExisting(hive, path, KEY_SET_VALUE, key);
    if (opened != ERROR_SUCCESS) {
        return statusOf(opened);
    }
    return statusOf(setOne(key.get(), name, value));
}

RegStatus Win32Registry::deleteValue(Hive hive, ustring_view path, ustring_view name) {
    RegKey key;
    const LSTATUS opened = openExisting(hive, path, KEY_SET_VALUE, key);
    if (opened != ERROR_SUCCESS) {
        return statusOf(opened);
    }
    return statusOf(::RegDeleteValueW(key.get(), wide(name).c_str()));
}

RegStatus Win32Registry::deleteKeyTree(Hive hive, ustring_view path) {
    const ustring normal = normalizeKeyPath(path);
    if (normal.empty()) {
        return RegStatus::NotFound; // the hive itself is never deleted
    }
    RegKey key;
    const LSTATUS opened = openExisting(
        hive, normal, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE, key);
    if (opened != ERROR_SUCCESS) {
        return statusOf(opened);
    }
    // Empties the key (sub-keys and values); the key itself goes with RegDeleteKeyW.
    const LSTATUS emptied = ::RegDeleteTreeW(key.get(), nullptr);
    if (emptied != ERROR_SUCCESS) {
        return statusOf(emptied);
    }
    key.reset();
    return statusOf(::RegDeleteKeyW(rootOf(hive), wide(normal).c_str()));
}

std::vector<ustring> Win32Registry::subKeyNames(Hive hive, ustring_view path) {
    RegKey key;
    if (openExisting(hive, path, KEY_ENUMERATE_SUB_KEYS, key) != ERROR_SUCCESS) {
        return {};
    }
    return enumerateSubKeys(key.get());
}

std::vector<ustring> Win32Registry::valueNames(Hive hive, ustring_view path) {
    std::vector<ustring> names;
    RegKey key;
    if (openExisting(hive, path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) {
        return names;
    }
    // Value names are at most 16383 units.
    std::wstring name(16384, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        if (::RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.push_back(win32::fromWide(name.data(), length));
    }
    return names;
}

std::optional<NamedValues> Win32Registry::values(Hive hive, ustring_view path) {
    RegKey key;
    if (openExisting(hive, path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return enumerateValues(key.get());
}

std::optional<KeyContents> Win32Registry::readKey(Hive hive, ustring_view path) {
    RegKey key;
    if (openExisting(hive, path, KEY_READ, key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    KeyContents contents;
    contents.values = enumerateValues(key.get());
    contents.subKeys = enumerateSubKeys(key.get());
    return contents;
}

ChangesMade Win32Registry::changeValues(Hive hive, ustring_view path, bool create,
                                        const std::vector<ValueChange>& changes) {
    ChangesMade made;
    RegKey key;
    const ustring normal = normalizeKeyPath(path);
    // The hive itself is opened, never created.
    const LSTATUS opened = create && !normal.empty()
                               ? ::RegCreateKeyExW(rootOf(hive), wide(normal).c_str(), 0, nullptr,
                                                   REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                                                   key.receive(), nullptr)
                               : openExisting(hive, normal, KEY_SET_VALUE, key);
    made.open = statusOf(opened);
    if (opened != ERROR_SUCCESS) {
        return made;
    }
    for (const ValueChange& change : changes) {
        const LSTATUS status = change.value
                                   ? setOne(key.get(), change.name, *change.value)
                                   : ::RegDeleteValueW(key.get(), wide(change.name).c_str());
        if (status != ERROR_SUCCESS) {
            made.failure = statusOf(status);
            break;
        }
        ++made.done;
    }
    return made;
}

} // namespace quillon::platform
