// Reading the per-window input method, the desktop language bar and the emoji panel's setting
// from Windows, as the three check boxes show them.
#pragma once

#include "platform/registry.h"
#include "platform/windows_keys.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quillon::settings {

inline const ustring kDesktopKey = keys::fromRoot(keys::kDesktop);
inline constexpr const char16_t* kPreferencesMask = u"UserPreferencesMask";
inline const ustring kInputSettingsKey = keys::fromRoot(keys::kInputSettings);
inline constexpr const char16_t* kEmojiMultipleSelection =
    u"EnableExpressiveInputEmojiMultipleSelection";

inline constexpr std::size_t kMaskBytes = 8;
inline constexpr std::size_t kSeparateImeByte = 4;
inline constexpr std::size_t kLanguageBarByte = 5;
inline constexpr std::uint8_t kSeparateImeOn = 0x92;
inline constexpr std::uint8_t kSeparateImeOff = 0x12;
inline constexpr std::uint8_t kLanguageBarOn = 0x01;
inline constexpr std::uint8_t kLanguageBarOff = 0x00;

// Only the exact bytes Windows itself writes for the two states are taken as a state; a byte
// with other bits set leaves its box as the user last saw it.
struct PreferencesMask {
    std::array<std::uint8_t, kMaskBytes> bytes{};
    std::size_t size = 0; // bytes actually read; a shorter value is kept at its own length

    bool has(std::size_t index) const { return index < size; }
};

// Opens the desktop key on `reg` and reads the mask. Raises the registry layer's error for a
// value that is not binary data or is longer than eight bytes, before the caller has changed
// anything.
PreferencesMask readPreferencesMask(platform::TRegistry& reg);

// The three settings' states as the check boxes show them.
struct OtherSettings {
    bool separateIme = false;    // 每个窗口使用不同的输入法
    bool languageBar = false;    // 使用桌面语言栏
    bool emojiStaysOpen = false; // 表情符号面板不自动关闭
};

// Reads the three states into `shown`, in that order. A mask byte that states neither keeps
// what `shown` holds; a value that cannot be read ends the reading with what was read before
// it already in `shown`.
void readOtherSettings(platform::RegistryBackend& registry, OtherSettings& shown);

} // namespace quillon::settings
