// Which buttons and menu items the two lists allow, and how their rows are drawn.
#include "app/tform1.h"

namespace quillon {

namespace {

constexpr std::size_t kMenuDisable = 0;      // N1
constexpr std::size_t kMenuSetDefault = 2;   // N3
constexpr std::size_t kMenuLanguageList = 3; // N4

RowStyle rowColour(const EntryList& rows, int row) {
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        return {kDefaultColor, false};
    }
    switch (rows[static_cast<std::size_t>(row)].kind()) {
    case EntryKind::TextService:
        return {kDefaultColor, false};
    case EntryKind::KeyboardLayout:
        return {kBlue, false};
    case EntryKind::ImmInputMethod:
        return {kGreen, false};
    }
    return {kDefaultColor, false};
}

} // namespace

void TForm1::ListView1Change() {
    const int count1 = ListView1.count();
    const int s = ListView1.selected;
    if (count1 < 2) {
        Button_Up.enabled = false;
        Button_Down.enabled = false;
    } else if (s == 0) {
        Button_Up.enabled = false;
        Button_Down.enabled = true;
    } else if (s == count1 - 1) {
        Button_Up.enabled = true;
        Button_Down.enabled = false;
    } else {
        Button_Up.enabled = true;
        Button_Down.enabled = true;
    }
    Button_Disable.enabled = count1 > 1;
    Button_Enable.enabled = ListView2.count() > 0;
}

void TForm1::ListView2Change() {
    Button_Enable.enabled = ListView2.count() > 0;
    Button_DEL.enabled = ListView2.count() > 0;
}

void TForm1::PopupMenu1Popup() {
    PopupMenu1.items[kMenuDisable].enabled = Button_Disable.enabled;
    Button_Enable.enabled = ListView2.count() > 0;
    PopupMenu1.items[kMenuSetDefault].enabled = ListView1.selected != defime;
    PopupMenu1.items[kMenuLanguageList].enabled = defime >= 0;
}

// In high contrast the rows keep the theme's own colours: a fixed blue on a black background
// is not readable. Their kinds are then told by the description, the default by its marker.
RowStyle TForm1::ListView1AdvancedCustomDrawItem(int row) const {
    RowStyle style = HighContrast ? RowStyle{kDefaultColor, false} : rowColour(ListView1.rows, row);
    style.bold = row == defime;
    return style;
}

RowStyle TForm1::ListView2AdvancedCustomDrawItem(int row) const {
    return HighContrast ? RowStyle{kDefaultColor, false} : rowColour(ListView2.rows, row);
}

} // namespace quillon
