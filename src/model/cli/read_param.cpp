// Carrying out the command line: each argument selects a row or sets a control and then calls
// the same operation a user's click would.
#include "app/tform1.h"
#include "backups/backups.h"
#include "cli/command_line.h"
#include "cli/command_table.h"
#include "core/error.h"
#include "core/items.h"
#include "core/whole_number.h"
#include "drift/drift_commands.h"

#include <algorithm>
#include <exception>

namespace quillon {

namespace {

void select(TForm1& form, ListView& list, int index) {
    list.selected = index;
    if (&list == &form.ListView1) {
        form.ListView1Change();
    } else {
        form.ListView2Change();
    }
}

int findName(const ListView& list, const ustring& name) {
    const auto it = std::find_if(list.rows.begin(), list.rows.end(),
                                 [&](const InputMethodEntry& row) { return row.name == name; });
    return it == list.rows.end() ? -1 : static_cast<int>(it - list.rows.begin());
}

// Position p counted from 1, brought into 1 … count; -1 for an empty list.
int clampedRow(int p, int count) {
    if (count == 0) {
        return -1;
    }
    return std::clamp(p, 1, count) - 1;
}

// The hotkey text of a command's modifier and key words; empty with fewer than three items.
ustring hotkeyOf(TForm1& form, const StringList& items) {
    if (items.size() < 3) {
        return {};
    }
    return form.paramtohotkey(lowerAscii(trimControls(items[1])),
                              upperAscii(trimControls(items[2])));
}

// The hotkey commands need at least their first item.
void requireItems(const StringList& items) {
    if (items.empty()) {
        throw QuillonError(u"List index out of bounds (0)");
    }
}

void setHotkey(TForm1& form, int row, const ustring& hotkey) {
    select(form, form.ListView1, row);
    form.ListView1.rows[static_cast<std::size_t>(row)].fields[kFieldHotkey] = hotkey;
    form.Button_FixClick();
}

void setSwitchKey(TForm1& form, const StringList& items) {
    requireItems(items);
    if (items.size() > 3) {
        return;
    }
    const int which = wholeNumber(items[0]);
    Control* buttons[] = {&form.Button_SW1, &form.Button_SW2, &form.Button_SW3};
    if (which < 1 || which > 3) {
        return;
    }
    const ustring hotkey = hotkeyOf(form, items);
    buttons[which - 1]->caption = hotkey.empty() ? ustring(u"无") : hotkey;
    form.Button_FixClick();
}

void carryOut(TForm1& form, const Argument& argument) {
    const ustring& value = argument.value;
    switch (argument.command) {
    case Command::Caps:
    case Command::Shift:
        form.ComboBox3.itemIndex = argument.command == Command::Caps ? 0 : 1;
        form.ComboBox3Change();
        break;
    case Command::Bar0:
    case Command::Bar1:
        form.CheckBox2.checked = argument.command == Command::Bar1;
        form.CheckBox1Click();
        break;
    case Command::Emoji0:
    case Command::Emoji1:
        form.CheckBox3.checked = argument.command == Command::Emoji1;
        form.CheckBox3Click();
        break;
    case Command::Alone0:
    case Command::Alone1:
        form.CheckBox1.checked = argument.command == Command::Alone1;
        form.CheckBox1Click();
        break;
    case Command::Layout:
        form.ComboBox1.itemIndex = switchKeyItem(wholeNumber(value), false);
        form.ComboBox1Change();
        break;
    case Command::Lang:
        form.ComboBox2.itemIndex = switchKeyItem(wholeNumber(value), true);
        form.ComboBox2Change();
        break;
    case Command::AddNum: {
        const int n = wholeNumber(value);
        if (n >= 1 && n <= form.ListView2.count()) {
            select(form, form.ListView2, n - 1);
            form.Button_EnableClick();
        }
        break;
    }
    case Command::AddName: {
        const int row = findName(form.ListView2, value);
        if (row >= 0) {
            select(form, form.ListView2, row);
            form.Button_EnableClick();
        }
        break;
    }
    case Command::DelNum: {
        const int n = wholeNumber(value);
        if (n >= 1 && n <= form.ListView1.count()) {
            select(form, form.ListView1, n - 1);
            form.Button_DisableClick();
        }
        break;
    }
    case Command::DelName: {
        const int row = findName(form.ListView1, value);
        if (row >= 0) {
            select(form, form.ListView1, row);
            form.Button_DisableClick();
        }
        break;
    }
    case Command::DelAll:
        form.disable_all_Click();
        break;
    case Command::MoveNum: {
        const StringList items = splitLoose(value);
        if (items.size() == 2) {
            const int from = wholeNumber(items[0]);
            form.move_num(from, wholeNumber(items[1]));
        }
        break;
    }
    case Command::MoveName: {
        const StringList items = splitStrict(value, u',');
        if (items.size() == 2) {
            const int row = findName(form.ListView1, items[0]);
            if (row >= 0) {
                form.move_num(row + 1, wholeNumber(items[1]));
            }
        }
        break;
    }
    case Command::LangList:
        if (form.defime >= 0) {
            form.N4Click();
        }
        break;
    case Command::DefaultNum: {
        const int row = clampedRow(wholeNumber(value), form.ListView1.count());
        if (row >= 0) {
            select(form, form.ListView1, row);
            form.DefaultClick();
        }
        break;
    }
    case Command::DefaultName: {
        const int row = findName(form.ListView1, value);
        if (row >= 0) {
            select(form, form.ListView1, row);
            form.DefaultClick();
        }
        break;
    }
    case Command::HotkeyNum: {
        const StringList items = splitLoose(value);
        requireItems(items);
        if (items.size() <= 3) {
            const int row = clampedRow(wholeNumber(items[0]), form.ListView1.count());
            if (row >= 0) {
                setHotkey(form, row, hotkeyOf(form, items));
            }
        }
        break;
    }
    case Command::HotkeyName: {
        const StringList items = splitStrict(value, u' ');
        requireItems(items);
        if (items.size() <= 3) {
            const ustring hotkey = hotkeyOf(form, items);
            for (int row = 0; row < form.ListView1.count(); ++row) {
                if (form.ListView1.rows[static_cast<std::size_t>(row)].name == items[0]) {
                    setHotkey(form, row, hotkey);
                }
            }
        }
        break;
    }
    case Command::SwitchKey:
        setSwitchKey(form, splitLoose(value));
        break;
    case Command::CheckCfg:
        checkcfgCommand(form, value);
        break;
    case Command::ApplyCfg:
        applycfgCommand(form, value);
        break;
    case Command::Undo:
        backups::undoLastChange(form);
        break;
    case Command::ExportEnabledList:
    case Command::ExportDisabledList:
    case Command::SaveCfg:
    case Command::LoadCfg:
        if (const auto path = form.commandFileName(value)) {
            switch (argument.command) {
            case Command::ExportEnabledList:
                form.writeListFile(form.ListView1, *path);
                break;
            case Command::ExportDisabledList:
                form.writeListFile(form.ListView2, *path);
                break;
            case Command::SaveCfg:
                form.savecfg(*path);
                break;
            default:
                form.loadcfg(*path);
                break;
            }
        }
        break;
    }
}

// Everything up to and including the last "\" or ":".
ustring_view folderPart(ustring_view path) {
    const std::size_t last = path.find_last_of(u"\\:");
    return last == ustring_view::npos ? ustring_view() : path.substr(0, last + 1);
}

} // namespace

std::optional<ustring> TForm1::commandFileName(const ustring& value) {
    const auto full = os().files.FullPathName(value);
    if (!full) {
        return std::nullopt;
    }
    const ustring_view folder = folderPart(*full);
    if (folder.empty() || !os().files.DirectoryExists(folder)) {
        return std::nullopt;
    }
    return full;
}

bool TForm1::RunGuarded(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const QuillonError& e) {
        ShowMainForm = false;
        ExitCode = 1;
        ShowError(e.message());
    } catch (const std::exception& e) {
        ShowMainForm = false;
        ExitCode = 1;
        ShowError(fromUtf8(e.what()));
    }
    return false;
}

void TForm1::ReadParam(const StringList& paramlist) {
    if (paramlist.size() < 2) {
        return;
    }
    ShowMainForm = false;
    // The whole run is one change: one backup before its first write, named by its arguments.
    ustring arguments = u"命令行";
    for (std::size_t i = 1; i < paramlist.size(); ++i) {
        arguments += u" /" + trimControls(paramlist[i]);
    }
    const backups::UserAction action(*this, arguments, true);
    RunGuarded([&] {
        for (std::size_t i = 1; i < paramlist.size(); ++i) {
            if (const auto argument = matchArgument(paramlist[i])) {
                carryOut(*this, *argument);
            }
        }
    });
    os().ui.Terminate();
}

} // namespace quillon
