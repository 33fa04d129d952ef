// The state of the main window's controls as plain data. The Win32 view mirrors it; the
// operations read and change it as a user would see it.
#pragma once

#include "catalogue/input_method_entry.h"
#include "core/text.h"

#include <optional>
#include <vector>

namespace quillon {

struct Control {
    Control() = default;
    explicit Control(ustring text) : caption(std::move(text)) {}

    ustring caption;
    ustring hint;
    bool enabled = true;
    bool visible = true;
};

struct ListView : Control {
    EntryList rows;
    int selected = -1; // ItemIndex: -1 when nothing is selected

    int count() const { return static_cast<int>(rows.size()); }
    // Removes a row; the selection stays on its row, or is gone with it.
    void remove(int index) {
        rows.erase(rows.begin() + index);
        if (selected == index) {
            selected = -1;
        } else if (selected > index) {
            --selected;
        }
    }
};

struct ComboBox : Control {
    StringList items;
    int itemIndex = -1;
    // The item shown while the user is still choosing (arrow keys, an open list): a choice
    // takes effect only once it is confirmed (TForm1::comboConfirm).
    std::optional<int> choosing;

    int shownIndex() const { return choosing.value_or(itemIndex); }
};

struct CheckBox : Control {
    bool checked = false;
};

// A framed group of radio items; the caption is the frame's.
struct RadioGroup : Control {
    StringList items;
    std::vector<bool> itemEnabled; // one per item
    int itemIndex = -1;            // -1 when no item is chosen
};

struct MenuItem {
    MenuItem(ustring text, bool isEnabled = true, bool isChecked = false)
        : caption(std::move(text)), enabled(isEnabled), checked(isChecked) {}

    ustring caption; // "-" is a separator
    bool enabled = true;
    bool checked = false;
};

struct Menu {
    std::vector<MenuItem> items;
};

enum class Cursor { Default, HourGlass };

} // namespace quillon
