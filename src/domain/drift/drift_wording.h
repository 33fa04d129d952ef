// The differences as the differences window words them. The report file keeps the file's own
// section and key names, which scripts match; a person reading the window knows the language
// by the name the language combo gives it and the setting by the window's label for it.
#pragma once

#include "core/text.h"

#include <map>

namespace quillon {

struct DriftWording {
    // The installed languages' 4-digit ids and, aligned with them, the language combo's names.
    StringList languageCodes;
    StringList languageNames;
    // The window's label of each file key of the switching-key and other-settings sections
    // ("CAPS" → "关闭大写键"), and of the enabled list ("_list").
    std::map<ustring, ustring> labels;
};

// One line of the report ("0409_switchkey CAPS：文件为“Shift”，本机为“Caps Lock”") as the window
// shows it ("英语（美国）· 关闭大写键：文件中为 Shift，本机为 Caps Lock"). A line of another form
// (a language that is not installed) is returned as it is.
ustring windowLine(const ustring& reportLine, const DriftWording& wording);

} // namespace quillon
