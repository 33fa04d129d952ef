// The test bed's msctf.dll: the input processor profiles object, backed by the registry layout
// Windows itself uses, so that fixtures decide what is installed and enabled. Every call is
// logged so that tests can see what the program asked for.
#include "standin_support.h"
#include "tip_registry.h"

#include <memory>
#include <new>
#include <string>
#include <utility>

namespace quillon::testbed {

namespace {

const ustring kLog = u"msctf.log";

// The interface ids, spelled out so that no import library has to provide them.
constexpr IID kIidProfiles = {
    0x1F02B6C5, 0x7842, 0x4EE6, {0x8A, 0x0B, 0x9A, 0x24, 0x18, 0x3A, 0x95, 0xCA}};
constexpr IID kIidProfileMgr = {
    0x71C6E74C, 0x0F28, 0x11D8, {0xA8, 0x2A, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};
constexpr IID kIidEnumProfiles = {
    0x71C6E74D, 0x0F28, 0x11D8, {0xA8, 0x2A, 0x00, 0x06, 0x5B, 0x84, 0x43, 0x5C}};

void logCall(const std::string& line) {
    // Logging must never turn a call into a failure.
    try {
        appendLogLine(kLog, line);
    } catch (...) {
    }
}

std::string logGuid(REFGUID g) {
    return toUtf8(guidText(g));
}
std::string logLang(LANGID langid) {
    return toUtf8(hexText(langid, 4));
}

std::string logHex(std::uint64_t value) {
    const std::string digits = toUtf8(hexText(value, 16));
    const auto first = digits.find_first_not_of('0');
    return "0x" + (first == std::string::npos ? std::string("0") : digits.substr(first));
}

std::string logHkl(HKL hkl) {
    return logHex(reinterpret_cast<std::uintptr_t>(hkl));
}

std::string profileArgs(DWORD type, LANGID langid, REFCLSID clsid, REFGUID profile, HKL hkl,
                        DWORD flags) {
    return std::to_string(type) + ", " + logLang(langid) + ", " + logGuid(clsid) + ", " +
           logGuid(profile) + ", " + logHkl(hkl) + ", " + logHex(flags);
}

// What COM callers get when the stand-in itself runs out of memory or meets a surprise.
template <typename F> HRESULT guarded(F&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

using ProfileList = std::vector<TF_INPUTPROCESSORPROFILE>;

class ProfileEnum final : public IEnumTfInputProcessorProfiles {
public:
    ProfileEnum(std::shared_ptr<const ProfileList> items, std::size_t next)
        : items_(std::move(items)), next_(next) {}

    static IEnumTfInputProcessorProfiles* make(std::shared_ptr<const ProfileList> items,
                                               std::size_t next) {
        return std::make_unique<ProfileEnum>(std::move(items), next).release();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == kIidEnumProfiles) {
            *out = static_cast<IEnumTfInputProcessorProfiles*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const auto left = InterlockedDecrement(&refs_);
        if (left == 0) {
            std::unique_ptr<ProfileEnum> owned(this);
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumTfInputProcessorProfiles** out) override {
        logCall("Clone");
        if (out == nullptr) {
            return E_INVALIDARG;
        }
        *out = nullptr;
        return guarded([&] {
            *out = make(items_, next_);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, TF_INPUTPROCESSORPROFILE* profiles,
                                   ULONG* fetched) override {
        logCall("Next(" + std::to_string(count) + ")");
        if (profiles == nullptr || (fetched == nullptr && count != 1)) {
            return E_INVALIDARG;
        }
        ULONG n = 0;
        while (n < count && next_ < items_->size()) {
            profiles[n++] = (*items_)[next_++];
        }
        if (fetched != nullptr) {
            *fetched = n;
        }
        return n == count ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Reset() override {
        logCall("Reset");
        next_ = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        logCall("Skip(" + std::to_string(count) + ")");
        const std::size_t left = items_->size() - next_;
        if (count > left) {
            next_ = items_->size();
            return S_FALSE;
        }
        next_ += count;
        return S_OK;
    }

private:
    LONG refs_ = 1;
    std::shared_ptr<const ProfileList> items_;
    std::size_t next_;
};

class InputProcessorProfiles final : public ITfInputProcessorProfiles,
                                     public ITfInputProcessorProfileMgr {
public:
    InputProcessorProfiles() = default;
    ~InputProcessorProfiles() { logCall("ReleaseProfiles"); }
    InputProcessorProfiles(const InputProcessorProfiles&) = delete;
    InputProcessorProfiles& operator=(const InputProcessorProfiles&) = delete;

    // IUnknown, shared by both interfaces; the identity is the ITfInputProcessorProfiles one.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == kIidProfiles) {
            *out = static_cast<ITfInputProcessorProfiles*>(this);
        } else if (riid == kIidProfileMgr) {
            *out = static_cast<ITfInputProcessorProfileMgr*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const auto left = InterlockedDecrement(&refs_);
        if (left == 0) {
            std::unique_ptr<InputProcessorProfiles> owned(this);
        }
        return static_cast<ULONG>(left);
    }

    // ITfInputProcessorProfiles
    HRESULT STDMETHODCALLTYPE Register(REFCLSID clsid) override {
        return notImplemented("Register(" + logGuid(clsid) + ")");
    }

    HRESULT STDMETHODCALLTYPE Unregister(REFCLSID clsid) override {
        logCall("Unregister(" + logGuid(clsid) + ")");
        return guarded([&] { return removeTextService(clsid); });
    }

    HRESULT STDMETHODCALLTYPE AddLanguageProfile(REFCLSID clsid, LANGID langid, REFGUID profile,
                                                 const WCHAR*, ULONG, const WCHAR*, ULONG,
                                                 ULONG) override {
        return notImplemented("AddLanguageProfile(" + logGuid(clsid) + ", " + logLang(langid) +
                              ", " + logGuid(profile) + ")");
    }

    HRESULT STDMETHODCALLTYPE RemoveLanguageProfile(REFCLSID clsid, LANGID langid,
                                                    REFGUID profile) override {
        return notImplemented("RemoveLanguageProfile(" + logGuid(clsid) + ", " + logLang(langid) +
                              ", " + logGuid(profile) + ")");
    }

    HRESULT STDMETHODCALLTYPE EnumInputProcessorInfo(IEnumGUID** out) override {
        return notImplemented("EnumInputProcessorInfo", out);
    }

    HRESULT STDMETHODCALLTYPE GetDefaultLanguageProfile(LANGID langid, REFGUID catid, CLSID*,
                                                        GUID*) override {
        return notImplemented("GetDefaultLanguageProfile(" + logLang(langid) + ", " +
                              logGuid(catid) + ")");
    }

    HRESULT STDMETHODCALLTYPE SetDefaultLanguageProfile(LANGID langid, REFCLSID clsid,
                                                        REFGUID profile) override {
        return notImplemented("SetDefaultLanguageProfile(" + logLang(langid) + ", " +
                              logGuid(clsid) + ", " + logGuid(profile) + ")");
    }

    HRESULT STDMETHODCALLTYPE ActivateLanguageProfile(REFCLSID clsid, LANGID langid,
                                                      REFGUID profile) override {
        return notImplemented("ActivateLanguageProfile(" + logGuid(clsid) + ", " + logLang(langid) +
                              ", " + logGuid(profile) + ")");
    }

    HRESULT STDMETHODCALLTYPE GetActiveLanguageProfile(REFCLSID clsid, LANGID*, GUID*) override {
        return notImplemented("GetActiveLanguageProfile(" + logGuid(clsid) + ")");
    }

    HRESULT STDMETHODCALLTYPE GetLanguageProfileDescription(REFCLSID clsid, LANGID langid,
                                                            REFGUID profile,
                                                            BSTR* description) override {
        logCall("GetLanguageProfileDescription(" + logGuid(clsid) + ", " + logLang(langid) + ", " +
                logGuid(profile) + ")");
        if (description == nullptr) {
            return E_INVALIDARG;
        }
        *description = nullptr;
        // Keyboard layouts have no text-service registration to describe them.
        if (clsid == GUID_NULL) {
            return E_FAIL;
        }
        return guarded([&] {
            const auto text = profileDescription(clsid, langid, profile);
            if (!text) {
                return E_INVALIDARG;
            }
            *description = SysAllocString(wide(*text));
            return *description != nullptr ? S_OK : E_OUTOFMEMORY;
        });
    }

    HRESULT STDMETHODCALLTYPE GetCurrentLanguage(LANGID*) override {
        return notImplemented("GetCurrentLanguage");
    }

    HRESULT STDMETHODCALLTYPE ChangeCurrentLanguage(LANGID langid) override {
        return notImplemented("ChangeCurrentLanguage(" + logLang(langid) + ")");
    }

    HRESULT STDMETHODCALLTYPE GetLanguageList(LANGID**, ULONG*) override {
        return notImplemented("GetLanguageList");
    }

    HRESULT STDMETHODCALLTYPE EnumLanguageProfiles(LANGID langid,
                                                   IEnumTfLanguageProfiles** out) override {
        return notImplemented("EnumLanguageProfiles(" + logLang(langid) + ")", out);
    }

    HRESULT STDMETHODCALLTYPE EnableLanguageProfile(REFCLSID clsid, LANGID langid, REFGUID profile,
                                                    WINBOOL enable) override {
        return notImplemented("EnableLanguageProfile(" + logGuid(clsid) + ", " + logLang(langid) +
                              ", " + logGuid(profile) + ", " + std::to_string(enable) + ")");
    }

    HRESULT STDMETHODCALLTYPE IsEnabledLanguageProfile(REFCLSID clsid, LANGID langid,
                                                       REFGUID profile, WINBOOL*) override {
        return notImplemented("IsEnabledLanguageProfile(" + logGuid(clsid) + ", " +
                              logLang(langid) + ", " + logGuid(profile) + ")");
    }

    HRESULT STDMETHODCALLTYPE EnableLanguageProfileByDefault(REFCLSID clsid, LANGID langid,
                                                             REFGUID profile,
                                                             WINBOOL enable) override {
        return notImplemented("EnableLanguageProfileByDefault(" + logGuid(clsid) + ", " +
                              logLang(langid) + ", " + logGuid(profile) + ", " +
                              std::to_string(enable) + ")");
    }

    HRESULT STDMETHODCALLTYPE SubstituteKeyboardLayout(REFCLSID clsid, LANGID langid,
                                                       REFGUID profile, HKL hkl) override {
        return notImplemented("SubstituteKeyboardLayout(" + logGuid(clsid) + ", " +
                              logLang(langid) + ", " + logGuid(profile) + ", " + logHkl(hkl) + ")");
    }

    // ITfInputProcessorProfileMgr
    HRESULT STDMETHODCALLTYPE ActivateProfile(DWORD type, LANGID langid, REFCLSID clsid,
                                              REFGUID profile, HKL hkl, DWORD flags) override {
        logCall("ActivateProfile(" + profileArgs(type, langid, clsid, profile, hkl, flags) + ")");
        return changeProfile(type, langid, clsid, profile, (flags & kIppmfEnableProfile) != 0,
                             true);
    }

    HRESULT STDMETHODCALLTYPE DeactivateProfile(DWORD type, LANGID langid, REFCLSID clsid,
                                                REFGUID profile, HKL hkl, DWORD flags) override {
        logCall("DeactivateProfile(" + profileArgs(type, langid, clsid, profile, hkl, flags) + ")");
        // Without TF_IPPMF_DISABLEPROFILE only the process's or session's current input
        // changes, which nothing in the registry records.
        return changeProfile(type, langid, clsid, profile, (flags & kIppmfDisableProfile) != 0,
                             false);
    }

    HRESULT STDMETHODCALLTYPE GetProfile(DWORD type, LANGID langid, REFCLSID clsid, REFGUID profile,
                                         HKL hkl, TF_INPUTPROCESSORPROFILE*) override {
        return notImplemented("GetProfile(" + profileArgs(type, langid, clsid, profile, hkl, 0) +
                              ")");
    }

    HRESULT STDMETHODCALLTYPE EnumProfiles(LANGID langid,
                                           IEnumTfInputProcessorProfiles** out) override {
        logCall("EnumProfiles(" + logLang(langid) + ")");
        if (out == nullptr) {
            return E_INVALIDARG;
        }
        *out = nullptr;
        return guarded([&] {
            auto items = std::make_shared<const ProfileList>(readProfiles(langid));
            *out = ProfileEnum::make(std::move(items), 0);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE ReleaseInputProcessor(REFCLSID clsid, DWORD flags) override {
        return notImplemented("ReleaseInputProcessor(" + logGuid(clsid) + ", " + logHex(flags) +
                              ")");
    }

    HRESULT STDMETHODCALLTYPE RegisterProfile(REFCLSID clsid, LANGID langid, REFGUID profile,
                                              const WCHAR*, ULONG, const WCHAR*, ULONG, ULONG, HKL,
                                              DWORD, WINBOOL, DWORD) override {
        return notImplemented("RegisterProfile(" + logGuid(clsid) + ", " + logLang(langid) + ", " +
                              logGuid(profile) + ")");
    }

    HRESULT STDMETHODCALLTYPE UnregisterProfile(REFCLSID clsid, LANGID langid, REFGUID profile,
                                                DWORD flags) override {
        return notImplemented("UnregisterProfile(" + logGuid(clsid) + ", " + logLang(langid) +
                              ", " + logGuid(profile) + ", " + logHex(flags) + ")");
    }

    HRESULT STDMETHODCALLTYPE GetActiveProfile(REFGUID catid, TF_INPUTPROCESSORPROFILE*) override {
        return notImplemented("GetActiveProfile(" + logGuid(catid) + ")");
    }

private:
    static HRESULT notImplemented(const std::string& call) {
        logCall(call);
        return E_NOTIMPL;
    }
    template <typename T> static HRESULT notImplemented(const std::string& call, T** out) {
        if (out != nullptr) {
            *out = nullptr;
        }
        return notImplemented(call);
    }

    static HRESULT changeProfile(DWORD type, LANGID langid, REFCLSID clsid, REFGUID profile,
                                 bool store, bool enable) {
        // Keyboard layouts are switched through user32, not through this object.
        if (type != TF_PROFILETYPE_INPUTPROCESSOR) {
            return E_NOTIMPL;
        }
        return guarded([&] {
            if (!profileRegistered(clsid, langid, profile)) {
                return E_INVALIDARG;
            }
            return store ? storeProfileEnabled(clsid, langid, profile, enable) : S_OK;
        });
    }

    LONG refs_ = 1;
};

} // namespace

} // namespace quillon::testbed

extern "C" HRESULT WINAPI TF_CreateInputProcessorProfiles(ITfInputProcessorProfiles** out) {
    using namespace quillon::testbed;
    logCall("TF_CreateInputProcessorProfiles");
    if (out == nullptr) {
        return E_INVALIDARG;
    }
    *out = nullptr;
    return guarded([&] {
        *out = std::make_unique<InputProcessorProfiles>().release();
        return S_OK;
    });
}
