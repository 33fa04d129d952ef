// Applying a configuration file to every installed language it has sections for.
#include "app/tform1.h"
#include "backups/backups.h"
#include "core/error.h"
#include "core/whole_number.h"
#include "files/config_apply.h"
#include "files/config_file.h"
#include "files/open_dialog_uses.h"

#include <algorithm>
#include <functional>

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
        if (form_.Changed) {
            form_.Changed();
        }
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

ustring switchKeyItem(const ustring& value) {
    const ustring v = upperAscii(value);
    return v == u"DISABLE" ? ustring(u"禁用") : v;
}

bool hasSections(const IniDocument& document, const ustring& language) {
    return document.section(language + kListSection) ||
           document.section(language + kSwitchKeySection) ||
           document.section(language + kOtherSection);
}

// True when the file had anything for the language. `wrote` is set once a step has changed
// Windows: a later failure leaves the language partly applied.
bool applyLanguage(TForm1& form, const IniDocument& document, const ustring& language,
                   std::int32_t langid, LoadScope scope, bool& wrote) {
    const auto step = [&wrote](const std::function<void()>& write) {
        write();
        wrote = true;
    };
    form.mylangid = langid;
    form.Button_RefreshClick();
    // What needs the commit: the list with its hotkeys, and the toggles it writes. A whole load
    // commits for any switching key as well, re-applying the language list each time.
    bool changed = false;
    const bool commitForSwitchKeys = scope == LoadScope::Whole;

    if (const IniSection* list = document.section(language + kListSection)) {
        changed = true;
        form.ListView1.rows.clear();
        form.ListView1.selected = -1;
        for (const IniEntry& entry : list->entries) {
            form.ListView1.rows.push_back(listRow(entry.value));
        }
        form.ProcessMessages();
    }

    const ustring switchKeys = language + kSwitchKeySection;
    if (document.section(switchKeys)) {
        if (const IniEntry* layout = document.entry(switchKeys, u"layout")) {
            changed = changed || commitForSwitchKeys;
            selectItem(form.ComboBox1, switchKeyItem(layout->value));
            step([&] { form.ComboBox1Change(); });
        }
        if (const IniEntry* languageKey = document.entry(switchKeys, u"language")) {
            changed = changed || commitForSwitchKeys;
            selectItem(form.ComboBox2, switchKeyItem(languageKey->value));
            step([&] { form.ComboBox2Change(); });
        }
        if (const IniEntry* caps = document.entry(switchKeys, u"CAPS")) {
            changed = changed || commitForSwitchKeys;
            selectItem(form.ComboBox3, upperAscii(caps->value));
            step([&] { form.ComboBox3Change(); });
        }
        Control* buttons[] = {&form.Button_SW1, &form.Button_SW2, &form.Button_SW3};
        for (std::size_t i = 0; i < 3; ++i) {
            if (const IniEntry* toggle = document.entry(switchKeys, kToggleKeys[i])) {
                changed = true;
                buttons[i]->caption = upperAscii(toggle->value);
            }
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
    const bool hasOther = document.section(other) != nullptr;
    if (hasOther) {
        const IniEntry* switchMode = document.entry(other, u"SwitchMode");
        const IniEntry* languageBar = document.entry(other, u"LanguageBar");
        if (switchMode) {
            form.CheckBox1.checked = numberOrZero(switchMode->value) != 0;
        }
        if (languageBar) {
            form.CheckBox2.checked = numberOrZero(languageBar->value) != 0;
        }
        if (switchMode || languageBar) {
            step([&] { form.CheckBox1Click(); });
        }
        if (const IniEntry* emoji = document.entry(other, u"InputEmoji")) {
            form.CheckBox3.checked = numberOrZero(emoji->value) != 0;
            step([&] { form.CheckBox3Click(); });
        }
        if (const IniEntry* defaultIme = document.entry(other, u"DefaultIME")) {
            const std::int32_t d = numberOrZero(defaultIme->value);
            if (d == 0) {
                // Windows keeps one default for all languages, and a saved file says 0 for
                // every language but the one that holds it: a 0 replaces the default by the
                // language list when the default is one of this language's input methods,
                // whatever the other sections say, and leaves another language's alone.
                if (form.defime >= 0) {
                    step([&] { form.N4Click(); });
                }
            } else if (d >= 1 && d <= form.ListView1.count()) {
                form.ListView1.selected = d - 1;
                step([&] { form.DefaultClick(); });
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

void applyConfigDocument(TForm1& form, const IniDocument& document, const StringList& languages,
                         const ustring& filename, LoadScope scope) {
    // The walk shows each language in turn, by its name.
    form.waitForLanguageNames();
    // One backup for the whole load, before its first change; none when nothing is applied.
    const backups::UserAction action(
        form, (scope == LoadScope::Whole ? u"导入配置“" : u"应用配置差异“") + filename + u"”");
    const BusyWindow busy(form);
    if (form.Changed) {
        form.Changed();
    }
    StringList applied;
    for (const ustring& language : languages) {
        std::uint32_t id = 0;
        if (!parseHex32(language, id)) {
            continue;
        }
        if (scope == LoadScope::Differences && !hasSections(document, language)) {
            continue;
        }
        backups::beforeChange(form, {});
        bool wrote = false;
        try {
            if (applyLanguage(form, document, language, static_cast<std::int32_t>(id), scope,
                              wrote)) {
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
    applyConfigDocument(*this, config.document, languages, filename, LoadScope::Whole);
}

void TForm1::loadcfgClick() {
    if (!chooseFile(*this, u"导入配置", kConfigExtension, kConfigFilter)) {
        return;
    }
    loadcfg(OpenDialog1.FileName);
}

} // namespace quillon
