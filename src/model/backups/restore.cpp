#include "backups/restore.h"

#include "app/tform1.h"
#include "core/error.h"
#include "operations/row_values.h"
#include "platform/registry.h"
#include "platform/windows_keys.h"
#include "settings/language_bar.h"

#include <algorithm>

namespace quillon::backups {

namespace {

using keys::kDesktop;
using keys::kKeyboardLayout;
using keys::kLangBar;
using keys::kUserProfile;
const char16_t* const kEmoji = keys::kInputSettings;
const char16_t* const kReapply =
    u"-command \"& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}\"";

const platform::RegValue* findValue(const std::optional<KeyTree>& tree, ustring_view name) {
    if (!tree) {
        return nullptr;
    }
    const auto it = std::find_if(tree->values.begin(), tree->values.end(),
                                 [&](const auto& v) { return equalsNoCase(v.first, name); });
    return it == tree->values.end() ? nullptr : &it->second;
}

bool sameValue(const std::optional<KeyTree>& a, const std::optional<KeyTree>& b,
               ustring_view name) {
    const platform::RegValue* x = findValue(a, name);
    const platform::RegValue* y = findValue(b, name);
    return x && y ? *x == *y : x == y;
}

std::optional<KeyTree> child(const std::optional<KeyTree>& tree, ustring_view name) {
    if (!tree) {
        return std::nullopt;
    }
    for (const KeyTree& c : tree->children) {
        if (equalsNoCase(c.name, name)) {
            return c;
        }
    }
    return std::nullopt;
}

std::optional<ustring> textOf(const platform::RegValue* value) {
    if (!value) {
        return std::nullopt;
    }
    try {
        return platform::stringOf(*value, u"");
    } catch (const QuillonError&) {
        return std::nullopt;
    }
}

bool isHex(ustring_view text, std::size_t count) {
    std::uint32_t ignored = 0;
    return text.size() == count && parseHex32(text, ignored);
}

bool isTip(ustring_view name) {
    return name.size() >= 5 && name[4] == u':' && isHex(name.substr(0, 4), 4);
}

// The tips a language's key lists, by their upper-cased name.
std::vector<std::pair<ustring, ustring>> tipsOf(const std::optional<KeyTree>& language) {
    std::vector<std::pair<ustring, ustring>> tips;
    if (language) {
        for (const auto& value : language->values) {
            if (isTip(value.first)) {
                tips.emplace_back(toUpper(value.first), value.first);
            }
        }
    }
    return tips;
}

bool listed(const std::vector<std::pair<ustring, ustring>>& tips, const ustring& upper) {
    return std::any_of(tips.begin(), tips.end(), [&](const auto& t) { return t.first == upper; });
}

// A tip in one of the three forms Set-WinDefaultInputMethodOverride is given; nothing else may
// reach its command line.
bool isCanonicalTip(ustring_view tip) {
    if (!isTip(tip)) {
        return false;
    }
    const ustring_view rest = tip.substr(5);
    return isHex(rest, 8) ||
           (rest.size() == 76 && parseGuid(rest.substr(0, 38)) && parseGuid(rest.substr(38)));
}

ustring failureText(const RegistrySnapshot::Failures& failed) {
    const auto& [path, name] = failed.front();
    ustring text = u"HKEY_CURRENT_USER\\" + path + (name.empty() ? u"" : u" 的值“" + name + u"”");
    if (failed.size() > 1) {
        text += u"等 " + fromUtf8(std::to_string(failed.size())) + u" 处";
    }
    return text;
}

ustring undoFailedMessage(const RegistrySnapshot::Failures& failed, const StringList& notRestored) {
    ustring message = u"撤销未能完成：无法写入 " + failureText(failed) + u"。";
    if (notRestored.empty()) {
        return message +
               u"\r已写入的内容已经复原，没有撤销任何更改。备份仍然保留，再次撤销即可完成。";
    }
    message += u"\r以下注册表内容未能复原为撤销之前的状态：";
    for (const ustring& line : notRestored) {
        message += u"\r" + line;
    }
    return message + u"\r备份仍然保留，再次撤销即可完成。";
}

InputMethodEntry textServiceRow(const ustring& tip) {
    InputMethodEntry row;
    row.fields[kFieldLangid] = tip.substr(0, 4);
    row.fields[kFieldClsid] = tip.substr(5, 38);
    row.fields[kFieldProfile] = tip.substr(43, 38);
    row.fields[kFieldHkl] = u"00000000";
    return row;
}

void tellWindows(TForm1& form, const TakeUp& takeUp) {
    platform::Platform& os = form.os();
    for (const TipChange& change : takeUp.tips) {
        const ustring_view rest = ustring_view(change.tip).substr(5);
        std::uint32_t lang = 0;
        parseHex32(change.tip.substr(0, 4), lang);
        if (rest.size() == 76) {
            const InputMethodEntry row = textServiceRow(change.tip);
            if (change.enable) {
                form.profileManager().ActivateProfile(
                    platform::kTfProfileTypeInputProcessor, static_cast<std::uint16_t>(lang),
                    *parseGuid(row.fields[kFieldClsid]), *parseGuid(row.fields[kFieldProfile]), 0,
                    platform::kTfIppmfEnableProfile);
            } else {
                form.deactivateTextService(row);
            }
            continue;
        }
        std::uint32_t hkl = 0;
        parseHex32(rest, hkl);
        if (rest.substr(0, 4) == u"0000") {
            // A keyboard layout of the language: enabled by its substitutes, which the
            // registry holds again; disabled by unloading it.
            if (!change.enable) {
                os.layouts.UnloadKeyboardLayout(layoutHandle((hkl << 16) | lang));
            }
        } else if (change.enable) {
            os.layouts.LoadKeyboardLayout(rest, platform::kKlfReplaceLang);
        } else {
            os.layouts.UnloadKeyboardLayout(layoutHandle(hkl));
        }
    }
    if (takeUp.defaultChanged) {
        os.processes.ShellExecute(
            u"open", form.PowerShellPath(),
            takeUp.defaultTip
                ? u"-command \"& {Set-WinDefaultInputMethodOverride '" + *takeUp.defaultTip + u"'}"
                : ustring(u"-command \"& {Set-WinDefaultInputMethodOverride}\""),
            platform::kSwHide);
    }
    if (takeUp.reapplyLanguageList) {
        os.processes.ShellExecute(u"open", form.PowerShellPath(), kReapply, platform::kSwHide);
    }
    if (takeUp.switchKeys) {
        os.system.SystemParametersInfo(platform::kSpiSetLangToggle, 0,
                                       platform::kSpifSendWinIniChange);
    }
    if (takeUp.shiftReleasesCapsLock) {
        os.layouts.ActivateKeyboardLayout(
            0, platform::kKlfReset | (*takeUp.shiftReleasesCapsLock ? platform::kKlfShiftLock : 0));
    }
    if (takeUp.languageBar) {
        os.processes.ShellExecute(
            u"open", form.PowerShellPath(),
            languageBarCommand(takeUp.languageBar->separateIme, takeUp.languageBar->desktopBar),
            platform::kSwHide);
    }
}

} // namespace

TakeUp planTakeUp(const Snapshot& now, const Snapshot& kept) {
    TakeUp takeUp;
    for (std::size_t i = 0; i < kept.areas.size() && i < now.areas.size(); ++i) {
        const std::optional<KeyTree>& was = kept.areas[i].tree;
        const std::optional<KeyTree>& is = now.areas[i].tree;
        if (was == is) {
            continue;
        }
        const ustring_view path = kept.areas[i].key->path;
        if (path == kUserProfile) {
            takeUp.reapplyLanguageList = true;
            if (!sameValue(was, is, u"InputMethodOverride")) {
                takeUp.defaultChanged = true;
                const auto tip = textOf(findValue(was, u"InputMethodOverride"));
                if (tip && isCanonicalTip(*tip)) {
                    takeUp.defaultTip = *tip;
                }
            }
            // Each language's input methods, by the tips its key lists.
            std::vector<ustring> languages;
            for (const auto* tree : {&was, &is}) {
                if (*tree) {
                    for (const KeyTree& c : (*tree)->children) {
                        if (std::none_of(languages.begin(), languages.end(), [&](const ustring& l) {
                                return equalsNoCase(l, c.name);
                            })) {
                            languages.push_back(c.name);
                        }
                    }
                }
            }
            for (const ustring& language : languages) {
                const auto before = tipsOf(child(is, language));
                const auto after = tipsOf(child(was, language));
                for (const auto& [upper, tip] : before) {
                    if (!listed(after, upper) && (tip.size() == 13 || tip.size() == 81)) {
                        takeUp.tips.push_back(TipChange{tip, false});
                    }
                }
                for (const auto& [upper, tip] : after) {
                    if (!listed(before, upper) && (tip.size() == 13 || tip.size() == 81)) {
                        takeUp.tips.push_back(TipChange{tip, true});
                    }
                }
            }
        } else if (path == kKeyboardLayout) {
            if (child(was, u"Preload") != child(is, u"Preload") ||
                child(was, u"Substitutes") != child(is, u"Substitutes")) {
                takeUp.reapplyLanguageList = true;
            }
            takeUp.switchKeys = child(was, u"Toggle") != child(is, u"Toggle");
            if (!sameValue(was, is, u"Attributes")) {
                const platform::RegValue* attributes = findValue(was, u"Attributes");
                bool shift = false;
                try {
                    shift = attributes && platform::integerOf(*attributes, u"Attributes") != 0;
                } catch (const QuillonError&) {
                }
                takeUp.shiftReleasesCapsLock = shift;
            }
        } else if (path == kDesktop) {
            const platform::RegValue* mask = findValue(was, kWrittenKeys[i].value);
            if (mask && mask->data.size() > 5) {
                takeUp.languageBar =
                    TakeUp::LanguageBar{mask->data[4] == 0x92, mask->data[5] == 0x01};
            }
        } else if (path != kLangBar && path != kEmoji) {
            // The order and the hotkeys: what the commit writes before it re-applies the list.
            takeUp.reapplyLanguageList = true;
        }
    }
    return takeUp;
}

void restoreSnapshot(TForm1& form, const Snapshot& kept) {
    platform::RegistryBackend& backend = form.os().registry;
    platform::KeyReads reads(backend, platform::Hive::CurrentUser);
    const Snapshot now = takeSnapshotLike(reads, kept);
    const TakeUp takeUp = planTakeUp(now, kept);
    // Windows' part cannot be rolled back: what it needs is checked before the first write.
    const bool needsTsf = std::any_of(takeUp.tips.begin(), takeUp.tips.end(),
                                      [](const TipChange& c) { return c.tip.size() == 81; });
    if (needsTsf && !form.ipm) {
        throw QuillonError(u"撤销未能进行：无法访问文本服务框架（TSF），没有撤销任何更改。请点击“"
                           u"刷新”后再次撤销。");
    }

    RegistryCheckpoint checkpoint(reads);
    for (std::size_t i = 0; i < kept.areas.size(); ++i) {
        if (kept.areas[i].tree != now.areas[i].tree) {
            checkpoint.keep(kept.areas[i].key->path);
        }
    }
    RegistrySnapshot::Failures failed;
    for (std::size_t i = 0; i < kept.areas.size(); ++i) {
        const SnapshotArea& area = kept.areas[i];
        if (area.tree == now.areas[i].tree) {
            continue;
        }
        if (area.key->value) {
            restoreSingleValue(backend, area.key->path, area.tree, now.areas[i].tree,
                               area.firstMissing, failed);
        } else {
            RegistrySnapshot::fromTree(platform::Hive::CurrentUser, area.key->path, area.tree,
                                       area.firstMissing)
                .restore(backend, failed);
        }
    }
    if (!failed.empty()) {
        throw QuillonError(undoFailedMessage(failed, checkpoint.restore()));
    }
    tellWindows(form, takeUp);
}

} // namespace quillon::backups
