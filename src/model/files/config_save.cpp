// Saving every installed language's setup to one configuration file.
#include "app/form_values.h"
#include "app/tform1.h"
#include "core/error.h"
#include "files/config_file.h"
#include "files/open_dialog_uses.h"
#include "files/setup_reader.h"

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
    form.notifyChanged();
    form.os().dialogs.MessageBox(filename + u"\r" + text, kErrorCaption, platform::kMbIconError);
}

ustring countText(std::size_t n) {
    return fromUtf8(std::to_string(n));
}

// Scripts put commands to the right of a save and expect them to act on the last language of
// the list, where a save that switched languages to read them would have ended. The reading
// itself leaves the shown language alone, so only that one language is refreshed here, and
// only when it is not already shown.
void showLastLanguage(TForm1& form) {
    std::uint32_t id = 0;
    if (form.lang.code.empty() || !parseHex32(form.lang.code.back(), id) || form.LangId() == id) {
        return;
    }
    form.mylangid = static_cast<std::int32_t>(id);
    form.Button_RefreshClick();
}

// `merge`: an existing file's sections and keys keep their places and what this save does not
// write survives. A file that cannot be read as the format is never written over by a merge,
// since its content would be lost.
void saveConfig(TForm1& form, const ustring& filename, SaveFrom from) {
    form.waitForLanguageNames();
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

    try {
        readSetupInto(form.os(), form.lang.code, form.scancode, otherSettingsShown(form), document);
    } catch (const QuillonError& e) {
        // The reason goes on as a clause: a full stop of its own would end up before the comma.
        ustring reason = e.message();
        if (!reason.empty() && reason.back() == u'。') {
            reason.pop_back();
        }
        saveFailed(form, from, filename, reason + u"，没有写入配置。");
        return;
    }

    const platform::FileWrite written = files.WriteFile(filename, document.bytes());
    // Whatever became of the file, every language has been read: the window ends on the last
    // one, as a load's walk does.
    showLastLanguage(form);
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
        notifyChanged();
        const int answer = os().dialogs.MessageBox(filename + u"\r文件已存在，是否覆盖？", u"确认",
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
