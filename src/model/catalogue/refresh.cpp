// The catalogue refresh: rebuilds everything the window shows about the shown language from
// what Windows holds.
#include "app/tform1.h"
#include "core/error.h"
#include "platform/registry_errors.h"

#include <algorithm>

namespace quillon {

namespace {

const char16_t* const kKeyboardLayouts =
    u"\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\";
const char16_t* const kUserProfile = u"\\Control Panel\\International\\User Profile\\";

ustring langText(std::int32_t langid) {
    return hexText(static_cast<std::uint32_t>(langid), 4);
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

void selectFirstWhenNone(ListView& list) {
    if (list.selected >= list.count()) {
        list.selected = -1;
    }
    if (list.count() > 0 && list.selected < 0) {
        list.selected = 0;
    }
}

} // namespace

void TForm1::Button_RefreshClick() {
    // Until the refresh has read everything, the lists are not what Windows holds; the
    // enabling rules follow the lists on every way out, an error included.
    listsIncomplete = true;
    // A choice not yet confirmed gives way to what Windows holds.
    for (ComboBox* box : {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox_Lang}) {
        box->choosing.reset();
    }
    bool enumerated = false;
    try {
        enumerated = refreshLists();
    } catch (...) {
        applyListRules();
        throw;
    }
    // Without the profiles the enabled list still holds what an earlier refresh found (perhaps
    // for another language): it is shown, but never committed.
    listsIncomplete = !enumerated;
    applyListRules();
}

bool TForm1::refreshLists() {
    buildlanglist();
    return readLanguage();
}

bool TForm1::readLanguage() {
    mycatid = readcatid();

    // The previous object goes with its holder; never leave views of it behind.
    ipm = nullptr;
    Iprofiles = nullptr;
    std::unique_ptr<platform::TfProfiles> fresh;
    const std::int32_t created = os().tsf.CreateInputProcessorProfiles(fresh);
    profiles = std::move(fresh);
    bool enumerated = false;
    if (created == 0 && profiles) {
        Iprofiles = profiles.get();
        if (!profiles->HasProfileMgr()) {
            throw QuillonError(u"不支持此接口（ITfInputProcessorProfileMgr）。");
        }
        ipm = profiles.get();
        auto profileEnum = ipm->EnumProfiles(LangId());
        if (profileEnum) {
            enumerated = true;
            ListView1.rows.clear();
            ListView1.selected = -1;
            ListView2.rows.clear();
            ListView2.selected = -1;
            substitutedLayouts_.clear();
            const ustring ownLayout = langText(mylangid) + langText(mylangid);
            platform::TfProfile p;
            while (profileEnum->Next(p)) {
                if (p.langid == 0) {
                    continue;
                }
                const ustring h = hexText(p.hkl & 0xFFFFFFFFu, 8);
                ListView* target = nullptr;
                if (p.flags == 0) {
                    if (h == ownLayout) {
                        continue;
                    }
                    target = &ListView2;
                } else if (p.flags == 2 || p.flags == 3) {
                    target = &ListView1;
                } else {
                    // A layout a text service stands in for (enabled or not) is chosen
                    // through that text service: Windows lists it nowhere on its own, and
                    // it must not come back from the registry as a disabled row either.
                    if ((p.flags & kProfileSubstituted) != 0 || (p.flags & kProfileEnabled) != 0) {
                        substitutedLayouts_.push_back(h);
                    }
                    continue;
                }
                InputMethodEntry row;
                if (auto description = Iprofiles->GetLanguageProfileDescription(p.clsid, p.langid,
                                                                                p.guidProfile)) {
                    row.name = *description;
                }
                row.fields = {guidToText(p.clsid),
                              hexText(p.langid, 4),
                              guidToText(p.catid),
                              guidToText(p.guidProfile),
                              h,
                              u""};
                if (row.name.empty()) {
                    row.name = getimename(h);
                }
                target->rows.push_back(std::move(row));
            }
        }
    }
    addenglish();
    addimetolist();
    gethotkey();
    getswitchkey();
    getSWkey();
    readother();
    defime = getdefime();
    return enumerated;
}

void TForm1::applyListRules() {
    selectFirstWhenNone(ListView1);
    selectFirstWhenNone(ListView2);
    ListView1Change();
    ListView2Change();
}

// A layout's name as well as it can be read: its display name, else its "Layout Text", else the
// key's own name. A name that cannot be read (a resource of a layout uninstalled badly, a value
// in a wrong form) spoils only this row: the refresh goes on with the others.
ustring TForm1::getimename(const ustring& hkl) {
    ustring key = hkl;
    if (!hkl.empty() && hkl.front() == u'0') {
        key = u"0000" + hkl.substr(0, 4);
    }
    // One open and one read per value. Opening asks for full access, as the list of layouts
    // does: without it (a user who is no administrator) no name is read.
    platform::TRegistry reg(os().registry, platform::Hive::LocalMachine);
    if (!reg.OpenKey(kKeyboardLayouts + key, false)) {
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
                const ustring loaded = _SHLoadIndirectString(source);
                if (!loaded.empty()) {
                    result = loaded;
                }
            }
        }
    } catch (const QuillonError&) {
    }
    return result.empty() ? key : result;
}

ustring TForm1::_SHLoadIndirectString(const ustring& AIndirectStr) {
    const platform::IndirectString loaded = os().system.SHLoadIndirectString(AIndirectStr);
    if (loaded.result != 0) {
        throw QuillonError(loaded.errorMessage.empty()
                               ? u"无法读取资源字符串“" + platform::quotedData(AIndirectStr) +
                                     u"”。"
                               : loaded.errorMessage);
    }
    return loaded.text;
}

bool TForm1::listedOrHidden(const ustring& hkl) const {
    return indexOfField(ListView1.rows, kFieldHkl, hkl) >= 0 ||
           indexOfField(ListView2.rows, kFieldHkl, hkl) >= 0 ||
           std::find(substitutedLayouts_.begin(), substitutedLayouts_.end(), hkl) !=
               substitutedLayouts_.end();
}

void TForm1::addenglish() {
    const ustring k = u"0409" + langText(mylangid);
    if (listedOrHidden(k)) {
        return;
    }
    InputMethodEntry row;
    row.name = getimename(k);
    row.fields = {nullGuidText(), langText(mylangid), mycatid, nullGuidText(), k, u""};
    ListView2.rows.push_back(std::move(row));
}

void TForm1::addimetolist() {
    platform::TRegistry reg(os().registry, platform::Hive::LocalMachine);
    StringList names;
    if (reg.OpenKey(kKeyboardLayouts, false)) {
        reg.GetKeyNames(names);
    }
    const ustring own = langText(mylangid);
    for (const ustring& name : names) {
        if (name.empty() || name.front() == u'0' || name.size() < 4 ||
            name.compare(name.size() - 4, 4, own) != 0) {
            continue;
        }
        if (listedOrHidden(name)) {
            continue;
        }
        InputMethodEntry row;
        row.name = getimename(name);
        row.fields = {
            nullGuidText(), name.substr(name.size() - 4), mycatid, nullGuidText(), name, u""};
        ListView2.rows.push_back(std::move(row));
    }
}

ustring TForm1::readcatid() {
    platform::TRegistry reg(os().registry);
    StringList languages;
    if (reg.OpenKey(u"\\Software\\Microsoft\\CTF\\Assemblies\\", false)) {
        reg.GetKeyNames(languages);
    }
    if (languages.empty() || !reg.OpenKey(languages.front(), false)) {
        return {};
    }
    StringList categories;
    reg.GetKeyNames(categories);
    return categories.empty() ? ustring() : categories.front();
}

std::int32_t TForm1::getdefime() {
    platform::TRegistry reg(os().registry);
    if (!reg.OpenKey(kUserProfile, false)) {
        return -1;
    }
    // A missing value reads as empty text, which names no input method either.
    const ustring s = reg.ReadString(u"InputMethodOverride");
    if (s.find(u'{') != ustring::npos) {
        return indexOfField(ListView1.rows, kFieldProfile, s.substr(s.rfind(u'{')));
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
    return indexOfField(ListView1.rows, kFieldHkl, t);
}

} // namespace quillon
