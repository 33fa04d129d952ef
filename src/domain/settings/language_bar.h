// The command that tells Windows the separate-input-method and language-bar choice, shared by
// the check boxes and the undo that puts their choice back.
#pragma once

namespace quillon {

// PowerShell's parameters for Set-WinLanguageBarOption with the two choices.
const char16_t* languageBarCommand(bool separateIme, bool desktopBar);

} // namespace quillon
