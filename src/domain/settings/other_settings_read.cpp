// Reading the three other settings from Windows.
#include "settings/other_settings_read.h"

namespace quillon::settings {

namespace {

void showByte(const PreferencesMask& mask, std::size_t index, std::uint8_t on, std::uint8_t off,
              bool& shown) {
    if (!mask.has(index)) {
        return;
    }
    if (mask.bytes[index] == on) {
        shown = true;
    } else if (mask.bytes[index] == off) {
        shown = false;
    }
}

} // namespace

PreferencesMask readPreferencesMask(platform::TRegistry& reg) {
    PreferencesMask mask;
    reg.OpenKey(kDesktopKey, false);
    mask.size = static_cast<std::size_t>(
        reg.ReadBinaryData(kPreferencesMask, mask.bytes.data(), static_cast<int>(kMaskBytes)));
    return mask;
}

void readOtherSettings(platform::RegistryBackend& registry, OtherSettings& shown) {
    {
        platform::TRegistry reg(registry);
        const PreferencesMask mask = readPreferencesMask(reg);
        showByte(mask, kSeparateImeByte, kSeparateImeOn, kSeparateImeOff, shown.separateIme);
        showByte(mask, kLanguageBarByte, kLanguageBarOn, kLanguageBarOff, shown.languageBar);
    }
    // Windows treats a missing key or value as "stays open".
    platform::TRegistry reg(registry);
    if (!reg.OpenKey(kInputSettingsKey, false)) {
        shown.emojiStaysOpen = true;
        return;
    }
    const auto value = reg.ReadValue(kEmojiMultipleSelection);
    shown.emojiStaysOpen = !value || platform::integerOf(*value, kEmojiMultipleSelection) == 1;
}

} // namespace quillon::settings
