// Owners for the Win32 handles the window driver and its hook use. Each kind of handle gets its
// own move-only type, so a handle can only be released the way its kind requires.
#pragma once

#include <windows.h>

#include <cstddef>
#include <utility>

namespace qdriver {

template <typename Traits> class Unique {
public:
    using Value = typename Traits::Value;

    Unique() = default;
    explicit Unique(Value value) : value_(value) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Traits::invalid())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = std::exchange(other.value_, Traits::invalid());
        }
        return *this;
    }
    ~Unique() { reset(); }

    Value get() const { return value_; }
    explicit operator bool() const { return Traits::valid(value_); }
    void reset() {
        if (Traits::valid(value_)) {
            Traits::close(value_);
        }
        value_ = Traits::invalid();
    }

private:
    Value value_ = Traits::invalid();
};

struct KernelHandleTraits {
    using Value = HANDLE;
    static Value invalid() { return nullptr; }
    static bool valid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
    static void close(Value v) { CloseHandle(v); }
};
struct MappedViewTraits {
    using Value = void*;
    static Value invalid() { return nullptr; }
    static bool valid(Value v) { return v != nullptr; }
    static void close(Value v) { UnmapViewOfFile(v); }
};
struct LibraryTraits {
    using Value = HMODULE;
    static Value invalid() { return nullptr; }
    static bool valid(Value v) { return v != nullptr; }
    static void close(Value v) { FreeLibrary(v); }
};
struct HookTraits {
    using Value = HHOOK;
    static Value invalid() { return nullptr; }
    static bool valid(Value v) { return v != nullptr; }
    static void close(Value v) { UnhookWindowsHookEx(v); }
};

// Processes, events and file mappings: everything CloseHandle ends.
using KernelHandle = Unique<KernelHandleTraits>;
using MappedView = Unique<MappedViewTraits>;
using Library = Unique<LibraryTraits>;
using WindowsHook = Unique<HookTraits>;

// Memory allocated inside another process. It borrows the process handle, which must outlive it.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, void* address, std::size_t size)
        : process_(process), address_(address), size_(size) {}
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    RemoteMemory(RemoteMemory&& other) noexcept
        : process_(other.process_), address_(std::exchange(other.address_, nullptr)),
          size_(other.size_) {}
    RemoteMemory& operator=(RemoteMemory&& other) noexcept {
        if (this != &other) {
            free();
            process_ = other.process_;
            address_ = std::exchange(other.address_, nullptr);
            size_ = other.size_;
        }
        return *this;
    }
    ~RemoteMemory() { free(); }

    void* address() const { return address_; }
    std::size_t size() const { return size_; }
    // Leaves the memory to the other process: for a message it may still read after we gave up
    // waiting for it.
    void abandon() { address_ = nullptr; }

private:
    void free() {
        if (address_ != nullptr) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
            address_ = nullptr;
        }
    }

    HANDLE process_;
    void* address_;
    std::size_t size_;
};

} // namespace qdriver
