// Names and descriptions for assistive technology where a control's own text and the label
// before it say too little (Dynamic Annotation: IAccPropServices::SetHwndPropStr). oleacc is
// no KnownDLL and is not imported: COM loads it from the system folder when first needed.
#pragma once

#include "core/text.h"
#include "ui/win32/gdi_handles.h"

#include <map>
#include <tuple>

struct IAccPropServices;

namespace quillon::win32view {

class AccessibleAnnotations {
public:
    AccessibleAnnotations() = default;
    ~AccessibleAnnotations();
    AccessibleAnnotations(const AccessibleAnnotations&) = delete;
    AccessibleAnnotations& operator=(const AccessibleAnnotations&) = delete;

    // `child` 0 is the control itself; a list view's row r is child r + 1. An empty text
    // leaves the control's own. Each is passed on only when it changed.
    void setName(HWND control, long child, const ustring& text);
    void setDescription(HWND control, long child, const ustring& text);

private:
    enum class Property { Name, Description };
    void set(HWND control, long child, Property property, const ustring& text);

    IAccPropServices* services_ = nullptr;
    bool unavailable_ = false;
    std::map<std::tuple<HWND, long, Property>, ustring> set_;
};

// Whether the system's high-contrast setting is on (SPI_GETHIGHCONTRAST).
bool highContrastOn();

} // namespace quillon::win32view
