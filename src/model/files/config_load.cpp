// Applying a configuration file to every installed language it has sections for.
#include "app/form_values.h"
#include "app/tform1.h"
#include "backups/backups.h"
#include "core/error.h"
#include "core/whole_number.h"
#include "drift/config_drift.h"
#include "files/config_apply.h"
#include "files/config_file.h"
#include "files/config_target.h"
#include "files/open_dialog_uses.h"
#include "files/setup_reader.h"
#include "operations/row_values.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace quillon {

namespace {

// While a load runs the window takes no input: a click between two languages would act on
// the half-applied state, or switch the language under the load's feet.
class BusyWindow {
public:
    explicit BusyWindow(TForm1& form) : form_(form) {
        form_.Enabled = false;
        form_.ScreenCursor = Cursor::HourGlass;
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;
    ~BusyWindow() {
        form_.Enabled = true;
        form_.ScreenCursor = Cursor::Default;
        form_.StatusBar1 = u"就绪";
        form_.notifyChanged();
    }

private:
    TForm1& form_;
};

// A value read as a whole number; what is no number counts as 0.
std::int32_t numberOrZero(const ustring& value) {
    return tryWholeNumber(value).value_or(0);
}

// Selects the item equal to the text without regard to case; a text matching none leaves the
// selection as it is.
void selectItem(ComboBox& box, const ustring& text) {
    for (std::size_t i = 0; i < box.items.size(); ++i) {
        if (equalsNoCase(box.items[i], text)) {
            box.itemIndex = static_cast<int>(i);
            return;
        }
    }
}

bool hasSections(const IniDocument& document, const ustring& language) {
    return document.section(language + kListSection) ||
           document.section(language + kSwitchKeySection) ||
           document.section(language + kOtherSection);
}

// The rows a "_list" section leaves in the enabled list of the language shown: without rows
// listed twice or not installed here, and with each hotkey that would read back as the one
// the machine holds kept as read, so that the commit writes it with exactly its own codes.
EntryList rowsToWrite(const TForm1& form, const IniSection& list) {
    std::set<ustring> installed;
    std::map<ustring, const InputMethodEntry*> enabled;
    for (const InputMethodEntry& row : form.ListView1.rows) {
        installed.insert(rowIdentity(row));
        enabled.emplace(rowIdentity(row), &row);
    }
    for (const InputMethodEntry& row : form.ListView2.rows) {
        installed.insert(rowIdentity(row));
    }
    EntryList rows;
    for (ListTarget::Row& target : listTarget(list, installed).rows) {
        InputMethodEntry row = std::move(target.row);
        ustring& hotkey = row.fields[kFieldHotkey];
        const auto held = enabled.find(rowIdentity(row));
        if (held != enabled.end()) {
            const ustring& shown = held->second->fields[kFieldHotkey];
            const auto read = form.hotkeysRead.find(hotkeyRowIdentity(*held->second));
            const ustring saved = savedHotkeyText(
                form.scancode, shown, read != form.hotkeysRead.end() ? &read->second : nullptr);
            if (sameHotkeyAfterWrite(form.scancode, hotkey, saved, storeOf(row))) {
                hotkey = shown;
            }
        }
        if (isNoHotkey(hotkey)) {
            hotkey.clear();
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// The file's input method as the default, where it stands: the list keeps the file's order.
void makeDefault(TForm1& form, int index) {
    form.requireCompleteLists();
    const InputMethodEntry& row = form.ListView1.rows[static_cast<std::size_t>(index)];
    const ustring tip = defaultInputMethodTip(row, form.mylangid);
    backups::beforeChange(form, u"设置默认输入法“" + row.name + u"”");
    form.os().processes.ShellExecute(
        u"open", form.PowerShellPath(),
        u"-command \"& {Set-WinDefaultInputMethodOverride '" + tip + u"'}", platform::kSwHide);
    form.defime = index;
    form.ListView1Change();
}

// The enabled row a "DefaultIME" of `d` names: the file's row d when the load wrote the list,
// found by what it is, since Windows may list the rows in its own order until it has taken up
// the re-applied list; else row d as shown, which is the file's (the list did not differ).
// -1 when it names none.
int defaultIndex(const TForm1& form, const IniSection* list, std::int32_t d) {
    const int count = form.ListView1.count();
    if (!list) {
        return d <= count ? d - 1 : -1;
    }
    if (d > static_cast<std::int32_t>(list->entries.size())) {
        return -1;
    }
    const ustring identity =
        rowIdentity(listRow(list->entries[static_cast<std::size_t>(d - 1)].value));
    for (int i = 0; i < count; ++i) {
        if (rowIdentity(form.ListView1.rows[static_cast<std::size_t>(i)]) == identity) {
            return i;
        }
    }
    return -1;
}

// True when the file had anything for the language. `wrote` is set once a step has changed
// Windows: a later failure leaves the language partly applied. `changes` holds what differs
// from the machine.
bool applyLanguage(TForm1& form, const IniDocument& changes, const ustring& language,
                   std::int32_t langid, bool& wrote) {
    const auto step = [&wrote](const std::function<void()>& write) {
        write();
        wrote = true;
    };
    form.mylangid = langid;
    form.Button_RefreshClick();
    const ustring list = language + kListSection;
    const ustring switchKeys = language + kSwitchKeySection;
    // What needs the commit: the list with its hotkeys, and the toggles it writes; a language
    // the machine already holds as the file has it is not committed (nor re-applied, nor waited
    // for), so that loading what the machine holds changes nothing.
    bool changed = false;

    if (const IniSection* rows = changes.section(list)) {
        changed = true;
        form.ListView1.rows = rowsToWrite(form, *rows);
        form.ListView1.selected = -1;
        form.ProcessMessages();
    }

    if (changes.entry(switchKeys, u"layout") || changes.entry(switchKeys, u"language")) {
        const SwitchKeyPair before{form.ComboBox1.itemIndex, form.ComboBox2.itemIndex};
        ustring setter;
        const SwitchKeyPair after =
            switchKeysAfter(changes, {language}, form.ComboBox1.items, before, setter);
        if (!(after == before)) {
            form.ComboBox1.itemIndex = after.layout;
            form.ComboBox2.itemIndex = after.language;
            // The pair never names one key twice, so neither box gives way again.
            step([&] { form.ComboBox1Change(); });
        }
    }
    if (const IniEntry* caps = changes.entry(switchKeys, u"CAPS")) {
        const int before = form.ComboBox3.itemIndex;
        selectItem(form.ComboBox3, upperAscii(caps->value));
        if (form.ComboBox3.itemIndex != before) {
            step([&] { form.ComboBox3Change(); });
        }
    }
    Control* buttons[] = {&form.Button_SW1, &form.Button_SW2, &form.Button_SW3};
    for (std::size_t i = 0; i < 3; ++i) {
        const IniEntry* toggle = changes.entry(switchKeys, kToggleKeys[i]);
        if (!toggle) {
            continue;
        }
        changed = true;
        // "none" is no hotkey, as the window's "无" is: never a key of its own.
        const ustring caption =
            isNoHotkey(toggle->value) ? ustring(u"无") : upperAscii(toggle->value);
        const auto& read = form.togglesRead[i];
        const ustring held =
            savedHotkeyText(form.scancode, buttons[i]->caption, read ? &*read : nullptr);
        if (!sameHotkeyAfterWrite(form.scancode, caption, held, HotkeyStore::Imm)) {
            buttons[i]->caption = caption;
        }
    }

    form.StatusBar1 = u"正在刷新，请稍候...";
    if (changed) {
        step([&] { form.Button_FixClick(); });
        form.Delay(4000);
        form.Button_RefreshClick();
    }
    form.ProcessMessages();

    const ustring other = language + kOtherSection;
    const bool hasOther = changes.section(other) != nullptr;
    if (hasOther) {
        const IniEntry* switchMode = changes.entry(other, u"SwitchMode");
        const IniEntry* languageBar = changes.entry(other, u"LanguageBar");
        const bool separate = form.CheckBox1.checked;
        const bool bar = form.CheckBox2.checked;
        if (switchMode) {
            form.CheckBox1.checked = numberOrZero(switchMode->value) != 0;
        }
        if (languageBar) {
            form.CheckBox2.checked = numberOrZero(languageBar->value) != 0;
        }
        if (form.CheckBox1.checked != separate || form.CheckBox2.checked != bar) {
            step([&] { form.CheckBox1Click(); });
        }
        if (const IniEntry* emoji = changes.entry(other, u"InputEmoji")) {
            const bool stays = numberOrZero(emoji->value) != 0;
            if (stays != form.CheckBox3.checked) {
                form.CheckBox3.checked = stays;
                step([&] { form.CheckBox3Click(); });
            }
        }
        if (const IniEntry* defaultIme = changes.entry(other, u"DefaultIME")) {
            const std::int32_t d = numberOrZero(defaultIme->value);
            if (d == 0) {
                // Windows keeps one default for all languages: a 0 replaces the default by
                // the language list when the default is one of this language's input methods,
                // and leaves another language's alone.
                if (form.defime >= 0) {
                    step([&] { form.N4Click(); });
                }
            } else if (d >= 1) {
                const int index = defaultIndex(form, changes.section(language + kListSection), d);
                if (index >= 0 && form.defime != index) {
                    step([&] { makeDefault(form, index); });
                }
            }
        }
    }
    return changed || hasOther;
}

ustring joined(const StringList& languages) {
    ustring out;
    for (const ustring& language : languages) {
        out += (out.empty() ? u"" : u"、") + language;
    }
    return out;
}

} // namespace

void applyConfigDocument(TForm1& form, const IniDocument& changes, const StringList& languages,
                         const ustring& filename, LoadScope scope) {
    // The walk shows each language in turn, by its name.
    form.waitForLanguageNames();
    // One backup for the whole load, before its first change; none when nothing is applied.
    const backups::UserAction action(
        form, (scope == LoadScope::Whole ? u"导入配置“" : u"应用配置差异“") + filename + u"”");
    const BusyWindow busy(form);
    form.notifyChanged();
    StringList applied;
    for (const ustring& language : languages) {
        std::uint32_t id = 0;
        if (!parseHex32(language, id)) {
            continue;
        }
        if (scope == LoadScope::Differences && !hasSections(changes, language)) {
            continue;
        }
        // Nothing to apply to a language, nothing to back up for it: a load of what the machine
        // holds leaves no backup behind.
        if (hasSections(changes, language)) {
            backups::beforeChange(form, {});
        }
        bool wrote = false;
        try {
            if (applyLanguage(form, changes, language, static_cast<std::int32_t>(id), wrote)) {
                applied.push_back(language);
            }
        } catch (const QuillonError& e) {
            throw QuillonError(e.message() + u"\r\r导入配置文件“" + filename + u"”时在语言 " +
                               language + u" 处停止。" +
                               (applied.empty() ? ustring(u"此前没有导入任何语言的设置。")
                                                : u"已导入的语言：" + joined(applied) + u"。") +
                               (wrote ? u"语言 " + language + u" 的设置已部分导入。" : u""));
        }
    }
}

void TForm1::loadcfg(const ustring& filename) {
    if (!os().files.FileExists(filename)) {
        return;
    }
    const platform::FileContent content = os().files.ReadFile(filename);
    if (!content.read) {
        throw QuillonError(u"无法读取配置文件“" + filename + u"”：" + content.reason);
    }
    // The languages as the window knows them now; the walk below refreshes the list, and the
    // check and the walk must agree.
    const StringList languages = lang.code;
    const ConfigFile config = readConfig(content.bytes, languages, scancode);
    if (config.problem) {
        throw QuillonError(configProblemMessage(filename, *config.problem, u"没有导入任何设置"));
    }
    // Only what differs from the machine is written, as the apply writes it: loading what the
    // machine already holds changes nothing.
    const IniDocument machine = readSetup(os(), languages, scancode, otherSettingsShown(*this));
    const ConfigDrift drift = compareSetup(config.document, machine, languages, scancode);
    applyConfigDocument(*this, drift.toApply, languages, filename, LoadScope::Whole);
}

void TForm1::loadcfgClick() {
    if (!chooseFile(*this, u"导入配置", kConfigExtension, kConfigFilter)) {
        return;
    }
    loadcfg(OpenDialog1.FileName);
}

} // namespace quillon
