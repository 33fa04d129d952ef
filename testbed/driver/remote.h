// Reaching into the driven process: its memory, for the control messages that carry pointers
// (list views, status bars, split buttons), and its UI thread, through qdriver-hook.dll.
#pragma once

#include "handles.h"
#include "hook_protocol.h"
#include "win.h"

#include <cstring>
#include <vector>

namespace qdriver {

class Process {
public:
    explicit Process(DWORD pid);

    DWORD id() const { return pid_; }
    RemoteMemory allocate(std::size_t size) const;
    void write(const RemoteMemory& memory, std::size_t offset, const void* data,
               std::size_t size) const;
    void read(const RemoteMemory& memory, std::size_t offset, void* data, std::size_t size) const;

    template <typename T>
    void put(const RemoteMemory& memory, std::size_t offset, const T& value) const {
        write(memory, offset, &value, sizeof(T));
    }
    template <typename T> T get(const RemoteMemory& memory, std::size_t offset) const {
        T value{};
        read(memory, offset, &value, sizeof(T));
        return value;
    }
    // A UTF-16 text of `length` code units at `offset`.
    ustring text(const RemoteMemory& memory, std::size_t offset, std::size_t length) const;

private:
    DWORD pid_;
    KernelHandle handle_;
};

// The address of a place inside remote memory, as the other process sees it.
inline LPARAM remoteAddress(const RemoteMemory& memory, std::size_t offset = 0) {
    return reinterpret_cast<LPARAM>(static_cast<char*>(memory.address()) + offset);
}

struct MenuEntry {
    int index = 0;
    UINT id = 0;
    UINT type = 0;
    UINT state = 0;
    bool submenu = false;
    ustring text;

    bool separator() const { return (type & MFT_SEPARATOR) != 0; }
    bool enabled() const { return (state & MFS_DISABLED) == 0; }
    bool checked() const { return (state & MFS_CHECKED) != 0; }
    bool highlighted() const { return (state & MFS_HILITE) != 0; }
};

// qdriver-hook.dll hooked into one UI thread for as long as this object lives.
class ThreadHook {
public:
    explicit ThreadHook(DWORD threadId);

    // Returns once the thread has taken from its queue everything posted to it before (the
    // posted input has been handled, or its handler now runs a modal loop of its own). A
    // `window` that goes away meanwhile counts as done.
    void sync(HWND window, DWORD timeoutMs);
    std::vector<MenuEntry> menuItems(HWND window, HMENU menu, DWORD timeoutMs);
    std::vector<MenuEntry> systemMenuItems(HWND window, DWORD timeoutMs);

private:
    // Posts a request to `window`; false when the window went away before it was answered.
    bool request(HWND window, hook::Kind kind, std::uint64_t handle, DWORD timeoutMs);
    std::vector<MenuEntry> entries() const;

    Library library_;
    KernelHandle mapping_;
    MappedView view_;
    KernelHandle event_;
    WindowsHook hook_;
    UINT message_ = 0;
    LONG sequence_ = 0;
};

} // namespace qdriver
