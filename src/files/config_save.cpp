// Saving every installed language's setup to one configuration file.
#include "app/tform1.h"
#include "core/error.h"
#include "files/config_file.h"
#include "files/open_dialog_uses.h"
#include "hotkeys/hotkey_registry.h"
#include "hotkeys/hotkey_store.h"

#include <string>

namespace quillon {

namespace {

const char16_t* const kErrorCaption = u"错误";

// Where the save was asked for: the menu asks and replaces, the command line merges into the
// file and a failure ends its run, as every failing command does.
enum class SaveFrom { Menu, CommandLine };

void saveFailed(TForm1& form, SaveFrom from, const ustring& filename, const ustring& text) {
    if (from == SaveFrom::CommandLine) {
        throw QuillonError(filename + u"\r" + text);
    }
    if (form.Changed) {
        form.Changed();
    }
    form.os().ui.MessageBox(filename + u"\r" + text, kErrorCaption, platform::kMbIconError);
}

ustring countText(std::size_t n) {
    return fromUtf8(std::to_string(n));
}

ustring switchKeyText(const ComboBox& box) {
    if (box.itemIndex < 0 || box.itemIndex >= static_cast<int>(box.items.size())) {
        return {};
    }
    // The third item, "禁用", is written in a form every system can read back.
    return box.itemIndex == 2 ? u"disable" : box.items[static_cast<std::size_t>(box.itemIndex)];
}

ustring itemText(const ComboBox& box) {
    if (box.itemIndex < 0 || box.itemIndex >= static_cast<int>(box.items.size())) {
        return {};
    }
    return box.items[static_cast<std::size_t>(box.itemIndex)];
}

bool converts(TForm1& form, const ustring& text) {
    try {
        immHotkeyCodes(form.scancode, text, {});
        return true;
    } catch (const QuillonError&) {
        return false;
    }
}

// A hotkey whose key the table cannot name (F13, or a code of 0) shows as its modifiers
// alone, which a load could not convert. While it is as read, it is saved with the key's code
// in hexadecimal, which a load converts to the codes read.
ustring savedHotkey(TForm1& form, const ustring& text, const HotkeyAsRead* read) {
    if (!read || read->text != text || text.empty() || converts(form, text)) {
        return text;
    }
    ustring key;
    if (read->source == HotkeyAsRead::Source::ImmEntry) {
        key = hotkeys::hexAtLeast(read->virtualKey, 2);
    } else {
        key = read->keyText.size() > 2 ? read->keyText.substr(read->keyText.size() - 2)
                                       : read->keyText;
    }
    const ustring saved = text + u"+" + (key.empty() ? u"00" : key);
    return converts(form, saved) ? saved : text;
}

ustring toggleText(TForm1& form, int index, const Control& button) {
    if (button.caption == u"无") {
        return u"none";
    }
    const auto& read = form.togglesRead[static_cast<std::size_t>(index)];
    return savedHotkey(form, button.caption, read ? &*read : nullptr);
}

ustring flag(const CheckBox& box) {
    return box.checked ? u"1" : u"0";
}

// What the window shows for the language just refreshed.
void writeLanguage(TForm1& form, IniDocument& document, const ustring& language) {
    const ustring list = language + kListSection;
    for (std::size_t j = 0; j < form.ListView1.rows.size(); ++j) {
        InputMethodEntry row = form.ListView1.rows[j];
        const auto read = form.hotkeysRead.find(hotkeyRowIdentity(row));
        row.fields[kFieldHotkey] =
            savedHotkey(form, row.fields[kFieldHotkey],
                        read != form.hotkeysRead.end() ? &read->second : nullptr);
        document.write(list, countText(j + 1), listValue(row, 6));
    }
    const ustring disabled = language + kDisabledSection;
    for (std::size_t j = 0; j < form.ListView2.rows.size(); ++j) {
        document.write(disabled, countText(j + 1), listValue(form.ListView2.rows[j], 5));
    }
    const ustring switchKeys = language + kSwitchKeySection;
    document.write(switchKeys, u"layout", switchKeyText(form.ComboBox1));
    document.write(switchKeys, u"language", switchKeyText(form.ComboBox2));
    document.write(switchKeys, u"CAPS", itemText(form.ComboBox3));
    document.write(switchKeys, kToggleKeys[0], toggleText(form, 0, form.Button_SW1));
    document.write(switchKeys, kToggleKeys[1], toggleText(form, 1, form.Button_SW2));
    document.write(switchKeys, kToggleKeys[2], toggleText(form, 2, form.Button_SW3));
    const ustring other = language + kOtherSection;
    document.write(other, u"SwitchMode", flag(form.CheckBox1));
    document.write(other, u"LanguageBar", flag(form.CheckBox2));
    document.write(other, u"InputEmoji", flag(form.CheckBox3));
    document.write(other, u"DefaultIME", fromUtf8(std::to_string(form.defime + 1)));
}

// `merge`: an existing file's sections and keys keep their places and what this save does not
// write survives. A file that cannot be read as the format is never written over by a merge,
// since its content would be lost.
void saveConfig(TForm1& form, const ustring& filename, SaveFrom from) {
    const bool merge = from == SaveFrom::CommandLine;
    IniDocument document;
    platform::Files& files = form.os().files;
    if (merge && files.FileExists(filename)) {
        const platform::FileContent content = files.ReadFile(filename);
        if (!content.read) {
            saveFailed(form, from, filename,
                       u"无法读取已有的文件（" + content.reason +
                           u"），为免丢失其中的设置，没有写入配置。");
            return;
        }
        IniRead read = readIni(content.bytes);
        if (read.badLine > 0) {
            saveFailed(form, from, filename,
                       u"已有的文件第 " + countText(static_cast<std::size_t>(read.badLine)) +
                           u" 行不是有效的 UTF-8 文本，为免丢失其中的内容，没有写入配置。");
            return;
        }
        document = std::move(read.document);
    }

    const StringList languages = form.lang.code;
    for (const ustring& language : languages) {
        std::uint32_t id = 0;
        if (!parseHex32(language, id)) {
            continue;
        }
        form.mylangid = static_cast<std::int32_t>(id);
        form.Button_RefreshClick();
        // Without its profiles the lists still hold the previous language's rows, which
        // would be saved, and later loaded, as this language's.
        if (form.listsIncomplete) {
            saveFailed(form, from, filename,
                       u"无法列出语言 " + hexText(id, 4) + u" 的输入法，没有写入配置。");
            return;
        }
        writeLanguage(form, document, hexText(id, 4));
    }

    const platform::FileWrite written = files.WriteFile(filename, document.bytes());
    if (written.failure == platform::FileWrite::Failure::Replace && !merge) {
        saveFailed(form, from, filename, u"文件无法覆盖！");
    } else if (!written.ok()) {
        saveFailed(form, from, filename, u"无法写入配置文件！");
    }
}

} // namespace

void TForm1::savecfg(const ustring& filename) {
    saveConfig(*this, filename, SaveFrom::CommandLine);
}

void TForm1::N14Click() {
    if (!chooseFile(*this, u"导出配置", kConfigExtension, kConfigFilter)) {
        return;
    }
    const ustring filename = OpenDialog1.FileName;
    if (os().files.FileExists(filename)) {
        if (Changed) {
            Changed();
        }
        const int answer = os().ui.MessageBox(filename + u"\r文件已存在，是否覆盖？", u"确认",
                                              platform::kMbYesNo | platform::kMbIconQuestion |
                                                  platform::kMbDefButton2);
        if (answer != platform::kIdYes) {
            return;
        }
    }
    // A fresh document: rows of an earlier save do not survive. The old file stays until the
    // new one is complete.
    saveConfig(*this, filename, SaveFrom::Menu);
}

} // namespace quillon
