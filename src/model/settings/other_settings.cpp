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
#include "settings/language_bar.h"

#include <array>
#include <cstdint>

namespace quillon {

namespace {

const char16_t* const kDesktopKey = u"\\Control Panel\\Desktop\\";
const char16_t* const kPreferencesMask = u"UserPreferencesMask";
const char16_t* const kInputSettingsKey = u"\\Software\\Microsoft\\Input\\Settings\\";
const char16_t* const kEmojiMultipleSelection = u"EnableExpressiveInputEmojiMultipleSelection";
const char16_t* const kKeyboardLayoutKey = u"\\Keyboard Layout\\";
const char16_t* const kAttributes = u"Attributes";

constexpr std::size_t kMaskBytes = 8;
constexpr std::size_t kSeparateImeByte = 4;
constexpr std::size_t kLanguageBarByte = 5;
constexpr std::uint8_t kSeparateImeOn = 0x92;
constexpr std::uint8_t kSeparateImeOff = 0x12;
constexpr std::uint8_t kLanguageBarOn = 0x01;
constexpr std::uint8_t kLanguageBarOff = 0x00;
constexpr std::int32_t kShiftReleasesCapsLock = 0x10000;

// Only the exact bytes Windows itself writes for the two states are taken as a state; a byte
// with other bits set leaves its box as the user last saw it.
struct PreferencesMask {
    std::array<std::uint8_t, kMaskBytes> bytes{};
    std::size_t size = 0; // bytes actually read; a shorter value is kept at its own length

    bool has(std::size_t index) const { return index < size; }
};

// Raises the registry layer's error for a value that is not binary data or is longer than
// eight bytes, before the caller has changed anything.
PreferencesMask readPreferencesMask(platform::TRegistry& reg) {
    PreferencesMask mask;
    reg.OpenKey(kDesktopKey, false);
    mask.size = static_cast<std::size_t>(
        reg.ReadBinaryData(kPreferencesMask, mask.bytes.data(), static_cast<int>(kMaskBytes)));
    return mask;
}

void showByte(const PreferencesMask& mask, std::size_t index, std::uint8_t on, std::uint8_t off,
              CheckBox& box) {
    if (!mask.has(index)) {
        return;
    }
    if (mask.bytes[index] == on) {
        box.checked = true;
    } else if (mask.bytes[index] == off) {
        box.checked = false;
    }
}

} // namespace

const char16_t* languageBarCommand(bool separateIme, bool desktopBar) {
    if (separateIme && desktopBar) {
        return u"-command \"& {Set-WinLanguageBarOption -UseLegacySwitchMode "
               u"-UseLegacyLanguageBar}\"";
    }
    if (separateIme) {
        return u"-command \"& {Set-WinLanguageBarOption -UseLegacySwitchMode}\"";
    }
    if (desktopBar) {
        return u"-command \"& {Set-WinLanguageBarOption -UseLegacyLanguageBar}\"";
    }
    return u"-command \"& {Set-WinLanguageBarOption}\"";
}

void TForm1::readother() {
    {
        platform::TRegistry reg(os().registry);
        const PreferencesMask mask = readPreferencesMask(reg);
        showByte(mask, kSeparateImeByte, kSeparateImeOn, kSeparateImeOff, CheckBox1);
        showByte(mask, kLanguageBarByte, kLanguageBarOn, kLanguageBarOff, CheckBox2);
    }
    // Windows treats a missing key or value as "stays open".
    platform::TRegistry reg(os().registry);
    if (!reg.OpenKey(kInputSettingsKey, false)) {
        CheckBox3.checked = true;
        return;
    }
    const auto value = reg.ReadValue(kEmojiMultipleSelection);
    CheckBox3.checked = !value || platform::integerOf(*value, kEmojiMultipleSelection) == 1;
}

void TForm1::CheckBox1Click() {
    backups::beforeChange(*this,
                          u"其它设置：“" + CheckBox1.caption + u"”“" + CheckBox2.caption + u"”");
    platform::TRegistry reg(os().registry);
    PreferencesMask mask = readPreferencesMask(reg);
    if (mask.size > 0) {
        if (mask.has(kSeparateImeByte)) {
            mask.bytes[kSeparateImeByte] = CheckBox1.checked ? kSeparateImeOn : kSeparateImeOff;
        }
        // The language-bar byte goes back as it was read: the bar is switched only by the
        // command below, which updates that byte itself.
        reg.WriteBinaryData(kPreferencesMask, mask.bytes.data(), static_cast<int>(mask.size));
    }
    os().processes.ShellExecute(u"open", PowerShellPath(),
                                languageBarCommand(CheckBox1.checked, CheckBox2.checked),
                                platform::kSwHide);
}

void TForm1::CheckBox3Click() {
    backups::beforeChange(*this, u"其它设置：“" + CheckBox3.caption + u"”");
    // The key may be made for the value: a failed write takes it away again.
    RegistryCheckpoint checkpoint(os().registry, platform::Hive::CurrentUser);
    checkpoint.keep(kInputSettingsKey);
    try {
        platform::TRegistry reg(os().registry);
        reg.OpenKey(kInputSettingsKey, true);
        reg.WriteInteger(kEmojiMultipleSelection, CheckBox3.checked ? 1 : 0);
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
