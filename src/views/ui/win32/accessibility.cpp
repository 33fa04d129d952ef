#include "ui/win32/accessibility.h"

#include "ui/win32/window_text.h"

#include <objbase.h>
#include <oleacc.h>

namespace quillon::win32view {

namespace {

// The values oleacc.h declares; defined here, since the program links no oleacc library.
constexpr CLSID kClsidAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIidAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kPropName = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID kPropDescription = {
    0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};

} // namespace

AccessibleAnnotations::~AccessibleAnnotations() {
    if (services_) {
        services_->Release();
    }
}

void AccessibleAnnotations::setName(HWND control, long child, const ustring& text) {
    set(control, child, Property::Name, text);
}

void AccessibleAnnotations::setDescription(HWND control, long child, const ustring& text) {
    set(control, child, Property::Description, text);
}

void AccessibleAnnotations::set(HWND control, long child, Property property, const ustring& text) {
    const auto key = std::make_tuple(control, child, property);
    const auto known = set_.find(key);
    if ((known == set_.end() && text.empty()) || (known != set_.end() && known->second == text)) {
        return;
    }
    if (!services_ && !unavailable_) {
        void* created = nullptr;
        unavailable_ = FAILED(CoCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                               kIidAccPropServices, &created));
        services_ = static_cast<IAccPropServices*>(created);
        unavailable_ = unavailable_ || !services_;
    }
    if (unavailable_) {
        return;
    }
    const GUID& id = property == Property::Name ? kPropName : kPropDescription;
    if (text.empty()) {
        services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT),
                                  static_cast<DWORD>(child), &id, 1);
    } else {
        services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT),
                                  static_cast<DWORD>(child), id, wide(text));
    }
    set_[key] = text;
}

bool highContrastOn() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

} // namespace quillon::win32view
