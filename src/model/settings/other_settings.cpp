// The per-window input method, the desktop language bar, the emoji panel and the Caps Lock
// release key. Each is written straight to Windows by its control's handler; nothing here is
// committed or refreshed.
//
// The handlers run only when a user (or the configuration load and the command line, which set
// the control first) changes a control. `readother` sets the check boxes' states and nothing
// else, so a refresh never writes a setting or starts a command.
#include "app/tform1.h"
#include "backups/backups.h"
#include "core/error.h"
#include "operations/registry_snapshot.h"
#include "platform/windows_keys.h"
#include "settings/language_bar.h"
#include "settings/other_settings_read.h"

#include <array>
#include <cstdint>

namespace quillon {

namespace {

const ustring kKeyboardLayoutKey = keys::fromRoot(keys::kKeyboardLayout);
const char16_t* const kAttributes = u"Attributes";

constexpr std::int32_t kShiftReleasesCapsLock = 0x10000;

} // namespace

void TForm1::readother() {
    settings::OtherSettings shown{CheckBox1.checked, CheckBox2.checked, CheckBox3.checked};
    const auto show = [&] {
        CheckBox1.checked = shown.separateIme;
        CheckBox2.checked = shown.languageBar;
        CheckBox3.checked = shown.emojiStaysOpen;
    };
    try {
        settings::readOtherSettings(os().registry, shown);
    } catch (...) {
        show();
        throw;
    }
    show();
}

void TForm1::CheckBox1Click() {
    backups::beforeChange(*this,
                          u"其它设置：“" + CheckBox1.caption + u"”“" + CheckBox2.caption + u"”");
    platform::TRegistry reg(os().registry);
    settings::PreferencesMask mask = settings::readPreferencesMask(reg);
    if (mask.size > 0) {
        if (mask.has(settings::kSeparateImeByte)) {
            mask.bytes[settings::kSeparateImeByte] =
                CheckBox1.checked ? settings::kSeparateImeOn : settings::kSeparateImeOff;
        }
        // The language-bar byte goes back as it was read: the bar is switched only by the
        // command below, which updates that byte itself.
        reg.WriteBinaryData(settings::kPreferencesMask, mask.bytes.data(),
                            static_cast<int>(mask.size));
    }
    os().processes.ShellExecute(u"open", PowerShellPath(),
                                languageBarCommand(CheckBox1.checked, CheckBox2.checked),
                                platform::kSwHide);
}

void TForm1::CheckBox3Click() {
    backups::beforeChange(*this, u"其它设置：“" + CheckBox3.caption + u"”");
    // The key may be made for the value: a failed write takes it away again.
    RegistryCheckpoint checkpoint(os().registry, platform::Hive::CurrentUser);
    checkpoint.keep(settings::kInputSettingsKey);
    try {
        platform::TRegistry reg(os().registry);
        reg.OpenKey(settings::kInputSettingsKey, true);
        reg.WriteInteger(settings::kEmojiMultipleSelection, CheckBox3.checked ? 1 : 0);
    } catch (const QuillonError& e) {
        throw QuillonError(rolledBackMessage(e.message(), checkpoint.restore()));
    }
}

void TForm1::ComboBox3Change() {
    backups::beforeChange(*this, u"关闭大写键");
    platform::TRegistry reg(os().registry);
    reg.OpenKey(kKeyboardLayoutKey, false);
    switch (ComboBox3.itemIndex) {
    case 0:
        // Already absent is the state wanted, so only a value still there is a failure.
        if (!reg.DeleteValue(kAttributes) && reg.ValueExists(kAttributes)) {
            throw QuillonError(u"无法删除注册表值“" + ustring(kAttributes) + u"”。");
        }
        os().layouts.ActivateKeyboardLayout(0, platform::kKlfReset);
        break;
    case 1:
        reg.WriteInteger(kAttributes, kShiftReleasesCapsLock);
        os().layouts.ActivateKeyboardLayout(0, platform::kKlfReset | platform::kKlfShiftLock);
        break;
    default:
        break;
    }
}

} // namespace quillon
