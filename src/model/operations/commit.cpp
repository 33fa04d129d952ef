// The commit: writes the shown language's enabled list back to Windows, all or nothing.
#include "app/form_values.h"
#include "app/tform1.h"
#include "backups/backups.h"
#include "core/error.h"
#include "hotkeys/hotkey_store.h"
#include "operations/registry_snapshot.h"
#include "operations/row_values.h"
#include "platform/key_reads.h"
#include "platform/registry_errors.h"
#include "platform/windows_keys.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

namespace quillon {

namespace {

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
    return platform::normalizeKeyPath(
        keys::fromRoot(keys::kSortOrderItems, u"0x" + ustring(language)) + u"\\" + category);
}

// The language's input methods and their positions in the user-profile key, through one open
// of it. The key ends as removing its input methods and writing the rows' in row order would
// leave it, its other values first; but the input methods it lists already in that order,
// after its other values, stay where they are and are written only where they differ, so that
// a commit that changes nothing writes nothing.
void writePositions(platform::KeyReads& reads, const CommitPlan& plan) {
    // Each input method once, where it first comes, with the position of its last row (as
    // writing the rows in turn would leave it).
    std::vector<std::pair<ustring, std::int32_t>> wanted;
    std::map<ustring, std::size_t> wantedAt;
    std::int32_t position = 1;
    for (const auto& r : plan.rows) {
        const auto [at, added] = wantedAt.emplace(r.tip, wanted.size());
        if (added) {
            wanted.emplace_back(r.tip, position);
        } else {
            wanted[at->second].second = position;
        }
        ++position;
    }
    const auto& present = reads.read(plan.profileKey);
    // Without the key no value can be written: the first write fails naming it.
    const auto cannotWrite = [&] {
        if (!plan.rows.empty()) {
            throw platform::registryWriteError(plan.rows.front().tip);
        }
    };
    if (!present) {
        cannotWrite();
        return;
    }
    const platform::NamedValues& values = present->values;
    // The input methods listed after the last other value that are, by name, the first rows'.
    std::size_t firstKept = values.size();
    while (firstKept > 0 && isInputMethodValue(values[firstKept - 1].first)) {
        --firstKept;
    }
    std::size_t kept = 0;
    while (firstKept + kept < values.size() && kept < wanted.size() &&
           values[firstKept + kept].first == wanted[kept].first) {
        ++kept;
    }
    platform::ValueChanges positions;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const bool stays = i >= firstKept && i < firstKept + kept;
        if (!stays && isInputMethodValue(values[i].first)) {
            positions.remove(values[i].first);
        }
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const platform::RegValue value = platform::dwordValue(wanted[i].second);
        if (i < kept) {
            positions.writeIfChanged(values, wanted[i].first, value);
        } else {
            positions.write(wanted[i].first, value);
        }
    }
    if (!positions.empty() && !positions.apply(reads, plan.profileKey, false)) {
        cannotWrite();
    }
}

// The numbered items below each category key that exists, one per row in row order: a row is
// written only below an existing category key, since no key is created above the numbered
// items. An item that holds nothing but the values the row gives it, spelled as they are
// written, is written again where it stands, and only where it differs; every other item
// is deleted and made anew, and the ones no row takes are deleted.
void writeSortOrder(platform::KeyReads& reads, const CommitPlan& plan) {
    const char16_t* const kItemValues[] = {u"CLSID", u"Profile", u"KeyboardLayout"};
    // Each row's item, by its upper-cased path.
    std::map<ustring, ustring> itemNames;
    for (std::size_t n = 0; n < plan.rows.size(); ++n) {
        if (!plan.rows[n].sortKey.empty()) {
            const ustring number = hexText(static_cast<std::uint32_t>(n), 8);
            itemNames[toUpper(platform::joinKeyPath(plan.rows[n].sortKey, number))] = number;
        }
    }
    std::set<ustring> existingCategories;
    std::map<ustring, const platform::KeyContents*> inPlace;
    for (const ustring& key : plan.categoryKeys) {
        const auto& category = reads.read(key);
        if (!category) {
            continue;
        }
        existingCategories.insert(toUpper(key));
        for (const ustring& name : category->subKeys) {
            const ustring path = toUpper(platform::joinKeyPath(key, name));
            const auto taken = itemNames.find(path);
            const auto& item = reads.read(platform::joinKeyPath(key, name));
            const bool plain =
                item && item->subKeys.empty() &&
                std::all_of(item->values.begin(), item->values.end(), [&](const auto& v) {
                    return std::find(std::begin(kItemValues), std::end(kItemValues), v.first) !=
                           std::end(kItemValues);
                });
            if (taken != itemNames.end() && taken->second == name && plain) {
                inPlace[path] = &*item;
            } else if (reads.deleteKeyTree(platform::joinKeyPath(key, name)) !=
                       platform::RegStatus::Ok) {
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
        const auto kept = inPlace.find(toUpper(itemKey));
        const platform::NamedValues none;
        const platform::NamedValues& present = kept != inPlace.end() ? kept->second->values : none;
        platform::ValueChanges item;
        item.writeIfChanged(present, u"CLSID", platform::stringValue(r.clsid))
            .writeIfChanged(present, u"Profile", platform::stringValue(r.profile))
            .writeIfChanged(present, u"KeyboardLayout",
                            platform::dwordValue(static_cast<std::int32_t>(r.layout)));
        if (!item.empty() && !item.apply(reads, itemKey, true)) {
            throw QuillonError(u"无法创建注册表项“" + itemKey + u"”。");
        }
    }
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
    plan.profileKey = keys::fromRoot(keys::kUserProfile, tag) + u"\\";
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

    // Every hotkey text is converted before anything is removed. What the plan reads of the
    // registry, the checkpoint and the writers below share: each key is read once.
    platform::KeyReads reads(os().registry, platform::Hive::CurrentUser);
    const HotkeyPlan hotkeys = planHotkeys(hotkeysShown(*this), reads);
    backups::beforeChange(*this, u"保存输入法列表");

    // What the commit may change, kept so that a failed write puts back what differs.
    RegistryCheckpoint checkpoint(reads);
    checkpoint.keep(plan.profileKey);
    for (const ustring& key : plan.categoryKeys) {
        checkpoint.keep(key);
    }
    for (const ustring& key : hotkeys.keysTouched()) {
        checkpoint.keep(key);
    }

    try {
        writePositions(reads, plan);
        writeSortOrder(reads, plan);
        writeHotkeys(hotkeys, reads, os().system);
    } catch (const QuillonError& e) {
        throw QuillonError(rolledBackMessage(e.message(), checkpoint.restore()));
    }

    os().processes.ShellExecute(u"open", PowerShellPath(), kReapply, platform::kSwHide);
}

} // namespace quillon
