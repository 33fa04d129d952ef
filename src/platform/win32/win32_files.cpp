#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

#include <algorithm>

namespace quillon::platform {

namespace {

using win32::errorText;
using win32::Handle;
using win32::wide;

// ReadFile and WriteFile move at most a DWORD's worth at a time.
constexpr std::size_t kChunkBytes = std::size_t{1} << 30;

// The folder part of a path with its separator: up to the last "\", "/" or ":"; empty for a
// bare name, which is in the current folder.
std::wstring folderOf(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L"\\/:");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

// The new content on its way: removed again unless it has taken the target's place.
class NewContent {
public:
    NewContent() = default;
    NewContent(const NewContent&) = delete;
    NewContent& operator=(const NewContent&) = delete;
    ~NewContent() {
        file.reset();
        if (!path.empty()) {
            ::DeleteFileW(path.c_str());
        }
    }

    std::wstring path;
    Handle file;
};

FileWrite failed(FileWrite::Failure stage, DWORD error) {
    return FileWrite{stage, errorText(error)};
}

// The lock is the open handle: no one else can open the file until it is closed.
class Win32FileLock : public FileLock {
public:
    explicit Win32FileLock(Handle file) : file_(std::move(file)) {}

private:
    Handle file_;
};

// How long a lock another process holds is waited for, in steps: a backup holds it for the
// time of one listing and one write.
constexpr DWORD kLockWaitMs = 5000;
constexpr DWORD kLockStepMs = 20;

} // namespace

LockedFile Win32Files::LockFile(ustring_view path) {
    const std::wstring name = wide(path);
    for (DWORD waited = 0;; waited += kLockStepMs) {
        Handle file(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            return LockedFile{std::make_unique<Win32FileLock>(std::move(file)), {}};
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_SHARING_VIOLATION || waited >= kLockWaitMs) {
            return LockedFile{nullptr, errorText(error)};
        }
        ::Sleep(kLockStepMs);
    }
}

FileContent Win32Files::ReadFile(ustring_view path) {
    const Handle file(::CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return FileContent{false, {}, errorText(::GetLastError())};
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        return FileContent{false, {}, errorText(::GetLastError())};
    }
    if (size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > std::string().max_size()) {
        return FileContent{false, {}, errorText(ERROR_NOT_ENOUGH_MEMORY)};
    }
    FileContent content;
    content.bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < content.bytes.size()) {
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(content.bytes.size() - done, kChunkBytes));
        DWORD read = 0;
        if (!::ReadFile(file.get(), content.bytes.data() + done, want, &read, nullptr)) {
            return FileContent{false, {}, errorText(::GetLastError())};
        }
        if (read == 0) {
            content.bytes.resize(done); // the file shrank meanwhile
            break;
        }
        done += read;
    }
    content.read = true;
    return content;
}

FileWrite Win32Files::WriteFile(ustring_view path, std::string_view bytes) {
    const std::wstring target = wide(path);
    const std::wstring folder = folderOf(target);
    // Windows refuses to rename over a read-only file; Wine would not, so it is asked here.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return failed(FileWrite::Failure::Replace, ERROR_ACCESS_DENIED);
    }

    // A name of its own in the target's folder (so that the final rename stays on one volume);
    // CREATE_NEW never takes over a file that is already there.
    NewContent content;
    DWORD error = ERROR_FILE_EXISTS;
    const DWORD seed = ::GetCurrentProcessId() * 0x10000u + (::GetTickCount() & 0xFFFFu);
    for (DWORD attempt = 0; attempt < 64; ++attempt) {
        const std::wstring candidate =
            folder + L"~quillon-" + wide(hexText(seed + attempt, 8)) + L".tmp";
        content.file = Handle(::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (content.file) {
            content.path = candidate;
            break;
        }
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    if (!content.file) {
        return failed(FileWrite::Failure::NewFile, error);
    }

    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kChunkBytes));
        DWORD written = 0;
        if (!::WriteFile(content.file.get(), bytes.data() + done, want, &written, nullptr)) {
            return failed(FileWrite::Failure::NewFile, ::GetLastError());
        }
        if (written == 0) {
            return failed(FileWrite::Failure::NewFile, ERROR_WRITE_FAULT);
        }
        done += written;
    }
    if (!::FlushFileBuffers(content.file.get())) {
        return failed(FileWrite::Failure::NewFile, ::GetLastError());
    }
    content.file.reset();

    if (!::MoveFileExW(content.path.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return failed(FileWrite::Failure::Replace, ::GetLastError());
    }
    content.path.clear(); // it is the target now
    return FileWrite{};
}

bool Win32Files::FileExists(ustring_view path) {
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<ustring> Win32Files::FullPathName(ustring_view path) {
    const std::wstring name = wide(path);
    if (name.empty()) {
        return std::nullopt;
    }
    // The first call tells the length; the folder could change in between, so ask until the
    // buffer is large enough.
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return std::nullopt;
        }
        if (length < full.size()) {
            return win32::fromWide(full.data(), length);
        }
        full.assign(length, L'\0');
    }
}

bool Win32Files::DirectoryExists(ustring_view path) {
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32Files::CreateDirectory(ustring_view path) {
    if (::CreateDirectoryW(wide(path).c_str(), nullptr)) {
        return true;
    }
    return ::GetLastError() == ERROR_ALREADY_EXISTS && DirectoryExists(path);
}

StringList Win32Files::FileNames(ustring_view folder) {
    StringList names;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = wide(folder) + L"\\*";
    win32::FindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                                FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        return names;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(win32::fromWide(found.cFileName));
        }
    } while (::FindNextFileW(search.get(), &found));
    return names;
}

bool Win32Files::DeleteFile(ustring_view path) {
    return ::DeleteFileW(wide(path).c_str()) != FALSE;
}

} // namespace quillon::platform
