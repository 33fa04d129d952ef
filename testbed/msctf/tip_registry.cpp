#include "tip_registry.h"

#include "platform/win32/win32_handles.h"

#include "core/guid.h"
#include "standin_support.h"

#include <algorithm>
#include <cstdint>

namespace quillon::testbed {

namespace {

const ustring kMachineTips = u"SOFTWARE\\Microsoft\\CTF\\TIP";
const ustring kUserTips = u"Software\\Microsoft\\CTF\\TIP";
const ustring kUserProfile = u"Control Panel\\International\\User Profile";

ustring languageKeyName(LANGID langid) {
    return u"0x" + hexText(langid, 8);
}

ustring profilePath(const ustring& tips, const GUID& clsid, LANGID langid, const GUID& profile) {
    return tips + u"\\" + guidText(clsid) + u"\\LanguageProfile\\" + languageKeyName(langid) +
           u"\\" + guidText(profile);
}

std::optional<LANGID> parseLanguageKey(const ustring& name) {
    std::uint32_t value = 0;
    if (name.size() < 3 || name[0] != u'0' || (name[1] != u'x' && name[1] != u'X') ||
        !parseHex32(ustring_view(name).substr(2), value) || value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<LANGID>(value);
}

bool isHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool allHex(ustring_view text) {
    return std::all_of(text.begin(), text.end(), isHexDigit);
}

HKL hklFromBits(std::uint64_t bits) {
    return reinterpret_cast<HKL>(static_cast<std::uintptr_t>(bits));
}

// Windows widens a 32-bit layout id to a handle with its sign (E0200804 gives
// 0xFFFFFFFFE0200804 on 64-bit Windows).
std::uint64_t widenLayout(std::uint32_t id) {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(id)));
}

// The keyboard category when the text service has it, else its first one.
GUID categoryOf(const RegKey& tip) {
    const auto items = RegKey::open(tip.get(), u"Category\\Item");
    std::optional<Guid> first;
    for (const auto& name : items.subKeyNames()) {
        const auto catid = parseGuid(name);
        if (!catid) {
            continue;
        }
        if (platform::win32::toGUID(*catid) == kCatTipKeyboard) {
            return kCatTipKeyboard;
        }
        if (!first) {
            first = catid;
        }
    }
    return first ? platform::win32::toGUID(*first) : GUID_NULL;
}

void readTextServices(LANGID filter, std::vector<TF_INPUTPROCESSORPROFILE>& out) {
    const auto tips = RegKey::open(HKEY_LOCAL_MACHINE, kMachineTips);
    for (const auto& clsidName : tips.subKeyNames()) {
        const auto clsid = parseGuid(clsidName);
        if (!clsid) {
            continue;
        }
        const auto tip = RegKey::open(tips.get(), clsidName);
        const GUID catid = categoryOf(tip);
        const auto languages = RegKey::open(tip.get(), u"LanguageProfile");
        for (const auto& languageName : languages.subKeyNames()) {
            const auto langid = parseLanguageKey(languageName);
            if (!langid || (filter != 0 && *langid != filter)) {
                continue;
            }
            const auto language = RegKey::open(languages.get(), languageName);
            for (const auto& profileName : language.subKeyNames()) {
                const auto profile = parseGuid(profileName);
                if (!profile) {
                    continue;
                }
                const auto machine = RegKey::open(language.get(), profileName);
                const auto user = RegKey::open(
                    HKEY_CURRENT_USER, profilePath(kUserTips, platform::win32::toGUID(*clsid),
                                                   *langid, platform::win32::toGUID(*profile)));
                // The user's choice wins over the machine default; a profile that states
                // neither counts as not enabled.
                auto enable = user.readDword(u"Enable");
                if (!enable) {
                    enable = machine.readDword(u"Enable");
                }
                TF_INPUTPROCESSORPROFILE p{};
                p.dwProfileType = TF_PROFILETYPE_INPUTPROCESSOR;
                p.langid = *langid;
                p.clsid = platform::win32::toGUID(*clsid);
                p.guidProfile = platform::win32::toGUID(*profile);
                p.catid = catid;
                p.dwFlags = enable.value_or(0) != 0 ? kIppFlagEnabled : 0;
                // Test-bed only: lets a fixture produce the flag combinations Windows reports
                // for active or substituted profiles.
                if (const auto forced = machine.readDword(u"StandInFlags")) {
                    p.dwFlags = *forced;
                }
                out.push_back(p);
            }
        }
    }
}

struct Layout {
    LANGID langid = 0;
    std::uint64_t hkl = 0;
};

// A value name "LLLL:XXXXXXXX" of a language of the user's list names an enabled keyboard
// layout (XXXXXXXX beginning with 0: the layout half of the handle) or an IMM input method
// (XXXXXXXX is the handle itself). Text services are written with braces and are no layouts.
std::optional<Layout> parseLayoutValue(const ustring& name) {
    if (name.size() != 13 || name[4] != u':' || !allHex(ustring_view(name).substr(0, 4)) ||
        !allHex(ustring_view(name).substr(5))) {
        return std::nullopt;
    }
    std::uint32_t lang = 0;
    std::uint32_t id = 0;
    parseHex32(ustring_view(name).substr(0, 4), lang);
    parseHex32(ustring_view(name).substr(5), id);
    Layout layout;
    layout.langid = static_cast<LANGID>(lang);
    layout.hkl = name[5] == u'0' ? ((id & 0xFFFFu) << 16) | lang : widenLayout(id);
    return layout;
}

std::optional<LANGID> valueLanguage(const ustring& name) {
    std::uint32_t lang = 0;
    if (name.size() < 5 || name[4] != u':' || !allHex(ustring_view(name).substr(0, 4)) ||
        !parseHex32(ustring_view(name).substr(0, 4), lang)) {
        return std::nullopt;
    }
    return static_cast<LANGID>(lang);
}

void readLayouts(LANGID filter, std::vector<TF_INPUTPROCESSORPROFILE>& out) {
    std::vector<Layout> enabled;
    std::vector<LANGID> languages;
    const auto userProfile = RegKey::open(HKEY_CURRENT_USER, kUserProfile);
    for (const auto& tag : userProfile.subKeyNames()) {
        const auto language = RegKey::open(userProfile.get(), tag);
        for (const auto& name : language.valueNames()) {
            if (const auto lang = valueLanguage(name)) {
                if (std::find(languages.begin(), languages.end(), *lang) == languages.end()) {
                    languages.push_back(*lang);
                }
            }
            const auto layout = parseLayoutValue(name);
            if (!layout) {
                continue;
            }
            const bool seen = std::any_of(enabled.begin(), enabled.end(), [&](const Layout& l) {
                return l.langid == layout->langid && l.hkl == layout->hkl;
            });
            if (!seen) {
                enabled.push_back(*layout);
            }
        }
    }

    auto add = [&](LANGID langid, std::uint64_t hkl, DWORD flags) {
        if (filter != 0 && langid != filter) {
            return;
        }
        TF_INPUTPROCESSORPROFILE p{};
        p.dwProfileType = TF_PROFILETYPE_KEYBOARDLAYOUT;
        p.langid = langid;
        p.catid = kCatTipKeyboard;
        p.hkl = hklFromBits(hkl);
        p.dwFlags = flags;
        out.push_back(p);
    };
    for (const auto& layout : enabled) {
        add(layout.langid, layout.hkl, kIppFlagEnabled);
    }
    // Windows also reports each language's own layout (08040804 for 0804), disabled unless
    // the user has enabled it.
    for (const LANGID lang : languages) {
        const std::uint64_t own = (static_cast<std::uint64_t>(lang) << 16) | lang;
        const bool isEnabled = std::any_of(enabled.begin(), enabled.end(), [&](const Layout& l) {
            return l.langid == lang && l.hkl == own;
        });
        if (!isEnabled) {
            add(lang, own, 0);
        }
    }
}

} // namespace

std::vector<TF_INPUTPROCESSORPROFILE> readProfiles(LANGID langid) {
    std::vector<TF_INPUTPROCESSORPROFILE> profiles;
    readTextServices(langid, profiles);
    readLayouts(langid, profiles);
    return profiles;
}

std::optional<ustring> profileDescription(const GUID& clsid, LANGID langid, const GUID& profile) {
    const auto key =
        RegKey::open(HKEY_LOCAL_MACHINE, profilePath(kMachineTips, clsid, langid, profile));
    if (!key) {
        return std::nullopt;
    }
    return key.readString(u"Description").value_or(ustring());
}

bool profileRegistered(const GUID& clsid, LANGID langid, const GUID& profile) {
    return keyExists(HKEY_LOCAL_MACHINE, profilePath(kMachineTips, clsid, langid, profile));
}

HRESULT storeProfileEnabled(const GUID& clsid, LANGID langid, const GUID& profile, bool enabled) {
    if (!profileRegistered(clsid, langid, profile)) {
        return E_INVALIDARG;
    }
    const auto key =
        RegKey::create(HKEY_CURRENT_USER, profilePath(kUserTips, clsid, langid, profile));
    if (!key || !key.writeDword(u"Enable", enabled ? 1u : 0u)) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT removeTextService(const GUID& clsid) {
    const ustring name = u"\\" + guidText(clsid);
    if (!keyExists(HKEY_LOCAL_MACHINE, kMachineTips + name)) {
        return E_INVALIDARG;
    }
    if (!deleteTree(HKEY_LOCAL_MACHINE, kMachineTips + name)) {
        return E_ACCESSDENIED;
    }
    deleteTree(HKEY_CURRENT_USER, kUserTips + name);
    return S_OK;
}

} // namespace quillon::testbed
