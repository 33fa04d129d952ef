#include "remote.h"

#include <array>

namespace qdriver {

Process::Process(DWORD pid)
    : pid_(pid), handle_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                         PROCESS_QUERY_INFORMATION,
                                     FALSE, pid)) {
    if (!handle_) {
        failWin32(u"cannot open process " + number(pid));
    }
}

RemoteMemory Process::allocate(std::size_t size) const {
    void* address =
        VirtualAllocEx(handle_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (address == nullptr) {
        failWin32(u"cannot allocate memory in process " + number(pid_));
    }
    return RemoteMemory(handle_.get(), address, size);
}

void Process::write(const RemoteMemory& memory, std::size_t offset, const void* data,
                    std::size_t size) const {
    if (offset + size > memory.size()) {
        fail(u"write past the end of remote memory");
    }
    SIZE_T written = 0;
    if (WriteProcessMemory(handle_.get(), static_cast<char*>(memory.address()) + offset, data, size,
                           &written) == FALSE ||
        written != size) {
        failWin32(u"cannot write to process " + number(pid_));
    }
}

void Process::read(const RemoteMemory& memory, std::size_t offset, void* data,
                   std::size_t size) const {
    if (offset + size > memory.size()) {
        fail(u"read past the end of remote memory");
    }
    SIZE_T done = 0;
    if (ReadProcessMemory(handle_.get(), static_cast<char*>(memory.address()) + offset, data, size,
                          &done) == FALSE ||
        done != size) {
        failWin32(u"cannot read from process " + number(pid_));
    }
}

ustring Process::text(const RemoteMemory& memory, std::size_t offset, std::size_t length) const {
    std::vector<wchar_t> buffer(length + 1, L'\0');
    read(memory, offset, buffer.data(), length * sizeof(wchar_t));
    return fromWide(buffer.data());
}

namespace {

// The hook DLL lies beside qdriver.exe.
ustring hookPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            failWin32(u"GetModuleFileNameW failed");
        }
        if (length < buffer.size()) {
            ustring path = fromWide(buffer.data(), length);
            path.erase(path.find_last_of(u"\\/") + 1);
            return path + fromWide(hook::kDllName);
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

ThreadHook::ThreadHook(DWORD threadId) {
    const ustring path = hookPath();
    library_ = Library(LoadLibraryW(wide(path)));
    if (!library_) {
        failWin32(u"cannot load " + path);
    }
    const auto proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(library_.get(), hook::kGetMessageProc)));
    if (proc == nullptr) {
        failWin32(path + u" has no hook procedure");
    }
    message_ = RegisterWindowMessageW(hook::kRequestMessage);
    if (message_ == 0) {
        failWin32(u"RegisterWindowMessageW failed");
    }

    wchar_t name[64];
    hook::sharedName(name, GetCurrentProcessId());
    mapping_ = KernelHandle(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                               sizeof(hook::Shared), name));
    if (!mapping_) {
        failWin32(u"cannot create the shared memory");
    }
    view_ = MappedView(
        MapViewOfFile(mapping_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(hook::Shared)));
    if (!view_) {
        failWin32(u"cannot map the shared memory");
    }
    static_cast<hook::Shared*>(view_.get())->answered = 0;
    hook::eventName(name, GetCurrentProcessId());
    event_ = KernelHandle(CreateEventW(nullptr, FALSE, FALSE, name));
    if (!event_) {
        failWin32(u"cannot create the answer event");
    }
    hook_ = WindowsHook(SetWindowsHookExW(WH_GETMESSAGE, proc, library_.get(), threadId));
    if (!hook_) {
        failWin32(u"cannot hook thread " + number(threadId));
    }
}

bool ThreadHook::request(HWND window, hook::Kind kind, std::uint64_t handle, DWORD timeoutMs) {
    auto& shared = *static_cast<hook::Shared*>(view_.get());
    const LONG sequence = ++sequence_;
    shared.kind = static_cast<std::uint32_t>(kind);
    shared.handle = handle;
    shared.status = 0;
    shared.count = 0;
    if (PostMessageW(window, message_, GetCurrentProcessId(), sequence) == FALSE) {
        // The input before it may have closed the window; that is what it was waiting for.
        if (IsWindow(window) == FALSE) {
            return false;
        }
        failWin32(u"cannot post to the program's window");
    }
    const ULONGLONG start = GetTickCount64();
    while (shared.answered != sequence) {
        if (IsWindow(window) == FALSE) {
            return false;
        }
        if (GetTickCount64() - start >= timeoutMs) {
            fail(u"the program did not take its messages within " + number(timeoutMs) +
                 u" ms (busy without a message loop?)");
        }
        WaitForSingleObject(event_.get(), 50);
    }
    if (shared.status != 0) {
        failWin32(u"the request failed inside the program", static_cast<DWORD>(shared.status));
    }
    return true;
}

void ThreadHook::sync(HWND window, DWORD timeoutMs) {
    request(window, hook::Kind::Marker, 0, timeoutMs);
}

std::vector<MenuEntry> ThreadHook::entries() const {
    const auto& shared = *static_cast<const hook::Shared*>(view_.get());
    std::vector<MenuEntry> items;
    for (std::uint32_t i = 0; i < shared.count && i < hook::kMaxItems; ++i) {
        const hook::MenuItem& item = shared.items[i];
        MenuEntry entry;
        entry.index = static_cast<int>(i);
        entry.id = item.id;
        entry.type = item.type;
        entry.state = item.state;
        entry.submenu = item.hasSubmenu != 0;
        std::array<wchar_t, hook::kMaxText + 1> text{};
        std::memcpy(text.data(), item.text, sizeof(item.text));
        entry.text = fromWide(text.data());
        items.push_back(std::move(entry));
    }
    return items;
}

std::vector<MenuEntry> ThreadHook::menuItems(HWND window, HMENU menu, DWORD timeoutMs) {
    if (!request(window, hook::Kind::MenuItems, reinterpret_cast<std::uintptr_t>(menu),
                 timeoutMs)) {
        fail(u"the menu closed while it was being read");
    }
    return entries();
}

std::vector<MenuEntry> ThreadHook::systemMenuItems(HWND window, DWORD timeoutMs) {
    if (!request(window, hook::Kind::SystemMenuItems, reinterpret_cast<std::uintptr_t>(window),
                 timeoutMs)) {
        fail(u"the window closed while its system menu was being read");
    }
    return entries();
}

} // namespace qdriver
