// Reading one language's setup: the catalogue refresh's readers, without the window.
#include "setup/language_setup.h"

#include "core/error.h"
#include "hotkeys/hotkey_store.h"
#include "platform/registry_errors.h"
#include "platform/windows_keys.h"

#include <algorithm>

namespace quillon {

namespace {

ustring langText(std::uint16_t langid) {
    return hexText(langid, 4);
}

// GUIDs and hexadecimal numbers as Windows or a user wrote them: letter case does not count.
int indexOfField(const EntryList& rows, std::size_t field, const ustring& value) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (equalsNoCase(rows[i].fields[field], value)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// TF_IPP_FLAG_ENABLED and TF_IPP_FLAG_SUBSTITUTEDBYINPUTPROCESSOR.
constexpr std::uint32_t kProfileEnabled = 2;
constexpr std::uint32_t kProfileSubstituted = 4;

// True when a row of either list holds the layout, or the enumeration reported it as one a
// text service stands in for: the registry's rows are added only where neither holds.
bool listedOrHidden(const LanguageSetup& setup, const ustring& hkl) {
    return indexOfField(setup.enabled, kFieldHkl, hkl) >= 0 ||
           indexOfField(setup.disabled, kFieldHkl, hkl) >= 0 ||
           std::find(setup.substitutedLayouts.begin(), setup.substitutedLayouts.end(), hkl) !=
               setup.substitutedLayouts.end();
}

// The profiles of the language, into the two lists, which they replace.
void listProfiles(platform::TfProfileEnum& profileEnum, platform::Platform& os,
                  LanguageSetup& setup) {
    setup.enabled.clear();
    setup.disabled.clear();
    setup.substitutedLayouts.clear();
    const ustring ownLayout = langText(setup.langid) + langText(setup.langid);
    platform::TfProfile p;
    while (profileEnum.Next(p)) {
        if (p.langid == 0) {
            continue;
        }
        const ustring h = hexText(p.hkl & 0xFFFFFFFFu, 8);
        EntryList* target = nullptr;
        if (p.flags == 0) {
            if (h == ownLayout) {
                continue;
            }
            target = &setup.disabled;
        } else if (p.flags == 2 || p.flags == 3) {
            target = &setup.enabled;
        } else {
            // A layout a text service stands in for (enabled or not) is chosen through that
            // text service: Windows lists it nowhere on its own, and it must not come back from
            // the registry as a disabled row either.
            if ((p.flags & kProfileSubstituted) != 0 || (p.flags & kProfileEnabled) != 0) {
                setup.substitutedLayouts.push_back(h);
            }
            continue;
        }
        InputMethodEntry row;
        if (auto description =
                setup.profiles->GetLanguageProfileDescription(p.clsid, p.langid, p.guidProfile)) {
            row.name = *description;
        }
        row.fields = {guidToText(p.clsid),
                      hexText(p.langid, 4),
                      guidToText(p.catid),
                      guidToText(p.guidProfile),
                      h,
                      u""};
        if (row.name.empty()) {
            row.name = catalogue::getimename(os, h);
        }
        target->push_back(std::move(row));
    }
}

} // namespace

void readLanguageSetup(platform::Platform& os, const KeyTable& keys, LanguageSetup& setup) {
    setup.catid = catalogue::readcatid(os.registry);

    setup.profilesCreated = false;
    setup.profileManager = false;
    setup.enumerated = false;
    std::unique_ptr<platform::TfProfiles> fresh;
    const std::int32_t created = os.tsf.CreateInputProcessorProfiles(fresh);
    setup.profiles = std::move(fresh);
    if (created == 0 && setup.profiles) {
        setup.profilesCreated = true;
        if (!setup.profiles->HasProfileMgr()) {
            throw QuillonError(u"不支持此接口（ITfInputProcessorProfileMgr）。");
        }
        setup.profileManager = true;
        auto profileEnum = setup.profiles->EnumProfiles(setup.langid);
        if (profileEnum) {
            setup.enumerated = true;
            listProfiles(*profileEnum, os, setup);
        }
    }
    catalogue::addenglish(os, setup);
    catalogue::addimetolist(os, setup);
    readHotkeys(os.registry, setup.langid, keys, setup.enabled, setup.hotkeysRead);
    hotkeys::readSwitchKeys(os.registry, setup.switchKeys);
    hotkeys::readToggles(os.registry, setup.langid, keys, setup.toggles);
    settings::readOtherSettings(os.registry, setup.other);
    setup.defaultIndex = catalogue::getdefime(os.registry, setup.enabled);
}

namespace catalogue {

// A name that cannot be read (a resource of a layout uninstalled badly, a value in a wrong
// form) spoils only this row: the refresh goes on with the others.
ustring getimename(platform::Platform& os, const ustring& hkl) {
    ustring key = hkl;
    if (!hkl.empty() && hkl.front() == u'0') {
        key = u"0000" + hkl.substr(0, 4);
    }
    // One open and one read per value. Opening asks for full access, as the list of layouts
    // does: without it (a user who is no administrator) no name is read.
    platform::TRegistry reg(os.registry, platform::Hive::LocalMachine);
    if (!reg.OpenKey(keys::fromRoot(keys::kKeyboardLayouts, key), false)) {
        return {};
    }
    ustring result;
    try {
        if (const auto text = reg.ReadValue(u"Layout Text")) {
            result = platform::stringOf(*text, u"Layout Text");
        }
    } catch (const QuillonError&) {
        result.clear();
    }
    try {
        if (const auto display = reg.ReadValue(u"Layout Display Name")) {
            const ustring source = platform::stringOf(*display, u"Layout Display Name");
            // An empty reference names nothing: the layout keeps its "Layout Text".
            if (!source.empty()) {
                const ustring loaded = _SHLoadIndirectString(os.system, source);
                if (!loaded.empty()) {
                    result = loaded;
                }
            }
        }
    } catch (const QuillonError&) {
    }
    return result.empty() ? key : result;
}

ustring _SHLoadIndirectString(platform::System& system, const ustring& AIndirectStr) {
    const platform::IndirectString loaded = system.SHLoadIndirectString(AIndirectStr);
    if (loaded.result != 0) {
        throw QuillonError(loaded.errorMessage.empty()
                               ? u"无法读取资源字符串“" + platform::quotedData(AIndirectStr) +
                                     u"”。"
                               : loaded.errorMessage);
    }
    return loaded.text;
}

void addenglish(platform::Platform& os, LanguageSetup& setup) {
    const ustring k = u"0409" + langText(setup.langid);
    if (listedOrHidden(setup, k)) {
        return;
    }
    InputMethodEntry row;
    row.name = getimename(os, k);
    row.fields = {nullGuidText(), langText(setup.langid), setup.catid, nullGuidText(), k, u""};
    setup.disabled.push_back(std::move(row));
}

void addimetolist(platform::Platform& os, LanguageSetup& setup) {
    platform::TRegistry reg(os.registry, platform::Hive::LocalMachine);
    StringList names;
    if (reg.OpenKey(keys::fromRoot(keys::kKeyboardLayouts), false)) {
        reg.GetKeyNames(names);
    }
    const ustring own = langText(setup.langid);
    for (const ustring& name : names) {
        if (name.empty() || name.front() == u'0' || name.size() < 4 ||
            name.compare(name.size() - 4, 4, own) != 0) {
            continue;
        }
        if (listedOrHidden(setup, name)) {
            continue;
        }
        InputMethodEntry row;
        row.name = getimename(os, name);
        row.fields = {
            nullGuidText(), name.substr(name.size() - 4), setup.catid, nullGuidText(), name, u""};
        setup.disabled.push_back(std::move(row));
    }
}

ustring readcatid(platform::RegistryBackend& registry) {
    platform::TRegistry reg(registry);
    StringList languages;
    if (reg.OpenKey(keys::fromRoot(keys::kAssemblies), false)) {
        reg.GetKeyNames(languages);
    }
    if (languages.empty() || !reg.OpenKey(languages.front(), false)) {
        return {};
    }
    StringList categories;
    reg.GetKeyNames(categories);
    return categories.empty() ? ustring() : categories.front();
}

std::int32_t getdefime(platform::RegistryBackend& registry, const EntryList& enabled) {
    platform::TRegistry reg(registry);
    if (!reg.OpenKey(keys::fromRoot(keys::kUserProfile), false)) {
        return -1;
    }
    // A missing value reads as empty text, which names no input method either.
    const ustring s = reg.ReadString(u"InputMethodOverride");
    if (s.find(u'{') != ustring::npos) {
        return indexOfField(enabled, kFieldProfile, s.substr(s.rfind(u'{')));
    }
    const std::size_t colon = s.find(u':');
    if (colon == ustring::npos) {
        return -1;
    }
    const ustring l = s.substr(0, colon);
    ustring t = s.substr(colon + 1);
    if (!t.empty() && t.front() == u'0') {
        t = (t.size() >= 4 ? t.substr(t.size() - 4) : t) + l;
    }
    return indexOfField(enabled, kFieldHkl, t);
}

} // namespace catalogue

} // namespace quillon
