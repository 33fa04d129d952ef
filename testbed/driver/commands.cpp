#include "commands.h"

#include "controls.h"
#include "dialogs.h"
#include "handles.h"
#include "menus.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

namespace qdriver {

namespace {

struct Command {
    const char* name;
    std::vector<const char*> valueOptions;
    std::vector<const char*> flags;
    void (*run)(const Context&, const Args&);
    const char* synopsis;
};

// Options of every command that acts on one control.
const std::vector<const char*> kControl = {"--id", "--class", "--index", "--caption"};

std::vector<const char*> withControl(std::vector<const char*> more) {
    more.insert(more.end(), kControl.begin(), kControl.end());
    return more;
}

std::string flag(bool value) {
    return value ? "1" : "0";
}

std::string utf8(const ustring& text) {
    return quillon::toUtf8(text);
}

void printAll(const Context& context, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        context.print(line);
    }
}

int requiredInt(const Args& args, const char* name) {
    const auto value = args.integer(name);
    if (!value) {
        fail(u"missing " + ascii(name));
    }
    return static_cast<int>(*value);
}

LPARAM pointParam(POINT point) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(point.x)),
                      static_cast<WORD>(static_cast<short>(point.y)));
}

MenuChoice menuChoice(const Args& args) {
    MenuChoice choice;
    choice.text = args.text("--text");
    if (const auto id = args.integer("--id")) {
        choice.id = static_cast<UINT>(*id);
    }
    if (const auto index = args.integer("--index")) {
        choice.index = static_cast<int>(*index);
    }
    if (!choice.text && !choice.id && !choice.index) {
        fail(u"say which item: --text, --id or --index");
    }
    return choice;
}

// --- the window ---------------------------------------------------------------------------

void windowCommand(const Context& context, const Args&) {
    HWND top = context.top();
    RECT frame{};
    GetWindowRect(top, &frame);
    RECT client{};
    GetClientRect(top, &client);
    POINT origin{0, 0};
    ClientToScreen(top, &origin);
    context.print("window class=" + quote(className(top)) + " caption=" + quote(windowText(top)) +
                  " visible=" + flag(IsWindowVisible(top) != FALSE) + " enabled=" +
                  flag(IsWindowEnabled(top) != FALSE) + " iconic=" + flag(IsIconic(top) != FALSE) +
                  " client=" + std::to_string(client.right) + "x" + std::to_string(client.bottom) +
                  " rect=" + std::to_string(frame.left) + "," + std::to_string(frame.top) + "," +
                  std::to_string(frame.right - frame.left) + "x" +
                  std::to_string(frame.bottom - frame.top) + " origin=" + std::to_string(origin.x) +
                  "," + std::to_string(origin.y) + " pid=" + std::to_string(processOf(top)));
}

void treeCommand(const Context& context, const Args&) {
    HWND top = context.top();
    context.print(describeWindow(top, top, context.timeoutMs));
    for (HWND hwnd : descendants(top)) {
        std::string indent = "  ";
        for (HWND parent = GetParent(hwnd); parent != nullptr && parent != top;
             parent = GetParent(parent)) {
            indent += "  ";
        }
        context.print(indent + describeWindow(hwnd, top, context.timeoutMs));
    }
}

void controlCommand(const Context& context, const Args& args) {
    HWND top = context.top();
    HWND control = findControl(top, args.control(), nullptr, context.timeoutMs);
    context.print(describeWindow(control, top, context.timeoutMs));
}

// The window that has the keyboard focus on the program's UI thread, as a tree line of its own
// top-level window, which is named when it is not the target.
void focusCommand(const Context& context, const Args& args) {
    HWND top = context.top();
    const DWORD thread = GetWindowThreadProcessId(top, nullptr);
    const auto focused = [thread] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
    };
    HWND focus = focused();
    if (const auto wanted = args.integer("--wait-id")) {
        if (!poll(context.timeoutMs, [&] {
                focus = focused();
                return focus != nullptr && controlId(focus) == *wanted;
            })) {
            fail(u"the focus is not on control " + number(*wanted) + u" after " +
                 number(context.timeoutMs) + u" ms");
        }
    }
    if (focus == nullptr) {
        context.print("focus none");
        return;
    }
    HWND root = GetAncestor(focus, GA_ROOT);
    std::string line = "focus " + describeWindow(focus, root, context.timeoutMs);
    if (root != top) {
        line += " in=" + utf8(className(root));
    }
    context.print(line);
}

// WM_GETTEXT: what a control holds, also where the window's own text is not kept up to date
// (an edit control's buffer).
void textCommand(const Context& context, const Args& args) {
    HWND control = findControl(context.top(), args.control(), nullptr, context.timeoutMs);
    const auto length =
        static_cast<std::size_t>(sendMessage(control, WM_GETTEXTLENGTH, 0, 0, context.timeoutMs));
    std::vector<wchar_t> buffer(length + 1, L'\0');
    const auto copied = static_cast<std::size_t>(
        sendMessage(control, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                    context.timeoutMs));
    context.print("text " + quote(fromWide(buffer.data(), std::min(copied, length))));
}

// WM_SETTEXT, as a user's typing leaves the control (without the key messages).
void setTextCommand(const Context& context, const Args& args) {
    HWND control = findControl(context.top(), args.control(), nullptr, context.timeoutMs);
    const auto text = args.text("--text");
    if (!text) {
        fail(u"say what to put there: --text TEXT");
    }
    requireUsable(control, u"the control");
    sendMessage(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide(*text)), context.timeoutMs);
}

void waitVisibleCommand(const Context& context, const Args&) {
    context.top();
    if (!poll(context.timeoutMs, [&] {
            HWND top = findWindow(context.window);
            return top != nullptr && IsWindowVisible(top) != FALSE;
        })) {
        fail(u"no visible " + context.window.describe() + u" within " + number(context.timeoutMs) +
             u" ms");
    }
}

void waitGoneCommand(const Context& context, const Args&) {
    if (context.window.empty()) {
        fail(u"no window given");
    }
    if (!poll(context.timeoutMs, [&] { return findWindow(context.window) == nullptr; })) {
        fail(u"the " + context.window.describe() + u" is still there after " +
             number(context.timeoutMs) + u" ms");
    }
}

// --- list views ---------------------------------------------------------------------------

void listViewCommand(const Context& context, const Args& args) {
    HWND list = findControl(context.top(), args.control(), WC_LISTVIEWW, context.timeoutMs);
    const Process process(processOf(list));
    const ListViewContent content = readListView(process, list, context.timeoutMs);
    context.print("count " + std::to_string(content.rows.size()));
    for (std::size_t i = 0; i < content.columns.size(); ++i) {
        context.print("column " + std::to_string(i) +
                      " width=" + std::to_string(content.columns[i].width) + " " +
                      quote(content.columns[i].text));
    }
    for (std::size_t i = 0; i < content.rows.size(); ++i) {
        std::string line = "row " + std::to_string(i);
        for (const ustring& cell : content.rows[i]) {
            line += " " + quote(cell);
        }
        context.print(line);
    }
    std::string selected = "selected";
    for (int row : content.selected) {
        selected += " " + std::to_string(row);
    }
    context.print(content.selected.empty() ? "selected -1" : selected);
    context.print("focused " + std::to_string(content.focused));
}

// Selects the row as the list view does for a click on it: the old selection goes, the row
// becomes selected and focused. The list view tells its parent itself (LVN_ITEMCHANGED).
void selectRow(ThreadHook& hook, const Process& process, HWND list, int row, DWORD timeoutMs) {
    const int rows = listViewRowCount(list, timeoutMs);
    if (row < 0 || row >= rows) {
        fail(u"row " + number(row) + u" is not in the list (it has " + number(rows) + u" rows)");
    }
    RemoteMemory clear = process.allocate(sizeof(LVITEMW));
    RemoteMemory select = process.allocate(sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    process.put(clear, 0, item);
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    process.put(select, 0, item);
    postMessage(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), remoteAddress(clear));
    postMessage(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), remoteAddress(select));
    postMessage(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    try {
        hook.sync(GetAncestor(list, GA_ROOT), timeoutMs);
    } catch (...) {
        // The messages are still queued: their memory must stay for them.
        clear.abandon();
        select.abandon();
        throw;
    }
}

void listViewSelectCommand(const Context& context, const Args& args) {
    HWND list = findControl(context.top(), args.control(), WC_LISTVIEWW, context.timeoutMs);
    requireUsable(list, u"the list view");
    const Process process(processOf(list));
    ThreadHook hook(threadOf(list));
    selectRow(hook, process, list, requiredInt(args, "--row"), context.timeoutMs);
}

void clickRow(const Context& context, const Args& args, bool twice) {
    HWND list = findControl(context.top(), args.control(), WC_LISTVIEWW, context.timeoutMs);
    requireUsable(list, u"the list view");
    const Process process(processOf(list));
    ThreadHook hook(threadOf(list));
    const LPARAM where =
        pointParam(listViewRowPoint(process, list, requiredInt(args, "--row"), context.timeoutMs));
    // Posted like real input, so the list view runs its own mouse handling and notifications.
    postMessage(list, WM_LBUTTONDOWN, MK_LBUTTON, where);
    postMessage(list, WM_LBUTTONUP, 0, where);
    if (twice) {
        postMessage(list, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
        postMessage(list, WM_LBUTTONUP, 0, where);
    }
    hook.sync(GetAncestor(list, GA_ROOT), context.timeoutMs);
}

void listViewClickCommand(const Context& context, const Args& args) {
    clickRow(context, args, false);
}

void listViewDoubleClickCommand(const Context& context, const Args& args) {
    clickRow(context, args, true);
}

void printOpenMenu(const Context& context, ThreadHook& hook, DWORD pid) {
    HWND popup = waitForPopupMenu(pid, context.timeoutMs);
    printAll(context, describeMenu(readPopupMenu(hook, popup, context.timeoutMs)));
}

void contextMenuCommand(const Context& context, const Args& args) {
    HWND control = findControl(context.top(), args.control(), nullptr, context.timeoutMs);
    requireUsable(control, u"the control");
    const Process process(processOf(control));
    ThreadHook hook(threadOf(control));
    const bool isList = quillon::equalsNoCase(className(control), u"SysListView32");
    if (const auto row = args.integer("--row")) {
        if (!isList) {
            fail(u"--row needs a list view");
        }
        selectRow(hook, process, control, static_cast<int>(*row), context.timeoutMs);
    }
    POINT where{};
    const int selected = isList ? listViewSelectedRow(control, context.timeoutMs) : -1;
    if (selected >= 0) {
        where = listViewRowPoint(process, control, selected, context.timeoutMs);
    } else {
        RECT client{};
        GetClientRect(control, &client);
        where = POINT{client.right / 2, client.bottom / 2};
    }
    ClientToScreen(control, &where);
    // What a right click (or the menu key) ends in; DefWindowProc hands it on to the parents.
    postMessage(control, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), pointParam(where));
    hook.sync(GetAncestor(control, GA_ROOT), context.timeoutMs);
    printOpenMenu(context, hook, process.id());
}

// --- combo boxes, buttons, status bars ----------------------------------------------------

void comboCommand(const Context& context, const Args& args) {
    HWND combo = findControl(context.top(), args.control(), WC_COMBOBOXW, context.timeoutMs);
    const ComboContent content = readCombo(combo, context.timeoutMs);
    context.print("count " + std::to_string(content.items.size()));
    for (std::size_t i = 0; i < content.items.size(); ++i) {
        context.print("item " + std::to_string(i) + " " + quote(content.items[i]));
    }
    context.print("selected " + std::to_string(content.selected));
}

void comboSelectCommand(const Context& context, const Args& args) {
    HWND combo = findControl(context.top(), args.control(), WC_COMBOBOXW, context.timeoutMs);
    requireUsable(combo, u"the combo box");
    const ComboContent content = readCombo(combo, context.timeoutMs);
    int index = -1;
    if (const auto text = args.text("--text")) {
        const auto found = std::find(content.items.begin(), content.items.end(), *text);
        if (found == content.items.end()) {
            fail(u"the combo box has no item \"" + *text + u"\"");
        }
        index = static_cast<int>(found - content.items.begin());
    } else {
        index = requiredInt(args, "--item");
    }
    if (index < 0 || index >= static_cast<int>(content.items.size())) {
        fail(u"item " + number(index) + u" is not in the combo box");
    }
    ThreadHook hook(threadOf(combo));
    sendMessage(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, context.timeoutMs);
    // A mouse choice in the dropped list ends with CBN_SELENDOK and then CBN_SELCHANGE (with
    // CBN_CLOSEUP between them, which this does not send).
    HWND parent = GetParent(combo);
    const auto id = static_cast<WORD>(controlId(combo));
    postMessage(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
    postMessage(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    hook.sync(GetAncestor(combo, GA_ROOT), context.timeoutMs);
}

void clickCommand(const Context& context, const Args& args) {
    HWND button = findControl(context.top(), args.control(), L"Button", context.timeoutMs);
    requireUsable(button, u"the button \"" + windowText(button) + u"\"");
    ThreadHook hook(threadOf(button));
    postMessage(button, BM_CLICK, 0, 0);
    hook.sync(GetAncestor(button, GA_ROOT), context.timeoutMs);
}

void dropDownCommand(const Context& context, const Args& args) {
    HWND button = findControl(context.top(), args.control(), L"Button", context.timeoutMs);
    const ustring style = buttonStyleName(button);
    if (style != u"splitbutton" && style != u"defsplitbutton") {
        fail(u"the button \"" + windowText(button) + u"\" is not a split button");
    }
    requireUsable(button, u"the button \"" + windowText(button) + u"\"");
    const Process process(processOf(button));
    ThreadHook hook(threadOf(button));
    // The button sends BCN_DROPDOWN to its parent when pressed on the arrow; the menu it opens
    // takes the mouse from there, so no button-up follows.
    postMessage(button, WM_LBUTTONDOWN, MK_LBUTTON,
                pointParam(splitArrowPoint(process, button, context.timeoutMs)));
    hook.sync(GetAncestor(button, GA_ROOT), context.timeoutMs);
    printOpenMenu(context, hook, process.id());
}

void statusCommand(const Context& context, const Args& args) {
    HWND status = findControl(context.top(), args.control(), STATUSCLASSNAMEW, context.timeoutMs);
    const Process process(processOf(status));
    const int part = static_cast<int>(args.integer("--part").value_or(0));
    ustring text = statusText(process, status, part, context.timeoutMs);
    if (const auto wanted = args.text("--wait-for")) {
        if (!poll(context.timeoutMs, [&] {
                text = statusText(process, status, part, context.timeoutMs);
                return text == *wanted;
            })) {
            fail(u"the status text is still \"" + text + u"\" after " + number(context.timeoutMs) +
                 u" ms");
        }
    }
    context.print("status " + quote(text));
}

void tooltipsCommand(const Context& context, const Args&) {
    HWND top = context.top();
    const Process process(processOf(top));
    for (const TooltipTool& tool : readTooltips(process, top, context.timeoutMs)) {
        std::string where;
        if (tool.window == top) {
            where = "window";
        } else if (tool.window != nullptr) {
            where = "control=" + std::to_string(controlId(tool.window));
        } else {
            where = "rect=" + std::to_string(tool.rect.left) + "," + std::to_string(tool.rect.top) +
                    "," + std::to_string(tool.rect.right - tool.rect.left) + "x" +
                    std::to_string(tool.rect.bottom - tool.rect.top);
        }
        context.print("tool " + where + " " + quote(tool.text));
    }
    for (const ustring& text : shownTooltips(process, top, context.timeoutMs)) {
        context.print("shown " + quote(text));
    }
}

// --- menus --------------------------------------------------------------------------------

void menuCommand(const Context& context, const Args&) {
    HWND top = context.top();
    ThreadHook hook(threadOf(top));
    printOpenMenu(context, hook, processOf(top));
}

// Where the open popup menu is on the screen: a picture of a window with its menu open takes
// the two rectangles, which need not fill the rectangle around both.
void menuRectCommand(const Context& context, const Args&) {
    HWND popup = waitForPopupMenu(processOf(context.top()), context.timeoutMs);
    RECT frame{};
    GetWindowRect(popup, &frame);
    context.print("menu rect=" + std::to_string(frame.left) + "," + std::to_string(frame.top) +
                  "," + std::to_string(frame.right - frame.left) + "x" +
                  std::to_string(frame.bottom - frame.top));
}

void menuPickCommand(const Context& context, const Args& args) {
    HWND top = context.top();
    HWND popup = waitForPopupMenu(processOf(top), context.timeoutMs);
    ThreadHook hook(threadOf(popup));
    pickFromPopupMenu(hook, popup, menuChoice(args), context.timeoutMs);
}

void menuCloseCommand(const Context& context, const Args&) {
    HWND top = context.top();
    HWND popup = waitForPopupMenu(processOf(top), context.timeoutMs);
    ThreadHook hook(threadOf(popup));
    closePopupMenu(hook, popup, context.timeoutMs);
}

void systemMenuCommand(const Context& context, const Args&) {
    HWND top = context.top();
    ThreadHook hook(threadOf(top));
    printAll(context, describeMenu(hook.systemMenuItems(top, context.timeoutMs)));
}

void systemCommandCommand(const Context& context, const Args& args) {
    HWND top = context.top();
    requireUsable(top, u"the window");
    ThreadHook hook(threadOf(top));
    UINT id = 0;
    if (!args.has("--text") && args.integer("--id")) {
        id = static_cast<UINT>(*args.integer("--id"));
    } else {
        MenuChoice choice;
        choice.text = args.text("--text");
        if (!choice.text) {
            fail(u"say which command: --id or --text");
        }
        const MenuEntry item = chooseItem(hook.systemMenuItems(top, context.timeoutMs), choice);
        if (!item.enabled()) {
            fail(u"the system menu item \"" + item.text + u"\" is disabled");
        }
        id = item.id;
    }
    postMessage(top, WM_SYSCOMMAND, id, 0);
    hook.sync(top, context.timeoutMs);
}

// --- dialogs ------------------------------------------------------------------------------

void messageBoxCommand(const Context& context, const Args&) {
    printAll(context,
             describeMessageBox(waitForMessageBox(processOf(context.top()), context.timeoutMs)));
}

void messageBoxPressCommand(const Context& context, const Args& args) {
    HWND dialog = waitForMessageBox(processOf(context.top()), context.timeoutMs);
    std::optional<int> id;
    if (const auto value = args.integer("--id")) {
        id = static_cast<int>(*value);
    }
    const auto caption = args.text("--button");
    if (!id && !caption) {
        fail(u"say which button: --button TEXT or --id N");
    }
    ThreadHook hook(threadOf(dialog));
    pressButton(hook, dialog, dialogButton(dialog, id, caption), context.timeoutMs);
}

void fileDialogCommand(const Context& context, const Args& args) {
    HWND dialog = waitForFileDialog(processOf(context.top()), context.timeoutMs);
    context.print("caption " + quote(windowText(dialog)));
    HWND edit = fileNameEdit(dialog);
    // The name the dialog offers; WM_GETTEXT carries its text across processes by itself.
    std::array<wchar_t, 1024> offered{};
    if (edit) {
        sendMessage(edit, WM_GETTEXT, offered.size(), reinterpret_cast<LPARAM>(offered.data()),
                    context.timeoutMs);
        offered.back() = L'\0';
    }
    context.print("name " + quote(fromWide(offered.data())));
    ThreadHook hook(threadOf(dialog));
    if (args.has("--cancel")) {
        pressButton(hook, dialog, dialogButton(dialog, IDCANCEL, std::nullopt), context.timeoutMs);
        return;
    }
    const auto path = args.text("--path");
    if (!path) {
        fail(u"say what to do: --path PATH or --cancel");
    }
    requireUsable(edit, u"the file-name box");
    // WM_SETTEXT carries its text across processes by itself.
    sendMessage(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide(*path)), context.timeoutMs);
    pressButton(hook, dialog, dialogButton(dialog, IDOK, std::nullopt), context.timeoutMs);
}

void waitNoDialogCommand(const Context& context, const Args&) {
    waitNoDialog(processOf(context.top()), context.timeoutMs);
}

// --- programs -----------------------------------------------------------------------------

// The whole file, UTF-8, without a trailing line break.
ustring readLine(const ustring& path) {
    KernelHandle file(CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        failWin32(u"cannot open " + path);
    }
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) {
        bytes.pop_back();
    }
    return quillon::fromUtf8(bytes);
}

// Starts a program with a command line exactly as written (Wine's own start-up would quote and
// escape its arguments), waits for it to end and prints its exit code.
void runCommandLineCommand(const Context& context, const Args& args) {
    const auto file = args.text("--line-file");
    if (!file) {
        fail(u"say which file holds the command line: --line-file PATH");
    }
    ustring line = readLine(*file);
    const auto folder = args.text("--dir");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, const_cast<wchar_t*>(wide(line)), nullptr, nullptr, FALSE, 0,
                        nullptr, folder ? wide(*folder) : nullptr, &startup, &process)) {
        failWin32(u"cannot start " + line);
    }
    KernelHandle thread(process.hThread);
    KernelHandle program(process.hProcess);
    // No time limit: the program may wait for the test to answer its windows meanwhile.
    WaitForSingleObject(program.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(program.get(), &code);
    context.print("exit " + std::to_string(code));
}

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"window",
         {},
         {},
         windowCommand,
         "caption, visibility, enabled, iconic, client size, place"},
        {"tree", {}, {}, treeCommand, "every control: class, id, place, state, caption"},
        {"control", kControl, {}, controlCommand, "the tree line of one control"},
        {"focus",
         {"--wait-id"},
         {},
         focusCommand,
         "the control with the keyboard focus (optionally wait until it is control N)"},
        {"text", kControl, {}, textCommand, "a control's text as WM_GETTEXT gives it"},
        {"set-text",
         withControl({"--text"}),
         {},
         setTextCommand,
         "replace a control's text (WM_SETTEXT)"},
        {"wait-visible", {}, {}, waitVisibleCommand, "wait until the window exists and is shown"},
        {"wait-gone", {}, {}, waitGoneCommand, "wait until the window no longer exists"},
        {"listview", kControl, {}, listViewCommand, "columns, rows, selected and focused row"},
        {"lv-select",
         withControl({"--row"}),
         {},
         listViewSelectCommand,
         "select and focus a row (LVM_SETITEMSTATE)"},
        {"lv-click",
         withControl({"--row"}),
         {},
         listViewClickCommand,
         "click a row with the mouse"},
        {"lv-dblclick",
         withControl({"--row"}),
         {},
         listViewDoubleClickCommand,
         "double-click a row with the mouse"},
        {"context-menu",
         withControl({"--row"}),
         {},
         contextMenuCommand,
         "open a control's context menu (at the selected row) and list it"},
        {"combo", kControl, {}, comboCommand, "items and selected index"},
        {"combo-select",
         withControl({"--item", "--text"}),
         {},
         comboSelectCommand,
         "choose an item as a user does"},
        {"click", kControl, {}, clickCommand, "click a button or check box (BM_CLICK)"},
        {"dropdown",
         kControl,
         {},
         dropDownCommand,
         "open a split button's drop-down menu, list it"},
        {"status",
         withControl({"--part", "--wait-for"}),
         {},
         statusCommand,
         "status bar text (optionally wait until it equals a text)"},
        {"tooltips", {}, {}, tooltipsCommand, "the hints of the window and its controls"},
        {"menu", {}, {}, menuCommand, "wait for the open popup menu and list it"},
        {"menu-rect", {}, {}, menuRectCommand, "wait for the open popup menu and print its place"},
        {"menu-pick",
         {"--text", "--id", "--index"},
         {},
         menuPickCommand,
         "choose an item of the open popup menu with the keyboard"},
        {"menu-close", {}, {}, menuCloseCommand, "close the open popup menu (Escape)"},
        {"sysmenu", {}, {}, systemMenuCommand, "list the system menu"},
        {"syscommand",
         {"--id", "--text"},
         {},
         systemCommandCommand,
         "post WM_SYSCOMMAND for a system-menu item"},
        {"msgbox", {}, {}, messageBoxCommand, "wait for a message box: caption, text, buttons"},
        {"msgbox-press",
         {"--button", "--id"},
         {},
         messageBoxPressCommand,
         "press a message-box button"},
        {"file-dialog",
         {"--path"},
         {"--cancel"},
         fileDialogCommand,
         "wait for an Open/Save dialog, enter a path and press OK (or cancel)"},
        {"wait-no-dialog", {}, {}, waitNoDialogCommand, "wait until the program shows no dialog"},
        {"run",
         {"--line-file", "--dir"},
         {},
         runCommandLineCommand,
         "start a program with the command line in a UTF-8 file, wait, print its exit code"},
    };
    return table;
}

const Command& lookUp(const std::string& name) {
    for (const Command& command : commands()) {
        if (name == command.name) {
            return command;
        }
    }
    fail(u"unknown command " + quillon::fromUtf8(name));
}

bool contains(const std::vector<const char*>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

DWORD parseCount(const std::string& option, const ustring& text) {
    Args args;
    args.set(option, text);
    const auto value = args.integer(option);
    if (!value || *value < 0 || *value > 0xFFFFFFFFLL) {
        fail(u"bad " + ascii(option) + u" " + text);
    }
    return static_cast<DWORD>(*value);
}

} // namespace

std::optional<ustring> Args::text(const std::string& name) const {
    const auto found = values_.find(name);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<long long> Args::integer(const std::string& name) const {
    const auto value = text(name);
    if (!value) {
        return std::nullopt;
    }
    const std::string digits = utf8(*value);
    const bool hex =
        digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    std::size_t used = 0;
    long long result = 0;
    try {
        result = std::stoll(hex ? digits.substr(2) : digits, &used, hex ? 16 : 10);
    } catch (const std::logic_error&) {
        used = 0;
    }
    if (used == 0 || used != (hex ? digits.size() - 2 : digits.size())) {
        fail(u"not a number for " + ascii(name) + u": " + *value);
    }
    return result;
}

ControlQuery Args::control() const {
    ControlQuery query;
    if (const auto id = integer("--id")) {
        query.id = static_cast<int>(*id);
    }
    query.windowClass = text("--class");
    query.caption = text("--caption");
    query.index = static_cast<int>(integer("--index").value_or(0));
    return query;
}

std::vector<Invocation> parseCommandLine(const std::vector<ustring>& arguments, Context& context) {
    std::size_t i = 0;
    const auto value = [&](const ustring& option) {
        if (i + 1 >= arguments.size()) {
            fail(option + u" needs a value");
        }
        return arguments[++i];
    };
    for (; i < arguments.size() && arguments[i].rfind(u"--", 0) == 0; ++i) {
        const ustring& option = arguments[i];
        if (option == u"--window-class") {
            context.window.windowClass = value(option);
        } else if (option == u"--title-prefix") {
            context.window.titlePrefix = value(option);
        } else if (option == u"--pid") {
            context.window.pid = parseCount("--pid", value(option));
        } else if (option == u"--timeout") {
            context.timeoutMs = parseCount("--timeout", value(option));
        } else {
            fail(u"unknown option " + option + u" (options of a command follow its name)");
        }
    }
    std::vector<Invocation> invocations;
    while (i < arguments.size()) {
        Invocation invocation;
        invocation.command = utf8(arguments[i]);
        const Command& command = lookUp(invocation.command);
        for (++i; i < arguments.size() && arguments[i] != u"--then"; ++i) {
            const std::string option = utf8(arguments[i]);
            if (contains(command.valueOptions, option)) {
                invocation.args.set(option, value(arguments[i]));
            } else if (contains(command.flags, option)) {
                invocation.args.set(option, u"1");
            } else {
                fail(u"unknown option " + arguments[i] + u" for " + ascii(command.name));
            }
        }
        if (i < arguments.size()) {
            ++i; // --then
            if (i == arguments.size()) {
                fail(u"--then needs a command after it");
            }
        }
        invocations.push_back(std::move(invocation));
    }
    if (invocations.empty()) {
        fail(u"no command given");
    }
    return invocations;
}

void runCommand(const Invocation& invocation, const Context& context) {
    lookUp(invocation.command).run(context, invocation.args);
}

std::string usage() {
    std::string text =
        "usage: qdriver.exe [--window-class CLASS] [--title-prefix TEXT] [--pid N] [--timeout MS]\n"
        "                   COMMAND [OPTIONS] [--then COMMAND [OPTIONS]]...\n"
        "A control is given by --id N, --class CLASS [--index K] or --caption TEXT.\n"
        "commands:\n";
    for (const Command& command : commands()) {
        std::string name = command.name;
        name.resize(std::max<std::size_t>(name.size(), 16), ' ');
        text += "  " + name + command.synopsis + "\n";
    }
    return text + "See README.md beside the sources for the output of each command.\n";
}

} // namespace qdriver
