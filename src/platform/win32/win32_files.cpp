#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

#include <algorithm>

namespace quillon::platform {

namespace {

using win32::Handle;
using win32::wide;

// ReadFile and WriteFile move at most a DWORD's worth at a time.
constexpr std::size_t kChunkBytes = std::size_t{1} << 30;

} // namespace

std::optional<std::string> Win32Files::ReadFile(ustring_view path) {
    const Handle file(::CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > std::string().max_size()) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kChunkBytes));
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, want, &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            bytes.resize(done); // the file shrank meanwhile
            break;
        }
        done += read;
    }
    return bytes;
}

bool Win32Files::WriteFile(ustring_view path, std::string_view bytes) {
    const Handle file(::CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kChunkBytes));
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, want, &written, nullptr) ||
            written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool Win32Files::FileExists(ustring_view path) {
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace quillon::platform
