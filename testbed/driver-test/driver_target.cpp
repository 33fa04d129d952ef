// A small window with one control of every kind the window driver reads and drives. Everything
// the user does to it is appended, one line per event, to a UTF-8 log named on the command line,
// so the driver's end-to-end test can check that its input reached the window as a user's would.
#include "core/error.h"
#include "core/text.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <array>
#include <string>
#include <utility>

namespace {

using quillon::QuillonError;
using quillon::u;
using quillon::ustring;

constexpr int kGroup = 100;
constexpr int kList1 = 101;
constexpr int kList2 = 102;
constexpr int kCombo = 201;
constexpr int kButtonUp = 301;
constexpr int kButtonAsk = 302;
constexpr int kButtonSave = 303;
constexpr int kButtonDisabled = 304;
constexpr int kCheck = 401;
constexpr int kSplit = 501;
constexpr int kStatus = 801;
constexpr UINT kAboutCommand = 1025;

constexpr UINT kSplitRemoveUs = 601;
constexpr UINT kSplitExportEnabled = 602;
constexpr UINT kSplitSaveConfig = 603;
constexpr UINT kSplitLoadConfig = 604;
constexpr UINT kContextDisable = 701;
constexpr UINT kContextDefault = 702;
constexpr UINT kContextHotkey = 703;
constexpr UINT kContextExport = 704;

const wchar_t* wide(const ustring& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

ustring fromWide(const wchar_t* text) {
    return text == nullptr ? ustring() : ustring(reinterpret_cast<const char16_t*>(text));
}

// The event log, opened for appending so a restarted target keeps earlier lines.
class LogFile {
public:
    explicit LogFile(const ustring& path)
        : handle_(CreateFileW(wide(path), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (handle_ == INVALID_HANDLE_VALUE) {
            throw QuillonError(u("cannot open the log ") + path);
        }
    }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile() { CloseHandle(handle_); }

    void line(const ustring& text) const {
        const std::string bytes = quillon::toUtf8(text) + "\n";
        DWORD written = 0;
        WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

private:
    HANDLE handle_;
};

class Font {
public:
    Font()
        : handle_(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH, L"微软雅黑")) {}
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    ~Font() {
        if (handle_ != nullptr) {
            DeleteObject(handle_);
        }
    }
    HFONT get() const { return handle_; }

private:
    HFONT handle_;
};

class PopupMenu {
public:
    PopupMenu() : handle_(CreatePopupMenu()) {
        if (handle_ == nullptr) {
            throw QuillonError(u("CreatePopupMenu failed"));
        }
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    ~PopupMenu() { DestroyMenu(handle_); }
    HMENU get() const { return handle_; }

    void item(UINT id, const wchar_t* text, UINT flags = 0) const {
        AppendMenuW(handle_, MF_STRING | flags, id, text);
    }
    void separator() const { AppendMenuW(handle_, MF_SEPARATOR, 0, nullptr); }

private:
    HMENU handle_;
};

ustring number(long long value) {
    const std::string text = std::to_string(value);
    return ustring(text.begin(), text.end());
}

struct Target {
    explicit Target(const ustring& logPath) : log(logPath) {
        split.item(kSplitRemoveUs, L"删除顽固的英语美式键盘");
        split.item(kSplitExportEnabled, L"导出启用的输入法列表");
        split.separator();
        split.item(kSplitSaveConfig, L"导出配置", MF_GRAYED);
        split.item(kSplitLoadConfig, L"导入配置");
    }

    LogFile log;
    Font font;
    PopupMenu split;
    HWND list1 = nullptr;
    HWND list2 = nullptr;
    HWND combo = nullptr;
    HWND status = nullptr;
};

HWND child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style,
           std::array<int, 4> rect, int id, HFONT font) {
    HWND hwnd = CreateWindowExW(
        0, cls, text, WS_CHILD | WS_VISIBLE | style, rect[0], rect[1], rect[2], rect[3], parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) {
        throw QuillonError(u("cannot create a control of class ") + fromWide(cls));
    }
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return hwnd;
}

void addColumn(HWND list, int index, const wchar_t* text, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(text);
    column.cx = width;
    ListView_InsertColumn(list, index, &column);
}

void addRow(HWND list, int row, std::initializer_list<const wchar_t*> cells) {
    int sub = 0;
    for (const wchar_t* cell : cells) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = sub;
        item.pszText = const_cast<wchar_t*>(cell);
        if (sub == 0) {
            ListView_InsertItem(list, &item);
        } else {
            ListView_SetItem(list, &item);
        }
        ++sub;
    }
}

void setStatus(const Target& target, const ustring& text) {
    SendMessageW(target.status, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide(text)));
}

ustring windowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return fromWide(text.c_str());
}

void createControls(HWND hwnd, Target& target) {
    const HFONT font = target.font.get();
    child(hwnd, L"Button", L" 启用的输入法 ", BS_GROUPBOX, {8, 8, 420, 170}, kGroup, font);

    const DWORD listStyle = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER;
    target.list1 = child(hwnd, WC_LISTVIEWW, L"", listStyle, {16, 28, 300, 140}, kList1, font);
    ListView_SetExtendedListViewStyle(target.list1, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    addColumn(target.list1, 0, L"名称", 140);
    addColumn(target.list1, 1, L"clsid", 0);
    addColumn(target.list1, 2, L"热键", 120);
    addRow(target.list1, 0,
           {L"微软拼音", L"{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}", L"Ctrl+Shift+1"});
    addRow(target.list1, 1, {L"English (US)", L"{00000000-0000-0000-0000-000000000000}", L""});
    addRow(target.list1, 2,
           {L"五笔 \"86\" 版", L"{6A498709-E00B-4C45-A018-8F9E4081AE40}", L"Alt+2"});

    target.list2 = child(hwnd, WC_LISTVIEWW, L"", listStyle, {16, 190, 300, 70}, kList2, font);
    addColumn(target.list2, 0, L"名称", 200);
    addRow(target.list2, 0, {L"日本語 IME"});

    child(hwnd, L"Button", L"上移", BS_PUSHBUTTON, {330, 28, 90, 25}, kButtonUp, font);
    child(hwnd, L"Button", L"消息", BS_PUSHBUTTON, {330, 58, 90, 25}, kButtonAsk, font);
    child(hwnd, L"Button", L"导出", BS_PUSHBUTTON, {330, 88, 90, 25}, kButtonSave, font);
    HWND disabled = child(hwnd, L"Button", L"禁用的按钮", BS_PUSHBUTTON, {330, 118, 90, 25},
                          kButtonDisabled, font);
    EnableWindow(disabled, FALSE);

    // Hints: one on a button, one on the disabled button's place on the window.
    HWND tooltip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(hwnd, kButtonUp));
    tool.lpszText = const_cast<wchar_t*>(L"上移选中的行\r\n第二行");
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tool.uFlags = TTF_SUBCLASS;
    tool.uId = 1;
    tool.rect = RECT{330, 118, 420, 143};
    tool.lpszText = const_cast<wchar_t*>(L"按钮已禁用");
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    target.combo = child(hwnd, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL,
                         {440, 28, 130, 200}, kCombo, font);
    for (const wchar_t* item : {L"Alt+Shift", L"Ctrl+Shift", L"禁用", L"`"}) {
        SendMessageW(target.combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    SendMessageW(target.combo, CB_SETCURSEL, 1, 0);

    child(hwnd, L"Button", L"使用桌面语言栏", BS_AUTOCHECKBOX, {440, 60, 140, 20}, kCheck, font);
    child(hwnd, L"Button", L"其它功能", BS_SPLITBUTTON, {440, 90, 100, 25}, kSplit, font);

    target.status = child(hwnd, STATUSCLASSNAMEW, L"", 0, {0, 0, 0, 0}, kStatus, font);
    SendMessageW(target.status, SB_SIMPLE, TRUE, 0);
    setStatus(target, u("就绪"));

    HMENU system = GetSystemMenu(hwnd, FALSE);
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING | MF_CHECKED, kAboutCommand, L"关于(&A)...");
}

int selectedRow(HWND list) {
    return static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// The context menu is built when it opens, with an item greyed by the selection, as the product's
// menus are; it returns the command instead of posting it, the other way a menu can be used.
void showContextMenu(HWND hwnd, const Target& target, LPARAM where) {
    const int row = selectedRow(target.list1);
    target.log.line(u("context 101 row ") + number(row));
    PopupMenu menu;
    menu.item(kContextDisable, L"禁用");
    menu.separator();
    menu.item(kContextDefault, L"设置为默认输入法", row == 1 ? MF_GRAYED : 0);
    menu.item(kContextHotkey, L"热键", MF_CHECKED);
    menu.separator();
    menu.item(kContextExport, L"导出输入法列表");
    const int x = static_cast<short>(LOWORD(where));
    const int y = static_cast<short>(HIWORD(where));
    const BOOL chosen =
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hwnd, nullptr);
    target.log.line(u("menu ") + (chosen == 0 ? u("none") : number(chosen)));
}

void saveFile(HWND hwnd, const Target& target) {
    std::array<wchar_t, MAX_PATH> path{};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd;
    ofn.lpstrFilter = L"文本文件\0*.txt\0所有文件\0*.*\0";
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = static_cast<DWORD>(path.size());
    ofn.lpstrTitle = L"导出输入法列表";
    ofn.lpstrDefExt = L"txt";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (GetSaveFileNameW(&ofn) == FALSE) {
        target.log.line(u("save cancelled"));
        return;
    }
    target.log.line(u("save ") + fromWide(path.data()));
}

void onCommand(HWND hwnd, const Target& target, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (lParam == 0) {
        target.log.line(u("menu ") + number(id));
        return;
    }
    if (id == kCombo) {
        const auto sel = SendMessageW(target.combo, CB_GETCURSEL, 0, 0);
        if (code == CBN_SELENDOK) {
            target.log.line(u("combo 201 selendok ") + number(sel));
        } else if (code == CBN_SELCHANGE) {
            target.log.line(u("combo 201 selchange ") + number(sel));
            std::array<wchar_t, 64> text{};
            SendMessageW(target.combo, CB_GETLBTEXT, static_cast<WPARAM>(sel),
                         reinterpret_cast<LPARAM>(text.data()));
            setStatus(target, u("已选择：") + fromWide(text.data()));
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    if (id == kCheck) {
        const auto state = SendMessageW(reinterpret_cast<HWND>(lParam), BM_GETCHECK, 0, 0);
        target.log.line(u("check 401 ") + number(state));
        return;
    }
    target.log.line(u("click ") + number(id) + u(" ") + windowText(reinterpret_cast<HWND>(lParam)));
    if (id == kButtonAsk) {
        const int answer =
            MessageBoxW(hwnd, L"确认删除吗？\r第二行", L"驱动测试", MB_YESNO | MB_ICONQUESTION);
        target.log.line(u("msgbox ") + number(answer));
    } else if (id == kButtonSave) {
        saveFile(hwnd, target);
    }
}

LRESULT onNotify(HWND hwnd, const Target& target, const NMHDR& header, LPARAM lParam) {
    const auto id = static_cast<int>(header.idFrom);
    if (header.code == LVN_ITEMCHANGED) {
        const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0) {
            target.log.line(u("select ") + number(id) + u(" ") + number(change.iItem));
        }
    } else if (header.code == NM_DBLCLK) {
        const auto& activate = *reinterpret_cast<const NMITEMACTIVATE*>(lParam);
        target.log.line(u("dblclick ") + number(id) + u(" ") + number(activate.iItem));
    } else if (header.code == BCN_DROPDOWN) {
        const auto& drop = *reinterpret_cast<const NMBCDROPDOWN*>(lParam);
        target.log.line(u("dropdown ") + number(id));
        POINT corner{drop.rcButton.left, drop.rcButton.bottom};
        ClientToScreen(header.hwndFrom, &corner);
        TrackPopupMenu(target.split.get(), TPM_LEFTALIGN | TPM_TOPALIGN, corner.x, corner.y, 0,
                       hwnd, nullptr);
        return TRUE;
    }
    return 0;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* target = reinterpret_cast<Target*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    try {
        switch (message) {
        case WM_CREATE: {
            target = static_cast<Target*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
            createControls(hwnd, *target);
            return 0;
        }
        case WM_SIZE:
            if (target != nullptr) {
                SendMessageW(target->status, WM_SIZE, 0, 0);
            }
            return 0;
        case WM_COMMAND:
            onCommand(hwnd, *target, wParam, lParam);
            return 0;
        case WM_NOTIFY:
            return onNotify(hwnd, *target, *reinterpret_cast<const NMHDR*>(lParam), lParam);
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == target->list1) {
                showContextMenu(hwnd, *target, lParam);
                return 0;
            }
            break;
        case WM_SYSCOMMAND:
            if (wParam == kAboutCommand) {
                target->log.line(u("about"));
                MessageBoxW(hwnd, L"驱动测试窗口\r版本 1", L"关于", MB_ICONINFORMATION);
                return 0;
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
        }
    } catch (const QuillonError& error) {
        MessageBoxW(hwnd, wide(error.message()), L"driver-target", MB_ICONERROR);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

ustring unquote(ustring text) {
    while (!text.empty() && text.back() == u' ') {
        text.pop_back();
    }
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"') {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

int run(HINSTANCE instance, const ustring& logPath) {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"QDriverTargetForm";
    if (RegisterClassExW(&windowClass) == 0) {
        throw QuillonError(u("RegisterClassExW failed"));
    }

    Target target(logPath);
    RECT frame{0, 0, 600, 320};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND hwnd = CreateWindowExW(0, windowClass.lpszClassName, L"驱动测试窗口 driver target", style,
                                40, 40, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, &target);
    if (hwnd == nullptr) {
        throw QuillonError(u("CreateWindowExW failed"));
    }
    ShowWindow(hwnd, SW_SHOW);
    target.log.line(u("started"));

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    target.log.line(u("closed"));
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    try {
        const ustring logPath = unquote(fromWide(commandLine));
        if (logPath.empty()) {
            MessageBoxW(nullptr, L"usage: driver-target.exe LOGFILE", L"driver-target",
                        MB_ICONERROR);
            return 2;
        }
        return run(instance, logPath);
    } catch (const QuillonError& error) {
        MessageBoxW(nullptr, wide(error.message()), L"driver-target", MB_ICONERROR);
        return 1;
    }
}
