// The main window's keys, the focus hand-over and confirmed combo-box choices.
#include "app/tform1.h"

#include <algorithm>
#include <array>

namespace quillon {

const Shortcut kShortcuts[] = {
    {{Key::F5}, KeyScope::Anywhere, KeyCommand::Refresh},
    {{Key::F1}, KeyScope::Anywhere, KeyCommand::Help},
    {{Key::Enter}, KeyScope::EnabledList, KeyCommand::RowAction},
    {{Key::Enter}, KeyScope::DisabledList, KeyCommand::RowAction},
    {{Key::Delete}, KeyScope::EnabledList, KeyCommand::Disable},
    {{Key::Delete}, KeyScope::DisabledList, KeyCommand::Delete},
    {{Key::Up, true}, KeyScope::EnabledGroup, KeyCommand::MoveUp},
    {{Key::Down, true}, KeyScope::EnabledGroup, KeyCommand::MoveDown},
    {{Key::Space}, KeyScope::OtherButton, KeyCommand::OpenOtherMenu},
    {{Key::Enter}, KeyScope::OtherButton, KeyCommand::OpenOtherMenu},
    {{Key::Down, true}, KeyScope::OtherButton, KeyCommand::OpenOtherMenu},
    {{Key::F4}, KeyScope::OtherButton, KeyCommand::OpenOtherMenu},
    {{Key::Enter}, KeyScope::PushButton, KeyCommand::Click},
    {{Key::Enter}, KeyScope::ChoiceCombo, KeyCommand::ConfirmChoice},
};
const int kShortcutCount = static_cast<int>(std::size(kShortcuts));

namespace {

bool sameStroke(const KeyStroke& a, const KeyStroke& b) {
    return a.key == b.key && a.alt == b.alt && a.ctrl == b.ctrl && a.shift == b.shift;
}

bool takesFocus(const Control* c) {
    return c && c->enabled && c->visible;
}

} // namespace

std::vector<Control*> TForm1::tabOrder() {
    // Row by row as the window reads: each switching key's combo box, then the toggle beside it.
    return {&ListView1,     &Button_Up,     &Button_Down, &Button_Hotkey, &Button_Disable,
            &ListView2,     &Button_Enable, &Button_DEL,  &SpeedButton1,  &ComboBox1,
            &Button_SW1,    &ComboBox2,     &Button_SW2,  &ComboBox3,     &Button_SW3,
            &CheckBox1,     &CheckBox2,     &CheckBox3,   &ComboBox_Lang, &Button_Other,
            &Button_Refresh};
}

KeyCommand TForm1::shortcut(const KeyStroke& stroke, const Control* focused) const {
    const std::array<const Control*, 5> enabledGroup = {&ListView1, &Button_Up, &Button_Down,
                                                        &Button_Hotkey, &Button_Disable};
    const std::array<const Control*, 10> pushButtons = {
        &Button_Up,  &Button_Down,  &Button_Hotkey, &Button_Disable, &Button_Enable,
        &Button_DEL, &SpeedButton1, &Button_SW1,    &Button_SW2,     &Button_SW3};
    const auto inScope = [&](KeyScope scope) {
        switch (scope) {
        case KeyScope::Anywhere:
            return true;
        case KeyScope::EnabledList:
            return focused == &ListView1;
        case KeyScope::DisabledList:
            return focused == &ListView2;
        case KeyScope::EnabledGroup:
            return std::find(enabledGroup.begin(), enabledGroup.end(), focused) !=
                   enabledGroup.end();
        case KeyScope::OtherButton:
            return focused == &Button_Other;
        case KeyScope::PushButton:
            return focused == &Button_Refresh ||
                   std::find(pushButtons.begin(), pushButtons.end(), focused) != pushButtons.end();
        case KeyScope::ChoiceCombo:
            return focused == &ComboBox1 || focused == &ComboBox2 || focused == &ComboBox3 ||
                   focused == &ComboBox_Lang;
        }
        return false;
    };
    KeyCommand command = KeyCommand::None;
    for (const Shortcut& s : kShortcuts) {
        if (sameStroke(s.stroke, stroke) && inScope(s.scope)) {
            command = s.command;
            break;
        }
    }
    // A key does what its button can do now, and nothing when the button could not.
    const auto rowSelected = [](const ListView& list) {
        return list.selected >= 0 && list.selected < list.count();
    };
    switch (command) {
    case KeyCommand::Refresh:
        return Button_Refresh.enabled ? command : KeyCommand::None;
    case KeyCommand::Help:
        return SpeedButton1.enabled ? command : KeyCommand::None;
    case KeyCommand::RowAction:
        if (focused == &ListView1) {
            return rowSelected(ListView1) && Button_Hotkey.enabled ? command : KeyCommand::None;
        }
        return rowSelected(ListView2) && Button_Enable.enabled ? command : KeyCommand::None;
    case KeyCommand::Disable:
        return rowSelected(ListView1) && Button_Disable.enabled ? command : KeyCommand::None;
    case KeyCommand::Delete:
        return rowSelected(ListView2) && Button_DEL.enabled ? command : KeyCommand::None;
    case KeyCommand::MoveUp:
        return rowSelected(ListView1) && Button_Up.enabled ? command : KeyCommand::None;
    case KeyCommand::MoveDown:
        return rowSelected(ListView1) && Button_Down.enabled ? command : KeyCommand::None;
    case KeyCommand::OpenOtherMenu:
    case KeyCommand::ConfirmChoice:
        return focused && focused->enabled ? command : KeyCommand::None;
    case KeyCommand::Click:
        // A disabled button never has the focus for long; Enter on it does nothing.
        return focused && focused->enabled ? command : KeyCommand::None;
    case KeyCommand::None:
        break;
    }
    return KeyCommand::None;
}

void TForm1::runShortcut(KeyCommand command, Control* focused) {
    switch (command) {
    case KeyCommand::Refresh:
        Button_RefreshClick();
        break;
    case KeyCommand::Help:
        SpeedButton1Click();
        break;
    case KeyCommand::RowAction:
        if (focused == &ListView1) {
            ListView1DblClick();
        } else if (focused == &ListView2) {
            ListView2DblClick();
        }
        break;
    case KeyCommand::Disable:
        Button_DisableClick();
        break;
    case KeyCommand::Delete:
        Button_DELClick();
        break;
    case KeyCommand::MoveUp:
        Button_UpClick();
        break;
    case KeyCommand::MoveDown:
        Button_DownClick();
        break;
    case KeyCommand::Click:
        if (focused) {
            Click(*focused);
        }
        break;
    case KeyCommand::ConfirmChoice:
        for (ComboBox* box : {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox_Lang}) {
            if (focused == box) {
                comboConfirm(*box);
            }
        }
        break;
    case KeyCommand::OpenOtherMenu:
    case KeyCommand::None:
        break;
    }
}

bool TForm1::Click(Control& button) {
    if (&button == &Button_Up) {
        Button_UpClick();
    } else if (&button == &Button_Down) {
        Button_DownClick();
    } else if (&button == &Button_Hotkey) {
        Button_HotkeyClick();
    } else if (&button == &Button_Disable) {
        Button_DisableClick();
    } else if (&button == &Button_Enable) {
        Button_EnableClick();
    } else if (&button == &Button_DEL) {
        Button_DELClick();
    } else if (&button == &SpeedButton1) {
        SpeedButton1Click();
    } else if (&button == &Button_SW1) {
        Button_SW1Click(1);
    } else if (&button == &Button_SW2) {
        Button_SW1Click(2);
    } else if (&button == &Button_SW3) {
        Button_SW1Click(3);
    } else if (&button == &Button_Refresh) {
        Button_RefreshClick();
    } else {
        return false;
    }
    return true;
}

Control* TForm1::focusAfter(Control* focused) {
    if (!focused) {
        return &ListView1;
    }
    if (takesFocus(focused)) {
        return focused;
    }
    // The buttons that act on a list hand the focus on among themselves, then to their list:
    // after 禁用 has disabled itself on the last-but-one row, the focus is where the row was.
    const std::array<std::vector<Control*>, 2> listGroups = {
        std::vector<Control*>{&ListView1, &Button_Up, &Button_Down, &Button_Hotkey,
                              &Button_Disable},
        std::vector<Control*>{&ListView2, &Button_Enable, &Button_DEL}};
    for (const std::vector<Control*>& group : listGroups) {
        const auto at = std::find(group.begin(), group.end(), focused);
        if (at == group.end()) {
            continue;
        }
        const auto next = std::find_if(at + 1, group.end(), takesFocus);
        return next != group.end() ? *next : group.front();
    }
    const std::vector<Control*> order = tabOrder();
    const auto at = std::find(order.begin(), order.end(), focused);
    if (at != order.end()) {
        for (std::size_t step = 1; step < order.size(); ++step) {
            Control* candidate =
                order[(static_cast<std::size_t>(at - order.begin()) + step) % order.size()];
            if (takesFocus(candidate)) {
                return candidate;
            }
        }
    }
    return &ListView1;
}

void TForm1::comboChoosing(ComboBox& box, int index) {
    if (index == box.itemIndex) {
        box.choosing.reset();
    } else {
        box.choosing = index;
    }
}

void TForm1::comboConfirm(ComboBox& box) {
    if (!box.choosing) {
        return;
    }
    box.itemIndex = *box.choosing;
    box.choosing.reset();
    if (&box == &ComboBox1) {
        ComboBox1Change();
    } else if (&box == &ComboBox2) {
        ComboBox2Change();
    } else if (&box == &ComboBox3) {
        ComboBox3Change();
    } else if (&box == &ComboBox_Lang) {
        ComboBox_LangClick();
    }
}

void TForm1::comboCancel(ComboBox& box) {
    box.choosing.reset();
}

} // namespace quillon
