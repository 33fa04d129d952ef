#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_services.h"

namespace quillon::platform {

namespace {

using win32::Bstr;
using win32::ComPtr;
using win32::Library;
using win32::toGUID;

// Written out here rather than taken from libuuid, which need not carry the TSF ids.
constexpr IID kIidProfileMgr = {
    0x71C6E74C, 0x0F28, 0x11D8, {0xA8, 0x2A, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};

using CreateProfilesFn = HRESULT(WINAPI*)(ITfInputProcessorProfiles**);

TfProfile fromNative(const TF_INPUTPROCESSORPROFILE& p) {
    TfProfile out;
    out.profileType = p.dwProfileType;
    out.langid = p.langid;
    out.clsid = win32::fromGUID(p.clsid);
    out.guidProfile = win32::fromGUID(p.guidProfile);
    out.catid = win32::fromGUID(p.catid);
    out.hklSubstitute = win32::fromHKL(p.hklSubstitute);
    out.caps = p.dwCaps;
    out.hkl = win32::fromHKL(p.hkl);
    out.flags = p.dwFlags;
    return out;
}

// Every object handed out keeps msctf loaded: its code must stay while references live.
// Members are destroyed in reverse order, so the interfaces go before the library.
class Win32ProfileEnum : public TfProfileEnum {
public:
    Win32ProfileEnum(std::shared_ptr<const Library> library,
                     ComPtr<IEnumTfInputProcessorProfiles> items)
        : library_(std::move(library)), items_(std::move(items)) {}

    bool Next(TfProfile& profile) override {
        TF_INPUTPROCESSORPROFILE native{};
        ULONG fetched = 0;
        if (FAILED(items_->Next(1, &native, &fetched)) || fetched != 1) {
            return false;
        }
        profile = fromNative(native);
        return true;
    }

private:
    std::shared_ptr<const Library> library_;
    ComPtr<IEnumTfInputProcessorProfiles> items_;
};

class Win32Profiles : public TfProfiles {
public:
    Win32Profiles(std::shared_ptr<const Library> library,
                  ComPtr<ITfInputProcessorProfiles> profiles)
        : library_(std::move(library)), profiles_(std::move(profiles)),
          manager_(profiles_.query<ITfInputProcessorProfileMgr>(kIidProfileMgr)) {}

    bool HasProfileMgr() const override { return static_cast<bool>(manager_); }

    std::unique_ptr<TfProfileEnum> EnumProfiles(std::uint16_t langid) override {
        if (!manager_) {
            return nullptr;
        }
        ComPtr<IEnumTfInputProcessorProfiles> items;
        if (FAILED(manager_->EnumProfiles(langid, items.receive())) || !items) {
            return nullptr;
        }
        return std::make_unique<Win32ProfileEnum>(library_, std::move(items));
    }

    std::optional<ustring> GetLanguageProfileDescription(const Guid& clsid, std::uint16_t langid,
                                                         const Guid& profile) override {
        const GUID nativeClsid = toGUID(clsid);
        const GUID nativeProfile = toGUID(profile);
        Bstr description;
        if (FAILED(profiles_->GetLanguageProfileDescription(nativeClsid, langid, nativeProfile,
                                                            description.receive()))) {
            return std::nullopt;
        }
        return description.text();
    }

    std::int32_t ActivateProfile(std::uint32_t profileType, std::uint16_t langid, const Guid& clsid,
                                 const Guid& profile, std::uint64_t hkl,
                                 std::uint32_t flags) override {
        if (!manager_) {
            return E_NOINTERFACE;
        }
        const GUID nativeClsid = toGUID(clsid);
        const GUID nativeProfile = toGUID(profile);
        return manager_->ActivateProfile(profileType, langid, nativeClsid, nativeProfile,
                                         win32::toHKL(hkl), flags);
    }

    std::int32_t DeactivateProfile(std::uint32_t profileType, std::uint16_t langid,
                                   const Guid& clsid, const Guid& profile, std::uint64_t hkl,
                                   std::uint32_t flags) override {
        if (!manager_) {
            return E_NOINTERFACE;
        }
        const GUID nativeClsid = toGUID(clsid);
        const GUID nativeProfile = toGUID(profile);
        return manager_->DeactivateProfile(profileType, langid, nativeClsid, nativeProfile,
                                           win32::toHKL(hkl), flags);
    }

    std::int32_t Unregister(const Guid& clsid) override {
        const GUID nativeClsid = toGUID(clsid);
        return profiles_->Unregister(nativeClsid);
    }

private:
    std::shared_ptr<const Library> library_;
    ComPtr<ITfInputProcessorProfiles> profiles_;
    ComPtr<ITfInputProcessorProfileMgr> manager_;
};

HRESULT lastErrorResult() {
    const DWORD error = ::GetLastError();
    return error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error);
}

} // namespace

std::int32_t Win32Tsf::CreateInputProcessorProfiles(std::unique_ptr<TfProfiles>& out) {
    Library loaded = Library::system(L"msctf.dll");
    if (!loaded) {
        return lastErrorResult();
    }
    const auto library = std::make_shared<const Library>(std::move(loaded));
    // mingw has no import library entry for it, and the lookup must not search beside the
    // program anyway.
    const auto create = reinterpret_cast<CreateProfilesFn>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(library->get(), "TF_CreateInputProcessorProfiles")));
    if (!create) {
        return lastErrorResult();
    }
    ComPtr<ITfInputProcessorProfiles> profiles;
    const HRESULT result = create(profiles.receive());
    if (result != S_OK) {
        return result;
    }
    if (!profiles) {
        return E_POINTER;
    }
    out = std::make_unique<Win32Profiles>(library, std::move(profiles));
    return S_OK;
}

} // namespace quillon::platform
