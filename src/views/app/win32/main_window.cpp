#include "app/win32/main_window.h"

#include "app/win32/control_window.h"
#include "backups/backups.h"
#include "core/error.h"
#include "res/resource_ids.h"
#include "ui/win32/fonts.h"
#include "ui/win32/theme.h"
#include "ui/win32/window_text.h"

#include <windowsx.h>

#include <exception>

namespace quillon::win32view {

namespace {

const wchar_t* const kClassName = L"TForm1";

// The language names are looked for as often as a captured run is waited for.
constexpr UINT_PTR kLanguageTimer = 1;
constexpr UINT kLanguagePollMs = 100;

const Placement* placementOf(int id) {
    for (const Placement& p : kLayout) {
        if (p.id == id) {
            return &p;
        }
    }
    return nullptr;
}

} // namespace

MainWindow::MainWindow(TForm1& form, HINSTANCE instance) : form_(form), instance_(instance) {
    form_.Changed = [this] { sync(); };
}

MainWindow::~MainWindow() {
    form_.Changed = nullptr;
    if (hwnd_) {
        DestroyWindow(hwnd_);
    }
}

void MainWindow::create() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &viewWindowProc<MainWindow>;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_QUILLON));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    hwnd_ = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kClassName, wide(form_.Caption),
                            style, CW_USEDEFAULT, CW_USEDEFAULT, 600, 700, nullptr, nullptr,
                            instance_, this);
    if (!hwnd_) {
        throw QuillonError(u"无法创建主窗口。");
    }
    dpi_ = dpiOf(hwnd_);
    form_.HighContrast = highContrastOn();
    createControls();
    applyFonts();
    layout();

    // Centred on the desktop's work area.
    const RECT work = workAreaOf(hwnd_);
    centreWindow(hwnd_, work, work);
}

void MainWindow::createControls() {
    for (const Placement& p : kLayout) {
        createLayoutControl(p, hwnd_, instance_);
    }
    CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBar1)), instance_, nullptr);
    SendMessageW(item(kStatusBar1), SB_SIMPLE, TRUE, 0);

    addLayoutColumns(item(kListView1), kColumns1, 7);
    addLayoutColumns(item(kListView2), kColumns2, 6);

    const int bitmapIds[] = {IDB_HELP, IDB_HELP_DISABLED};
    for (int i = 0; i < 2; ++i) {
        helpBitmaps_[i].reset(static_cast<HBITMAP>(
            LoadImageW(instance_, MAKEINTRESOURCEW(bitmapIds[i]), IMAGE_BITMAP, 0, 0, 0)));
    }
}

void MainWindow::applyFonts() {
    // 微软雅黑 9 pt: 12 pixels at 96 dpi.
    font_ = makeFont({L"微软雅黑", -12, GB2312_CHARSET}, dpi_);
    boldFont_ = makeFont({L"微软雅黑", -12, GB2312_CHARSET, FW_BOLD}, dpi_);
    setFontOfChildren(hwnd_, font_.get());
    if (tooltips_.hwnd()) {
        tooltips_.setFont(font_.get(), dpi_);
    }
}

void MainWindow::layout() {
    const SIZE outer = windowSizeForClient(hwnd_, scale(kClientWidth), scale(kClientHeight), dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    for (const Placement& p : kLayout) {
        int x = p.x;
        int y = p.y;
        if (p.group) {
            const Placement* group = placementOf(p.group);
            x += group->x;
            y += group->y;
        }
        HWND h = item(p.id);
        int w = scale(p.w);
        int hh = scale(p.h);
        if (p.kind == Kind::Combo) {
            hh = scale(kComboDropHeight);
        }
        if (p.w == 0 || p.h == 0) {
            const Control* model = modelControl(p.id);
            const SIZE extent = textExtent(h, font_.get(), model ? model->caption : ustring());
            if (p.w == 0) {
                w = extent.cx + (p.kind == Kind::CheckBox
                                     ? systemMetric(SM_CXMENUCHECK, dpi_) + scale(8)
                                     : scale(2));
            }
            if (p.h == 0) {
                hh = extent.cy + scale(2);
            }
        }
        SetWindowPos(h, nullptr, scale(x), scale(y), w, hh, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int c = 0; c < 7; ++c) {
        ListView_SetColumnWidth(item(kListView1), c, scale(kColumnWidths1[c]));
    }
    for (int c = 0; c < 6; ++c) {
        ListView_SetColumnWidth(item(kListView2), c, scale(kColumnWidths2[c]));
    }
    SendMessageW(item(kStatusBar1), WM_SIZE, 0, 0);
    tooltips_.updatePlaces();
}

Control* MainWindow::modelControl(int id) {
    switch (id) {
    case kGroupBox1:
        return &form_.GroupBox1;
    case kListView1:
        return &form_.ListView1;
    case kButtonUp:
        return &form_.Button_Up;
    case kButtonDown:
        return &form_.Button_Down;
    case kButtonHotkey:
        return &form_.Button_Hotkey;
    case kButtonDisable:
        return &form_.Button_Disable;
    case kGroupBox2:
        return &form_.GroupBox2;
    case kListView2:
        return &form_.ListView2;
    case kButtonEnable:
        return &form_.Button_Enable;
    case kButtonDel:
        return &form_.Button_DEL;
    case kSpeedButton1:
        return &form_.SpeedButton1;
    case kGroupBox3:
        return &form_.GroupBox3;
    case kLabel1:
        return &form_.Label1;
    case kComboBox1:
        return &form_.ComboBox1;
    case kLabel2:
        return &form_.Label2;
    case kComboBox2:
        return &form_.ComboBox2;
    case kLabel3:
        return &form_.Label3;
    case kComboBox3:
        return &form_.ComboBox3;
    case kLabelSW1:
        return &form_.Label_SW1;
    case kButtonSW1:
        return &form_.Button_SW1;
    case kLabelSW2:
        return &form_.Label_SW2;
    case kButtonSW2:
        return &form_.Button_SW2;
    case kLabelSW3:
        return &form_.Label_SW3;
    case kButtonSW3:
        return &form_.Button_SW3;
    case kGroupBox4:
        return &form_.GroupBox4;
    case kCheckBox1:
        return &form_.CheckBox1;
    case kCheckBox2:
        return &form_.CheckBox2;
    case kCheckBox3:
        return &form_.CheckBox3;
    case kLabel4:
        return &form_.Label4;
    case kComboBoxLang:
        return &form_.ComboBox_Lang;
    case kButtonOther:
        return &form_.Button_Other;
    case kButtonRefresh:
        return &form_.Button_Refresh;
    default:
        return nullptr;
    }
}

void MainWindow::syncControl(int id, const Control& model) {
    HWND h = item(id);
    const Placement* p = placementOf(id);
    const bool hasCaption =
        p && p->kind != Kind::ListView && p->kind != Kind::Combo && p->kind != Kind::FlatButton;
    if (hasCaption) {
        setWindowText(h, model.caption);
    }
    if (static_cast<bool>(IsWindowEnabled(h)) != model.enabled) {
        EnableWindow(h, model.enabled);
        if (p && p->kind == Kind::FlatButton) {
            InvalidateRect(h, nullptr, TRUE);
        }
    }
    if (static_cast<bool>(IsWindowVisible(h)) != model.visible) {
        ShowWindow(h, model.visible ? SW_SHOWNA : SW_HIDE);
    }
    tooltips_.setHint(h, model.hint);
}

void MainWindow::syncList(int id, const ListView& model, EntryList& shown) {
    HWND list = item(id);
    const int columns = id == kListView1 ? 7 : 6;
    if (shown != model.rows) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        ListView_DeleteAllItems(list);
        for (std::size_t r = 0; r < model.rows.size(); ++r) {
            const InputMethodEntry& row = model.rows[r];
            LVITEMW lv{};
            lv.mask = LVIF_TEXT;
            lv.iItem = static_cast<int>(r);
            const ustring caption = form_.rowCaption(model, static_cast<int>(r));
            lv.pszText = const_cast<wchar_t*>(wide(caption));
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv));
            for (int c = 1; c < columns; ++c) {
                LVITEMW sub{};
                sub.iSubItem = c;
                sub.pszText =
                    const_cast<wchar_t*>(wide(row.fields[static_cast<std::size_t>(c - 1)]));
                SendMessageW(list, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&sub));
            }
        }
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
        shown = model.rows;
    }
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (selected != model.selected) {
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        if (model.selected >= 0) {
            ListView_SetItemState(list, model.selected, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            ListView_EnsureVisible(list, model.selected, FALSE);
        }
    }
}

void MainWindow::sync() {
    if (!hwnd_ || syncing_) {
        return;
    }
    syncing_ = true;
    setWindowText(hwnd_, form_.Caption);
    if (!systemMenuDone_ && !form_.systemMenuAppended.empty()) {
        HMENU menu = GetSystemMenu(hwnd_, FALSE);
        for (const MenuItem& entry : form_.systemMenuAppended) {
            if (entry.caption == u"-") {
                AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            } else {
                AppendMenuW(menu, MF_STRING | (entry.checked ? MF_CHECKED : 0u), kAboutCommandId,
                            wide(entry.caption));
            }
        }
        systemMenuDone_ = true;
    }
    for (const Placement& p : kLayout) {
        syncControl(p.id, *modelControl(p.id));
    }
    if (shownDefime_ != form_.defime || shownHighContrast_ != form_.HighContrast) {
        // The default's weight, and in high contrast its marker, move with it.
        if (form_.HighContrast || shownHighContrast_) {
            shown1_.clear();
            shown2_.clear();
        }
        shownDefime_ = form_.defime;
        shownHighContrast_ = form_.HighContrast;
        InvalidateRect(item(kListView1), nullptr, TRUE);
    }
    syncList(kListView1, form_.ListView1, shown1_);
    syncList(kListView2, form_.ListView2, shown2_);
    annotate();
    syncComboBox(item(kComboBox1), form_.ComboBox1, shownItems_[kComboBox1]);
    syncComboBox(item(kComboBox2), form_.ComboBox2, shownItems_[kComboBox2]);
    syncComboBox(item(kComboBox3), form_.ComboBox3, shownItems_[kComboBox3]);
    syncComboBox(item(kComboBoxLang), form_.ComboBox_Lang, shownItems_[kComboBoxLang]);
    for (const auto& [id, box] : {std::pair<int, const CheckBox*>{kCheckBox1, &form_.CheckBox1},
                                  {kCheckBox2, &form_.CheckBox2},
                                  {kCheckBox3, &form_.CheckBox3}}) {
        const WPARAM state = box->checked ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(SendMessageW(item(id), BM_GETCHECK, 0, 0)) != state) {
            SendMessageW(item(id), BM_SETCHECK, state, 0);
        }
    }
    SendMessageW(item(kStatusBar1), SB_SETTEXTW, SB_SIMPLEID,
                 reinterpret_cast<LPARAM>(wide(form_.StatusBar1)));
    if (static_cast<bool>(IsWindowEnabled(hwnd_)) != form_.Enabled) {
        EnableWindow(hwnd_, form_.Enabled);
    }
    SetCursor(LoadCursorW(nullptr, form_.ScreenCursor == Cursor::HourGlass ? IDC_WAIT : IDC_ARROW));
    if (form_.ActiveControl) {
        for (const Placement& p : kLayout) {
            if (modelControl(p.id) == form_.ActiveControl) {
                SetFocus(item(p.id));
            }
        }
        form_.ActiveControl = nullptr;
    }
    if (form_.Visible && !IsWindowVisible(hwnd_)) {
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        attachHints();
    }
    if (form_.Minimized && IsWindowVisible(hwnd_) && !IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_MINIMIZE);
    }
    syncing_ = false;
}

void MainWindow::dispatch(const std::function<void()>& handler) {
    // A dialog, a message box or the settle wait's disabled window takes the focus away; it
    // comes back to the control that had it, or to the next one when that one disabled itself.
    Control* const had = hwnd_ ? focusedControl() : nullptr;
    if (had) {
        savedFocus_ = had;
    }
    ++dispatching_;
    try {
        // Every event is one user action: what it changes shares one backup.
        const backups::UserAction action(form_);
        handler();
    } catch (const QuillonError& e) {
        form_.ShowError(e.message());
    } catch (const std::exception& e) {
        form_.ShowError(fromUtf8(e.what()));
    }
    --dispatching_;
    sync();
    if (had) {
        restoreFocus(had);
    }
}

void MainWindow::show(int showCommand) {
    sync();
    ShowWindow(hwnd_, form_.Minimized ? SW_SHOWMINIMIZED : showCommand);
    form_.Visible = true;
    UpdateWindow(hwnd_);
    attachHints();
    annotating_ = true;
    annotate();
    // The enabled list (its selected row) has the focus from the start.
    if (!form_.Minimized && !focusedControl()) {
        restoreFocus(nullptr);
    }
    if (form_.languageNames == TForm1::LanguageNames::Running) {
        SetTimer(hwnd_, kLanguageTimer, kLanguagePollMs, nullptr);
    }
}

void MainWindow::attachHints() {
    if (tooltips_.hwnd()) {
        return;
    }
    tooltips_.create(hwnd_, instance_);
    tooltips_.setFont(font_.get(), dpi_);
    for (const Placement& p : kLayout) {
        tooltips_.setHint(item(p.id), modelControl(p.id)->hint);
    }
}

void MainWindow::onLanguageTimer() {
    if (dispatching_ == 0) {
        dispatch([this] { form_.pollLanguageNames(); });
    }
    if (form_.languageNames != TForm1::LanguageNames::Running) {
        KillTimer(hwnd_, kLanguageTimer);
    }
}

void MainWindow::annotate() {
    // Not before the window shows: most runs are command lines, and oleacc takes its time.
    if (!annotating_) {
        return;
    }
    for (const Placement& p : kLayout) {
        const Control& model = *modelControl(p.id);
        annotations_.setName(item(p.id), CHILDID_SELF, form_.accessibleName(model));
        annotations_.setDescription(item(p.id), CHILDID_SELF, form_.accessibleDescription(model));
    }
    for (const ListView* list : {&form_.ListView1, &form_.ListView2}) {
        const HWND handle = controlHandle(list);
        for (int r = 0; r < list->count(); ++r) {
            annotations_.setDescription(handle, r + 1, form_.rowDescription(*list, r));
        }
    }
}

void MainWindow::onSystemColours() {
    form_.HighContrast = highContrastOn();
    // Common controls learn of the change only from their parent.
    for (const int id : {kListView1, kListView2, kStatusBar1}) {
        SendMessageW(item(id), WM_SYSCOLORCHANGE, 0, 0);
    }
    shown1_.clear();
    shown2_.clear();
    sync();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

Control* MainWindow::focusedControl() {
    const HWND focus = GetFocus();
    if (!hwnd_ || !focus || GetParent(focus) != hwnd_) {
        return nullptr;
    }
    return modelControl(GetDlgCtrlID(focus));
}

HWND MainWindow::controlHandle(const Control* control) {
    for (const Placement& p : kLayout) {
        if (modelControl(p.id) == control) {
            return item(p.id);
        }
    }
    return nullptr;
}

void MainWindow::restoreFocus(Control* had) {
    if (!hwnd_ || !form_.Enabled || !IsWindowEnabled(hwnd_) || !IsWindowVisible(hwnd_) ||
        GetActiveWindow() != hwnd_) {
        return;
    }
    const HWND focus = GetFocus();
    if (focus && GetParent(focus) == hwnd_ && IsWindowEnabled(focus)) {
        return;
    }
    if (const HWND target = controlHandle(form_.focusAfter(had))) {
        SetFocus(target);
    }
}

bool MainWindow::translateShortcut(const MSG& msg) {
    if ((msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) || !hwnd_ ||
        (msg.hwnd != hwnd_ && GetParent(msg.hwnd) != hwnd_) || !IsWindowEnabled(hwnd_)) {
        return false;
    }
    Key key{};
    switch (msg.wParam) {
    case VK_F1:
        key = Key::F1;
        break;
    case VK_F4:
        key = Key::F4;
        break;
    case VK_F5:
        key = Key::F5;
        break;
    case VK_RETURN:
        key = Key::Enter;
        break;
    case VK_SPACE:
        key = Key::Space;
        break;
    case VK_DELETE:
        key = Key::Delete;
        break;
    case VK_UP:
        key = Key::Up;
        break;
    case VK_DOWN:
        key = Key::Down;
        break;
    default:
        return false;
    }
    const KeyStroke stroke{key, GetKeyState(VK_MENU) < 0, GetKeyState(VK_CONTROL) < 0,
                           GetKeyState(VK_SHIFT) < 0};
    Control* const focused = focusedControl();
    const KeyCommand command = form_.shortcut(stroke, focused);
    if (command == KeyCommand::None) {
        return false;
    }
    if (msg.message == WM_SYSKEYDOWN) {
        // The window's default handling sees the key too, so that releasing Alt afterwards
        // does not open the system menu as a lone Alt press does.
        DefWindowProcW(hwnd_, msg.message, msg.wParam, msg.lParam);
    }
    if (command == KeyCommand::OpenOtherMenu) {
        openOtherMenu();
    } else {
        dispatch([this, command, focused] { form_.runShortcut(command, focused); });
    }
    return true;
}

void MainWindow::showMenu(const Menu& menu, int base, int x, int y) {
    PopupMenu popup(CreatePopupMenu());
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        const MenuItem& entry = menu.items[i];
        if (entry.caption == u"-") {
            AppendMenuW(popup.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(popup.get(),
                        MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED) |
                            (entry.checked ? MF_CHECKED : 0u),
                        static_cast<UINT_PTR>(base) + i, wide(entry.caption));
        }
    }
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(popup.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0, hwnd_,
                   nullptr);
    PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void MainWindow::onContextMenu(HWND source, int x, int y) {
    const bool first = source == item(kListView1);
    if (!first && source != item(kListView2)) {
        return;
    }
    if (x == -1 && y == -1) {
        // From the keyboard: below the selected row, or the list's corner.
        RECT rect{};
        const int row = ListView_GetNextItem(source, -1, LVNI_SELECTED);
        if (row < 0 || !ListView_GetItemRect(source, row, &rect, LVIR_LABEL)) {
            GetClientRect(source, &rect);
            rect.bottom = rect.top;
        }
        POINT at{rect.left, rect.bottom};
        ClientToScreen(source, &at);
        x = at.x;
        y = at.y;
    }
    dispatch([this] { form_.PopupMenu1Popup(); });
    if (first) {
        showMenu(form_.PopupMenu1, kPopupMenu1Base, x, y);
    } else {
        showMenu(form_.PopupMenu3, kPopupMenu3Base, x, y);
    }
}

void MainWindow::onCommand(int id, int code, HWND control) {
    auto run = [this](void (TForm1::*handler)()) {
        dispatch([this, handler] { (form_.*handler)(); });
    };
    if (!control) {
        // Menu items.
        if (id >= kPopupMenu1Base && id < kPopupMenu1Base + 8) {
            switch (id - kPopupMenu1Base) {
            case 0:
                run(&TForm1::Button_DisableClick);
                break;
            case 2:
                run(&TForm1::DefaultClick);
                break;
            case 3:
                run(&TForm1::N4Click);
                break;
            case 5:
                run(&TForm1::Button_HotkeyClick);
                break;
            case 7:
                run(&TForm1::N8Click);
                break;
            default:
                break;
            }
        } else if (id >= kPopupMenu2Base && id < kPopupMenu2Base + 9) {
            switch (id - kPopupMenu2Base) {
            case 0:
                run(&TForm1::N7Click);
                break;
            case 1:
                run(&TForm1::N8Click);
                break;
            case 2:
                run(&TForm1::N11Click);
                break;
            case 4:
                run(&TForm1::N14Click);
                break;
            case 5:
                run(&TForm1::loadcfgClick);
                break;
            case 6:
                run(&TForm1::CheckCfgClick);
                break;
            case 8:
                dispatch([this] { backups::undoLastChange(form_); });
                break;
            default:
                break;
            }
        } else if (id == kPopupMenu3Base) {
            run(&TForm1::N11Click);
        }
        return;
    }
    if (syncing_) {
        return;
    }
    const Placement* placement = placementOf(id);
    if (placement && placement->kind == Kind::Combo) {
        onComboNotify(id, code, control);
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    const auto checked = [control] {
        return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    switch (id) {
    case kButtonUp:
    case kButtonDown:
    case kButtonHotkey:
    case kButtonDisable:
    case kButtonEnable:
    case kButtonDel:
    case kSpeedButton1:
    case kButtonSW1:
    case kButtonSW2:
    case kButtonSW3:
    case kButtonRefresh:
        dispatch([this, id] { form_.Click(*modelControl(id)); });
        break;
    case kCheckBox1:
        form_.CheckBox1.checked = checked();
        run(&TForm1::CheckBox1Click);
        break;
    case kCheckBox2:
        form_.CheckBox2.checked = checked();
        run(&TForm1::CheckBox1Click);
        break;
    case kCheckBox3:
        form_.CheckBox3.checked = checked();
        run(&TForm1::CheckBox3Click);
        break;
    default:
        break; // the split button's face does nothing
    }
}

// A switching key is written once per confirmed choice, not on each arrow press: the choice
// is taken when the open list closes on an item, or when the focus leaves the box. An arrow
// press on a closed box also sends CBN_SELENDOK, so only the close-up confirms.
void MainWindow::onComboNotify(int id, int code, HWND control) {
    auto& box = static_cast<ComboBox&>(*modelControl(id));
    switch (code) {
    case CBN_SELCHANGE:
    case CBN_SELENDOK:
        form_.comboChoosing(box, static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
        if (SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0) == FALSE && GetFocus() != control) {
            // Chosen from outside the keyboard's reach (a wheel turn without the focus, a test
            // driver): nothing else would confirm it.
            dispatch([this, &box] { form_.comboConfirm(box); });
        }
        break;
    case CBN_SELENDCANCEL:
        // Escape or a click elsewhere on the open list. Sent also as the focus leaves a closed
        // box, whose choice then stands.
        if (SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0) != FALSE) {
            form_.comboCancel(box);
            sync(); // the box shows the item in effect again
        }
        break;
    case CBN_CLOSEUP:
    case CBN_KILLFOCUS:
        dispatch([this, &box] { form_.comboConfirm(box); });
        break;
    default:
        break;
    }
}

void MainWindow::openOtherMenu() {
    const HWND button = item(kButtonOther);
    RECT rect{};
    GetWindowRect(button, &rect);
    SendMessageW(button, BCM_SETDROPDOWNSTATE, TRUE, 0);
    showMenu(form_.PopupMenu2, kPopupMenu2Base, rect.left, rect.bottom);
    SendMessageW(button, BCM_SETDROPDOWNSTATE, FALSE, 0);
}

LRESULT MainWindow::onNotify(NMHDR* header) {
    const int id = static_cast<int>(header->idFrom);
    if (id == kListView1 || id == kListView2) {
        ListView& model = id == kListView1 ? form_.ListView1 : form_.ListView2;
        switch (header->code) {
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
            if (syncing_ || !(change->uChanged & LVIF_STATE) ||
                ((change->uNewState ^ change->uOldState) & (LVIS_SELECTED | LVIS_FOCUSED)) == 0) {
                return 0;
            }
            model.selected = ListView_GetNextItem(header->hwndFrom, -1, LVNI_SELECTED);
            dispatch([this, id] {
                if (id == kListView1) {
                    form_.ListView1Change();
                } else {
                    form_.ListView2Change();
                }
            });
            return 0;
        }
        case NM_DBLCLK:
            dispatch([this, id] {
                if (id == kListView1) {
                    form_.ListView1DblClick();
                } else {
                    form_.ListView2DblClick();
                }
            });
            return 0;
        case NM_CUSTOMDRAW: {
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
                return CDRF_NOTIFYITEMDRAW;
            }
            if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                const int row = static_cast<int>(draw->nmcd.dwItemSpec);
                const RowStyle style = id == kListView1
                                           ? form_.ListView1AdvancedCustomDrawItem(row)
                                           : form_.ListView2AdvancedCustomDrawItem(row);
                draw->clrText = style.color == kDefaultColor ? GetSysColor(COLOR_WINDOWTEXT)
                                                             : static_cast<COLORREF>(style.color);
                SelectObject(draw->nmcd.hdc, style.bold ? boldFont_.get() : font_.get());
                return CDRF_NEWFONT;
            }
            return CDRF_DODEFAULT;
        }
        default:
            break;
        }
        (void)model;
    }
    if (header->code == HDN_BEGINTRACKW || header->code == HDN_BEGINTRACKA ||
        header->code == HDN_DIVIDERDBLCLICKW || header->code == HDN_DIVIDERDBLCLICKA) {
        // The hidden columns stay hidden.
        const auto* track = reinterpret_cast<NMHEADERW*>(header);
        const bool firstList = GetParent(header->hwndFrom) == item(kListView1);
        const int hotkeyColumn = firstList ? 6 : -1;
        return track->iItem > 0 && track->iItem != hotkeyColumn ? TRUE : FALSE;
    }
    if (id == kButtonOther && header->code == BCN_DROPDOWN) {
        openOtherMenu();
        return 0;
    }
    return 0;
}

void MainWindow::onDrawHelpButton(const DRAWITEMSTRUCT& draw) {
    RECT rect = draw.rcItem;
    FillRect(draw.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
    if (draw.itemState & ODS_SELECTED) {
        DrawEdge(draw.hDC, &rect, BDR_SUNKENOUTER, BF_RECT);
    }
    const bool enabled = !(draw.itemState & ODS_DISABLED);
    if (form_.HighContrast) {
        // The picture's fixed blue would vanish on a dark theme: the system's text colours.
        SetBkMode(draw.hDC, TRANSPARENT);
        SetTextColor(draw.hDC, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        const HGDIOBJ oldFont = SelectObject(draw.hDC, boldFont_.get());
        RECT text = rect;
        DrawTextW(draw.hDC, L"?", 1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(draw.hDC, oldFont);
    } else {
        drawHelpPicture(draw.hDC, rect, enabled);
    }
    if ((draw.itemState & ODS_FOCUS) && !(draw.itemState & ODS_NOFOCUSRECT)) {
        InflateRect(&rect, -2, -2);
        DrawFocusRect(draw.hDC, &rect);
    }
}

void MainWindow::drawHelpPicture(HDC dc, const RECT& rect, bool enabled) {
    const int x = rect.left + (rect.right - rect.left - 16) / 2;
    const int y = rect.top + (rect.bottom - rect.top - 16) / 2;
    // gdi32's own transparent copy: an image list would need comctl32's functions, which the
    // program does not import.
    const HBITMAP bitmap = helpBitmaps_[enabled ? 0 : 1].get();
    const MemoryDc source(CreateCompatibleDC(dc));
    if (source && bitmap) {
        const HGDIOBJ old = SelectObject(source.get(), bitmap);
        GdiTransparentBlt(dc, x, y, 16, 16, source.get(), 0, 0, 16, 16, RGB(255, 0, 255));
        SelectObject(source.get(), old);
    }
}

LRESULT MainWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_NOTIFY:
        return onNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
        onContextMenu(reinterpret_cast<HWND>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlID == kSpeedButton1) {
            onDrawHelpButton(*draw);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC: {
        // Labels and check boxes on the button-face background, as the window itself.
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_ACTIVATE:
        // A plain window does not keep its focus across deactivation as a dialog does.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (Control* focused = focusedControl()) {
                savedFocus_ = focused;
            }
        } else if (!HIWORD(wParam)) {
            restoreFocus(savedFocus_);
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        if (form_.WMSysCommand(static_cast<std::uint32_t>(wParam))) {
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (form_.ScreenCursor == Cursor::HourGlass) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_SIZE:
        SendMessageW(item(kStatusBar1), WM_SIZE, 0, 0);
        break;
    case WM_TIMER:
        if (wParam == kLanguageTimer) {
            onLanguageTimer();
            return 0;
        }
        break;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETHIGHCONTRAST) {
            onSystemColours();
        }
        break;
    case WM_SYSCOLORCHANGE:
        onSystemColours();
        break;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        applyFonts();
        layout();
        const auto* suggested = reinterpret_cast<RECT*>(lParam);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        form_.FormClose();
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

} // namespace quillon::win32view
