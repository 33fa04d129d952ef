// The language bar's command: Set-WinLanguageBarOption with the switches the two choices ask for.
#include "settings/language_bar.h"

namespace quillon {

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

} // namespace quillon
