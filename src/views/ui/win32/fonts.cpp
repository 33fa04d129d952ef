#include "ui/win32/fonts.h"

#include "ui/win32/dpi.h"

namespace quillon::win32view {

Font makeFont(const FontDesc& desc, UINT dpi) {
    LOGFONTW lf{};
    lf.lfHeight = scale(desc.heightAt96, dpi);
    lf.lfWeight = desc.weight;
    lf.lfCharSet = desc.charset;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, desc.face, LF_FACESIZE);
    return Font(CreateFontIndirectW(&lf));
}

void setFontOfChildren(HWND parent, HFONT font) {
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM value) -> BOOL {
            SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(value), TRUE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(font));
}

} // namespace quillon::win32view
