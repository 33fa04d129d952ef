// Move-only owners of the GDI and USER handles the views create.
#pragma once

// <windows.h> with the A/W macros that clash with the platform's method names undone.
#include "platform/win32/win32_handles.h"

#include <commctrl.h>

#include <utility>

namespace quillon::win32view {

template <typename H, typename Traits> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, H{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.h_, H{}));
        }
        return *this;
    }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != H{}; }
    void reset(H h = H{}) {
        if (h_) {
            Traits::close(h_);
        }
        h_ = h;
    }

private:
    H h_{};
};

struct FontTraits {
    static void close(HFONT h) { DeleteObject(h); }
};
struct MenuTraits {
    static void close(HMENU h) { DestroyMenu(h); }
};
struct BitmapTraits {
    static void close(HBITMAP h) { DeleteObject(h); }
};
// A device context made with CreateCompatibleDC.
struct MemoryDcTraits {
    static void close(HDC h) { DeleteDC(h); }
};

using Font = UniqueHandle<HFONT, FontTraits>;
using PopupMenu = UniqueHandle<HMENU, MenuTraits>;
using Bitmap = UniqueHandle<HBITMAP, BitmapTraits>;
using MemoryDc = UniqueHandle<HDC, MemoryDcTraits>;

inline const wchar_t* wide(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

} // namespace quillon::win32view
