// The hints of one top-level window: a tooltip window owned by it, one hint per control and
// optionally one for the window itself.
//
// A disabled control gets no mouse messages; Windows passes them to its parent instead. So
// every hint is attached twice: to the control, which shows it while the control is enabled,
// and to the control's rectangle on its parent, which shows it while the control is disabled
// (启用 and 禁用 are disabled as often as not, and their hint matters most then).
#pragma once

#include "core/text.h"
#include "ui/win32/gdi_handles.h"

#include <vector>

namespace quillon::win32view {

class Tooltips {
public:
    Tooltips() = default;
    ~Tooltips();
    Tooltips(const Tooltips&) = delete;
    Tooltips& operator=(const Tooltips&) = delete;

    // Makes the tooltip window; `owner` is the top-level window whose controls get hints.
    void create(HWND owner, HINSTANCE instance);
    HWND hwnd() const { return tooltip_; }
    // The tooltip's font, and its line width for the DPI.
    void setFont(HFONT font, UINT dpi);
    // Attaches, replaces or (with an empty text) removes the hint of a child of the owner.
    // A "\r" in the hint breaks the line.
    void setHint(HWND control, const ustring& hint);
    // The hint shown where the mouse rests on the owner itself.
    void setWindowHint(const ustring& hint);
    // After controls moved or changed size.
    void updatePlaces();

private:
    struct Tool {
        HWND control;
        ustring hint;
    };
    void attach(UINT flags, UINT_PTR id, const RECT& rect, const ustring& hint);
    void detach(UINT_PTR id);
    RECT placeOnOwner(HWND control) const;

    HWND owner_ = nullptr;
    HWND tooltip_ = nullptr;
    std::vector<Tool> tools_;
    ustring windowHint_;
};

} // namespace quillon::win32view
