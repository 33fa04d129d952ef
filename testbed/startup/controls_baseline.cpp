// quillon.exe's main window without the program: the same controls, made from the same layout
// table with the same classes, styles, visual styles, font and DPI scaling, filled with fixed
// texts of the sample setup's kind, and painted. It reads no registry, asks TSF nothing and
// starts no PowerShell. Test bed only: the yardstick for the window's start-up time, beside the
// bare window of baseline.cpp.
#include "app/win32/control_window.h"
#include "app/win32/main_window_layout.h"
#include "controls_baseline_res.h"
#include "ui/win32/dpi.h"
#include "ui/win32/fonts.h"
#include "ui/win32/theme.h"

#include <iterator>

namespace {

namespace view = quillon::win32view;
using view::ControlId;
using view::Kind;
using view::Placement;

struct Caption {
    ControlId id;
    const wchar_t* text;
};

// What the window shows on the sample setup, where the layout table sizes a control to it.
constexpr Caption kCaptions[] = {
    {view::kGroupBox1, L" 启用的输入法 "},
    {view::kButtonUp, L"上移"},
    {view::kButtonDown, L"下移"},
    {view::kButtonHotkey, L"热键"},
    {view::kButtonDisable, L"禁用"},
    {view::kGroupBox2, L" 禁用的输入法 "},
    {view::kButtonEnable, L"启用"},
    {view::kButtonDel, L"删除"},
    {view::kGroupBox3, L" 通用切换热键 "},
    {view::kLabel1, L"切换键盘布局："},
    {view::kLabelSW1, L"打开/关闭输入法："},
    {view::kButtonSW1, L"Ctrl+Space"},
    {view::kLabel2, L"切换输入语言："},
    {view::kLabelSW2, L"全角/半角切换："},
    {view::kButtonSW2, L"Shift+Space"},
    {view::kLabel3, L"关闭大写键："},
    {view::kLabelSW3, L"中英文标点切换："},
    {view::kButtonSW3, L"Ctrl+."},
    {view::kGroupBox4, L" 其它设置 "},
    {view::kCheckBox1, L"每个窗口使用不同的输入法"},
    {view::kCheckBox2, L"使用桌面语言栏"},
    {view::kCheckBox3, L"表情符号面板不自动关闭"},
    {view::kLabel4, L"已安装的输入法语言："},
    {view::kButtonOther, L"其它功能"},
    {view::kButtonRefresh, L"刷新"},
};

const wchar_t* captionOf(int id) {
    for (const Caption& c : kCaptions) {
        if (c.id == id) {
            return c.text;
        }
    }
    return L"";
}

const Placement* placementOf(int id) {
    for (const Placement& p : view::kLayout) {
        if (p.id == id) {
            return &p;
        }
    }
    return nullptr;
}

struct Window {
    HWND hwnd = nullptr;
    UINT dpi = view::kBaseDpi;
    view::Font font;
    view::Font boldFont;
    view::Bitmap helpBitmap;

    int scale(int v) const { return view::scale(v, dpi); }
    HWND item(int id) const { return GetDlgItem(hwnd, id); }
};

Window window;

HWND createControl(const Placement& p, HINSTANCE instance) {
    return view::createLayoutControl(p, window.hwnd, instance);
}

void addRow(HWND list, int row, const wchar_t* name, const wchar_t* hotkey) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(name);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (hotkey) {
        LVITEMW sub{};
        sub.iSubItem = 6;
        sub.pszText = const_cast<wchar_t*>(hotkey);
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&sub));
    }
}

void fillCombo(int id, std::initializer_list<const wchar_t*> items, int selected) {
    const HWND combo = window.item(id);
    for (const wchar_t* text : items) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void createControls(HINSTANCE instance) {
    // In the program's order, which is the window's tab and z-order.
    for (const quillon::FormControl& c : quillon::kFormControls) {
        const Placement& p = *view::placementOf(c.control);
        SetWindowTextW(createControl(p, instance), captionOf(p.id));
    }
    CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window.hwnd,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(view::kStatusBar1)), instance,
                    nullptr);
    SendMessageW(window.item(view::kStatusBar1), SB_SIMPLE, TRUE, 0);
    SendMessageW(window.item(view::kStatusBar1), SB_SETTEXTW, SB_SIMPLEID,
                 reinterpret_cast<LPARAM>(L"就绪"));

    view::addLayoutColumns(window.item(view::kListView1), view::kColumns1,
                           static_cast<int>(std::size(view::kColumns1)));
    view::addLayoutColumns(window.item(view::kListView2), view::kColumns2,
                           static_cast<int>(std::size(view::kColumns2)));
    addRow(window.item(view::kListView1), 0, L"示例拼音输入法", L"Ctrl+1");
    addRow(window.item(view::kListView1), 1, L"US", L"");
    addRow(window.item(view::kListView2), 0, L"示例五笔输入法", nullptr);
    addRow(window.item(view::kListView2), 1, L"示例全拼输入法", nullptr);
    ListView_SetItemState(window.item(view::kListView1), 0, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    fillCombo(view::kComboBox1, {L"Alt+Shift", L"Ctrl+Shift", L"禁用", L"`"}, 1);
    fillCombo(view::kComboBox2, {L"Alt+Shift", L"Ctrl+Shift", L"禁用", L"`"}, 0);
    fillCombo(view::kComboBox3, {L"Caps Lock", L"Shift"}, 0);
    fillCombo(view::kComboBoxLang, {L"中文(简体，中国)", L"英语(美国)"}, 0);
    SendMessageW(window.item(view::kCheckBox2), BM_SETCHECK, BST_CHECKED, 0);

    window.helpBitmap.reset(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDB_BASELINE_HELP), IMAGE_BITMAP, 0, 0, 0)));

    window.font = view::makeFont({L"微软雅黑", -12, GB2312_CHARSET}, window.dpi);
    window.boldFont = view::makeFont({L"微软雅黑", -12, GB2312_CHARSET, FW_BOLD}, window.dpi);
    view::setFontOfChildren(window.hwnd, window.font.get());
}

// The hints' window, made as the program makes it once its window is painted; the hints
// themselves show only under the mouse.
void createTooltips(HINSTANCE instance) {
    const HWND tooltip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window.hwnd, nullptr, instance, nullptr);
    SendMessageW(tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
    SendMessageW(tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(window.font.get()), TRUE);
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, window.scale(640));
}

SIZE textExtent(HWND control) {
    wchar_t text[128] = {};
    const int length = GetWindowTextW(control, text, static_cast<int>(std::size(text)));
    const HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, window.font.get());
    SIZE size{};
    GetTextExtentPoint32W(dc, text, length, &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

void layout() {
    const SIZE outer = view::windowSizeForClient(window.hwnd, window.scale(view::kClientWidth),
                                                 window.scale(view::kClientHeight), window.dpi);
    SetWindowPos(window.hwnd, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const Placement& p : view::kLayout) {
        int x = p.x;
        int y = p.y;
        if (p.group) {
            const Placement* group = placementOf(p.group);
            x += group->x;
            y += group->y;
        }
        const HWND h = window.item(p.id);
        int w = window.scale(p.w);
        int hh = p.kind == Kind::Combo ? window.scale(view::kComboDropHeight) : window.scale(p.h);
        if (p.w == 0 || p.h == 0) {
            const SIZE extent = textExtent(h);
            if (p.w == 0) {
                w = extent.cx +
                    (p.kind == Kind::CheckBox
                         ? view::systemMetric(SM_CXMENUCHECK, window.dpi) + window.scale(8)
                         : window.scale(2));
            }
            if (p.h == 0) {
                hh = extent.cy + window.scale(2);
            }
        }
        SetWindowPos(h, nullptr, window.scale(x), window.scale(y), w, hh,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int c = 0; c < static_cast<int>(std::size(view::kColumnWidths1)); ++c) {
        ListView_SetColumnWidth(window.item(view::kListView1), c,
                                window.scale(view::kColumnWidths1[c]));
    }
    for (int c = 0; c < static_cast<int>(std::size(view::kColumnWidths2)); ++c) {
        ListView_SetColumnWidth(window.item(view::kListView2), c,
                                window.scale(view::kColumnWidths2[c]));
    }
    SendMessageW(window.item(view::kStatusBar1), WM_SIZE, 0, 0);
}

void drawHelpButton(const DRAWITEMSTRUCT& draw) {
    RECT rect = draw.rcItem;
    FillRect(draw.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
    const view::MemoryDc source(CreateCompatibleDC(draw.hDC));
    if (source && window.helpBitmap) {
        const HGDIOBJ old = SelectObject(source.get(), window.helpBitmap.get());
        GdiTransparentBlt(draw.hDC, rect.left + (rect.right - rect.left - 16) / 2,
                          rect.top + (rect.bottom - rect.top - 16) / 2, 16, 16, source.get(), 0, 0,
                          16, 16, RGB(255, 0, 255));
        SelectObject(source.get(), old);
    }
}

LRESULT customDrawRow(NMLVCUSTOMDRAW& draw, bool enabledList) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        return CDRF_NOTIFYITEMDRAW;
    }
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        // The default input method in bold, as the program shows it.
        draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
        SelectObject(draw.nmcd.hdc, enabledList && draw.nmcd.dwItemSpec == 0 ? window.boldFont.get()
                                                                             : window.font.get());
        return CDRF_NEWFONT;
    }
    return CDRF_DODEFAULT;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DRAWITEM:
        if (wParam == view::kSpeedButton1) {
            drawHelpButton(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == NM_CUSTOMDRAW &&
            (header->idFrom == view::kListView1 || header->idFrom == view::kListView2)) {
            return customDrawRow(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam),
                                 header->idFrom == view::kListView1);
        }
        break;
    }
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// As the program does: loaded rather than imported, by the bare name the manifest redirects to
// the side-by-side version 6.
void initCommonControls() {
    const HMODULE comctl32 = LoadLibraryW(L"comctl32.dll");
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (const auto init = reinterpret_cast<InitFn>(
            reinterpret_cast<void*>(GetProcAddress(comctl32, "InitCommonControlsEx")))) {
        const INITCOMMONCONTROLSEX controls{
            sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                  ICC_TAB_CLASSES | ICC_LINK_CLASS};
        init(&controls);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    initCommonControls();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_BASELINE));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"QuillonControlsBaseline";
    RegisterClassExW(&wc);
    window.hwnd = CreateWindowExW(
        WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, wc.lpszClassName, L"Quillon 输入法设置工具",
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT, 600,
        700, nullptr, nullptr, instance, nullptr);
    if (!window.hwnd) {
        return 1;
    }
    window.dpi = view::dpiOf(window.hwnd);
    createControls(instance);
    layout();
    const RECT work = view::workAreaOf(window.hwnd);
    view::centreWindow(window.hwnd, work, work);

    ShowWindow(window.hwnd, show);
    UpdateWindow(window.hwnd);
    createTooltips(instance);
    SetFocus(window.item(view::kListView1));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window.hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
