// The commit: writes the shown language's enabled list back to Windows, all or nothing.
#include "app/tform1.h"
#include "backups/backups.h"
#include "core/error.h"
#include "hotkeys/hotkey_store.h"
#include "operations/registry_snapshot.h"
#include "operations/row_values.h"
#include "platform/registry_errors.h"

#include <algorithm>
#include <set>

namespace quillon {

namespace {

const char16_t* const kSortOrder = u"\\Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\";
const char16_t* const kReapply =
    u"-command \"& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}\"";

bool isInputMethodValue(const ustring& name) {
    return name != u"CachedLanguageName" && name.size() >= 5 && name[4] == u':';
}

// Everything the commit will write, worked out before the first change.
struct CommitPlan {
    ustring profileKey; // the language's user-profile key
    // The category keys whose numbered sub-keys are rewritten: the shown category's and every
    // one a row is written into, each cleared before anything is written below it.
    StringList categoryKeys;
    struct Row {
        ustring tip;
        ustring sortKey; // the row's language and category key, or empty: not written
        ustring clsid;
        ustring profile;
        std::uint32_t layout = 0;
    };
    std::vector<Row> rows;

    void addCategoryKey(const ustring& path) {
        const bool known = std::any_of(categoryKeys.begin(), categoryKeys.end(),
                                       [&](const ustring& k) { return equalsNoCase(k, path); });
        if (!known) {
            categoryKeys.push_back(path);
        }
    }
};

ustring sortOrderKey(ustring_view language, const ustring& category) {
    return platform::normalizeKeyPath(kSortOrder + (u"0x" + ustring(language)) + u"\\" + category);
}

} // namespace

void TForm1::Button_FixClick() {
    requireCompleteLists();
    const ustring code = hexText(LangId(), 4);
    const int at = lang.position(code);
    if (at < 0) {
        throw QuillonError(u"语言 " + code + u" 不在已安装的语言列表中，无法保存输入法设置。");
    }
    const ustring& tag = lang.name[static_cast<std::size_t>(at)];

    CommitPlan plan;
    plan.profileKey = u"\\Control Panel\\International\\User Profile\\" + tag + u"\\";
    // Without a category the key would be the language's own, with every category below it:
    // that is never what is meant.
    if (!mycatid.empty()) {
        plan.addCategoryKey(sortOrderKey(hexText(LangId(), 8), mycatid));
    }
    for (const InputMethodEntry& row : ListView1.rows) {
        CommitPlan::Row r;
        r.layout = hklValue(row);
        r.tip = inputMethodTip(row);
        if (!row.fields[kFieldCatid].empty()) {
            r.sortKey = sortOrderKey(u"0000" + row.fields[kFieldLangid], row.fields[kFieldCatid]);
            plan.addCategoryKey(r.sortKey);
        }
        r.clsid = row.fields[kFieldClsid];
        r.profile = row.fields[kFieldProfile];
        plan.rows.push_back(std::move(r));
    }

    // Every hotkey text is converted before anything is removed.
    const HotkeyPlan hotkeys = planHotkeys(*this);
    backups::beforeChange(*this, u"保存输入法列表");

    // What the commit may change, kept so that a failed write puts back what differs.
    platform::RegistryBackend& backend = os().registry;
    RegistryCheckpoint checkpoint(backend, platform::Hive::CurrentUser);
    checkpoint.keep(plan.profileKey);
    for (const ustring& key : plan.categoryKeys) {
        checkpoint.keep(key);
    }
    for (const ustring& key : hotkeys.keysTouched()) {
        checkpoint.keep(key);
    }

    try {
        // The positions are written through one open of the key, the old ones removed first.
        const platform::Hive hkcu = platform::Hive::CurrentUser;
        platform::ValueChanges positions;
        for (const ustring& name :
             backend.valueNames(hkcu, platform::normalizeKeyPath(plan.profileKey))) {
            if (isInputMethodValue(name)) {
                positions.remove(name);
            }
        }
        std::int32_t position = 1;
        for (const auto& r : plan.rows) {
            positions.write(r.tip, platform::dwordValue(position++));
        }
        // Without the key no value can be written: the first write fails naming it.
        if (!positions.empty() && !positions.apply(backend, hkcu, plan.profileKey, false) &&
            !plan.rows.empty()) {
            throw platform::registryWriteError(plan.rows.front().tip);
        }

        // The category keys that exist: a row is written only below one of them, since no key
        // is created above the numbered sub-keys. Each is opened once, not once per row.
        std::set<ustring> existingCategories;
        for (const ustring& key : plan.categoryKeys) {
            platform::TRegistry category(backend);
            if (!category.OpenKey(u"\\" + key, false)) {
                continue;
            }
            existingCategories.insert(toUpper(key));
            StringList subKeys;
            category.GetKeyNames(subKeys);
            for (const ustring& name : subKeys) {
                if (!category.DeleteKey(name)) {
                    throw QuillonError(u"无法删除注册表项“" + name + u"”。");
                }
            }
        }
        std::uint32_t n = 0;
        for (const auto& r : plan.rows) {
            const ustring number = hexText(n++, 8);
            if (r.sortKey.empty() || existingCategories.count(toUpper(r.sortKey)) == 0) {
                continue;
            }
            const ustring itemKey = platform::joinKeyPath(r.sortKey, number);
            platform::ValueChanges item;
            item.write(u"CLSID", platform::stringValue(r.clsid))
                .write(u"Profile", platform::stringValue(r.profile))
                .write(u"KeyboardLayout",
                       platform::dwordValue(static_cast<std::int32_t>(r.layout)));
            if (!item.apply(backend, hkcu, itemKey, true)) {
                throw QuillonError(u"无法创建注册表项“" + itemKey + u"”。");
            }
        }

        writeHotkeys(*this, hotkeys);
    } catch (const QuillonError& e) {
        throw QuillonError(rolledBackMessage(e.message(), checkpoint.restore()));
    }

    os().processes.ShellExecute(u"open", PowerShellPath(), kReapply, platform::kSwHide);
}

} // namespace quillon
