// TForm1: the main window's model. It owns all state of the program (the fields and the
// controls' states) and carries every operation as a method; each subsystem's methods are
// defined in that subsystem's folder.
#pragma once

#include "app/controls.h"
#include "app/keyboard.h"
#include "backups/action_state.h"
#include "hotkeys/hotkey_as_read.h"
#include "hotkeys/key_table.h"
#include "platform/open_dialog.h"
#include "platform/platform.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace quillon {

class TForm2;
class TFormDrift;
class TFormHelp;

// The items appended to the window's system menu have the ids kSystemMenuBase + their position.
constexpr std::uint32_t kSystemMenuBase = 1024;
constexpr std::uint32_t kAboutCommandId = kSystemMenuBase + 1;
// The program's web site, named by the About box and linked from the help window: the release's
// address (core/version.h, kept out of this header so that another address rebuilds little).
extern const char16_t* const kWebAddress;

struct Tlang {
    StringList code; // language ids, 4 upper-case hex digits, aligned with `name`
    StringList name; // language tags, in the order of "Languages"
    StringList text; // the combo's items
    // Aligned with `code`: true where the id came from the language key's own value names,
    // false where the key named none and the shown language's id stood in.
    std::vector<bool> codeFromKey;

    // The position of a language id in `code`, preferring one the language's key itself
    // names over a stand-in; -1 when the id is not there. Every lookup of a tag by an id goes
    // through here, so that a language without input methods never takes another's place.
    int position(ustring_view langid) const;
};

class TForm1 {
public:
    explicit TForm1(platform::Platform os);
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;
    ~TForm1();

    // ---- fields ----
    std::unique_ptr<platform::TfProfiles> profiles;
    platform::TfProfiles* Iprofiles = nullptr;
    platform::TfProfiles* ipm = nullptr; // the same object's profile-manager view
    Tlang lang;
    std::int32_t defime = -1;
    std::int32_t mylangid = 0;
    ustring mycatid;
    ustring oldkey;
    StringList pwlanglist;
    // The languages' names come from PowerShell, the slowest thing a start waits for: an
    // interactive start shows the window while the query runs, and takes the answer later.
    // A command-line run never shows them: it does not ask (NotNeeded).
    enum class LanguageNames { NotAsked, Running, Read, NotNeeded };
    LanguageNames languageNames = LanguageNames::NotAsked;
    KeyTable scancode;
    // Set while the lists are known not to be what Windows holds (the last refresh failed or
    // could not enumerate the profiles): committing them would delete what they lack.
    bool listsIncomplete = false;
    // The hotkeys as the last refresh read them, by `hotkeyRowIdentity`, and the three general
    // toggles' (none where the toggle's key was missing).
    std::map<ustring, HotkeyAsRead> hotkeysRead;
    std::array<std::optional<HotkeyAsRead>, 3> togglesRead;

    // The language id of `mylangid`: its low 16 bits, whatever a locale id carried above them.
    std::uint16_t LangId() const { return static_cast<std::uint16_t>(mylangid & 0xFFFF); }

    // The hotkey dialog, made after FormCreate by whoever made this window; null until then.
    TForm2* Form2 = nullptr;

    // ---- the window and its controls ----
    ustring Caption = u"Quillon 输入法设置工具";
    bool Visible = false;
    bool Enabled = true;
    bool Minimized = false;
    Cursor ScreenCursor = Cursor::Default;
    // The application's show-main-window flag: cleared by a command-line run.
    bool ShowMainForm = true;
    // The process's exit status: 1 once an error has stopped a command-line run.
    int ExitCode = 0;
    // The help window; it comes into being after the main window's creation, so it is null
    // while FormCreate runs.
    TFormHelp* FormHelp = nullptr;
    // The window of "检查配置差异…", made after FormCreate as the help window is; null until then.
    TFormDrift* FormDrift = nullptr;
    // The items FormCreate has the view append to the window's system menu, from `SystemMenu`.
    std::vector<MenuItem> systemMenuAppended;
    // The control that is to have the keyboard focus.
    Control* ActiveControl = nullptr;
    // The user action under way, for its backup (backups/backups.h).
    backups::ActionState backupAction;

    Control GroupBox1{u" 启用的输入法 "};
    ListView ListView1;
    Control Button_Up{u"上移"};
    Control Button_Down{u"下移"};
    Control Button_Hotkey{u"热键"};
    Control Button_Disable{u"禁用"};
    Control GroupBox2{u" 禁用的输入法 "};
    ListView ListView2;
    Control Button_Enable{u"启用"};
    Control Button_DEL{u"删除"};
    Control SpeedButton1;
    Control GroupBox3{u" 通用切换热键 "};
    Control Label1{u"切换键盘布局："};
    ComboBox ComboBox1;
    Control Label2{u"切换输入语言："};
    ComboBox ComboBox2;
    Control Label3{u"关闭大写键："};
    ComboBox ComboBox3;
    Control Label_SW1{u"打开/关闭输入法："};
    Control Button_SW1;
    Control Label_SW2{u"全角/半角切换："};
    Control Button_SW2;
    Control Label_SW3{u"中英文标点切换："};
    Control Button_SW3;
    Control GroupBox4{u" 其它设置 "};
    CheckBox CheckBox1;
    CheckBox CheckBox2;
    CheckBox CheckBox3;
    Control Label4{u"已安装的输入法语言："};
    ComboBox ComboBox_Lang;
    Control Button_Other{u"其它功能"};
    Control Button_Refresh{u"刷新"};
    ustring StatusBar1;
    Menu PopupMenu1;
    Menu PopupMenu2;
    Menu PopupMenu3;
    Menu SystemMenu;
    platform::OpenDialog OpenDialog1{u"导出输入法列表", u"txt", u"文本文件|*.txt|所有文件|*.*", {}};

    // The view's hook: called whenever the model wants the screen to catch up.
    std::function<void()> Changed;
    // Lets the screen catch up with the model before anything that shows or pumps messages
    // (a message box, a dialog, a wait), so that what the user sees meanwhile is current.
    void notifyChanged();

    // ---- application shell ----
    // Starts the language query FormCreate will read, so that PowerShell runs while the window
    // is being built; nothing on a Windows the program does not run on.
    void StartLanguageQuery();
    void FormCreate();
    void FormShow();
    void FormClose();
    // True when the command was one of the items appended to the system menu, whose handler ran.
    bool WMSysCommand(std::uint32_t command);
    void AboutClick();
    void Delay(std::int32_t msecs);
    // Commit, then wait with the window disabled, then refresh. `takenEffect` says what
    // Windows already did before the commit (see commitAfter).
    void SettleWait(std::int32_t msecs, const ustring& status, const ustring& takenEffect);
    // Commits after steps that Windows has carried out and no rollback undoes (TSF calls,
    // keyboard-layout calls, a started command): a failed commit's message goes on with
    // `takenEffect`, which says what took effect all the same.
    void commitAfter(const ustring& takenEffect);
    void ProcessMessages();
    // Shows an error the way the application's standard handler does.
    void ShowError(const ustring& message);
    // Windows PowerShell by its full path in the system folder, never by a bare name that the
    // current folder or PATH could hijack in an elevated process.
    ustring PowerShellPath();
    // QuillonError asking for 刷新 while the lists are incomplete; every operation that
    // commits calls it before it changes anything.
    void requireCompleteLists() const;

    // ---- catalogue ----
    ustring languageQueryCommand();
    StringList QueryLanguage();
    StringList RunDosTolist(const ustring& DosApp);
    void buildlanglist();
    // Puts `lang` into the language combo: its names, once PowerShell has given them, and the
    // shown language selected; until then one disabled item says they are being read.
    void showLanguages();
    // Takes the early query's answer if it has come, without waiting; the window calls it until
    // the names are read.
    void pollLanguageNames();
    // What walks the languages waits for their names first, with the busy cursor.
    void waitForLanguageNames();
    // The row of the enabled list that Windows' default input method names; -1 when none.
    std::int32_t getdefime();

    // ---- command line and help ----
    void ReadParam(const StringList& paramlist);
    // Runs a step of a command-line run. An error is shown in the standard error box and ends
    // the run with exit status 1, the window staying hidden; false when that happened.
    bool RunGuarded(const std::function<void()>& step);
    // The file a command names, made absolute; nullopt when its folder does not exist.
    std::optional<ustring> commandFileName(const ustring& value);
    void ShowHelp();
    // The two commands the start carries out itself, before or instead of the command pass:
    // "/r" ("/refresh", as `word` gives it) has Windows re-apply the language list, which
    // rewrites the list's keys; "/remove_eng" unloads the US keyboard. Each is a change with
    // its backup.
    void reapplyLanguageList(const ustring& word);
    void removeEnglishLayout();

    // ---- lists (enabling rules) ----
    void ListView1Change();
    void ListView2Change();
    void PopupMenu1Popup();
    // Enables the menu's items by their rules, before it shows (app/menus.cpp).
    void MenuPopup(Menu& menu);
    // Runs the handler of a menu's item, as choosing it does; nothing for a separator.
    void MenuClick(const MenuItem& item);
    RowStyle ListView1AdvancedCustomDrawItem(int row) const;
    RowStyle ListView2AdvancedCustomDrawItem(int row) const;

    // ---- catalogue handlers ----
    void Button_RefreshClick();
    // The shown language's part of the refresh: its lists, hotkeys and settings, read into the
    // window's fields, without the list of languages; true when its profiles were enumerated.
    bool readLanguage();
    void ComboBox_LangClick();

    // ---- operations (order and commit, enable and disable, default, removal) ----
    void Button_FixClick();
    void ListViewItemMoveUpDown(ListView& lv, int item, bool moveUp, bool setFocus);
    void Button_UpClick();
    void Button_DownClick();
    void move_num(int n1, int n2);
    // One place up or down, with the default's index following its row; no commit.
    void moveSelectedRow(bool moveUp);
    void Button_EnableClick();
    void Button_DisableClick();
    void ListView2DblClick();
    void DefaultClick();
    void N4Click();
    void Button_DELClick();
    void N7Click();
    void disable_all_Click();
    // The profile manager of the last refresh; QuillonError when there is none.
    platform::TfProfiles& profileManager();
    void writeLayoutSubstitutes();
    void deactivateTextService(const InputMethodEntry& row);

    // ---- hotkeys ----
    void BuildKeyTable();
    bool codetokey(const ustring& Modifiers, const ustring& VirtualKey, ustring& key);
    bool keytocode(const ustring& key, ustring& Modifiers, ustring& VirtualKey);
    void gethotkey();
    void puthotkey();
    void getswitchkey();
    void ComboBox1Change();
    void ComboBox2Change();
    void getSWkey();
    // `which` is 1, 2 or 3: the toggle button clicked.
    void Button_SW1Click(int which);
    ustring paramtohotkey(const ustring& str1, const ustring& str2);
    void Button_HotkeyClick();
    void ListView1DblClick();

    // ---- other settings ----
    void readother();
    void CheckBox1Click();
    void CheckBox3Click();
    void ComboBox3Change();

    // ---- files ----
    // The list-export format, without a dialog; QuillonError when the file cannot be written.
    void writeListFile(const ListView& list, const ustring& filename);
    void N8Click();  // export the enabled list
    void N11Click(); // export the disabled list
    // Saves every language's setup, merged into the file when it exists.
    void savecfg(const ustring& filename);
    // Applies the file to every installed language it has sections for; a missing file does
    // nothing. The whole file is checked before the first change.
    void loadcfg(const ustring& filename);
    void N14Click();     // "导出配置": a fresh file, after asking before replacing one
    void loadcfgClick(); // "导入配置"
    // "检查配置差异…": the differences of a chosen file in their window, applied on request.
    void CheckCfgClick();
    // "撤销上次更改" (backups/backups.cpp).
    void UndoClick();

    // ---- help ----
    void SpeedButton1Click();

    // ---- assistive technology and high contrast (app/accessibility.cpp) ----
    // Set by the view from the system's setting: rows then take the system's colours only.
    bool HighContrast = false;
    // The name assistive technology gives a control where its caption or the label before it
    // would not say what it is; empty where they do.
    ustring accessibleName(const Control& control) const;
    // What the control does beyond its name: its hint, which names its shortcut.
    ustring accessibleDescription(const Control& control) const;
    // A row's kind and whether it is the default, in words, for what colour and weight show.
    ustring rowDescription(const ListView& list, int row) const;
    // The text a row shows: its name, and in high contrast a marker on the default.
    ustring rowCaption(const ListView& list, int row) const;

    // ---- the keyboard (app/keyboard.cpp) ----
    // The command a key stands for with the focus on `focused` (null: on no control); None when
    // the key belongs to the control itself, or when what it stands for cannot be done now
    // (the button it stands for is disabled, no row is selected).
    KeyCommand shortcut(const KeyStroke& stroke, const Control* focused) const;
    // Carries out a command of the table, as the click it stands for would; OpenOtherMenu is
    // the view's to show.
    void runShortcut(KeyCommand command, Control* focused);
    // Runs the handler a click on the button runs; false for a control that is no push button.
    bool Click(Control& button);
    // The window's controls that take the focus, in tab (reading) order (kFormControls).
    std::vector<Control*> tabOrder();
    // Where the keyboard focus belongs once `focused` had it: there while it can take it; for
    // a button that disabled itself, the next enabled button of its list, else that list;
    // for any other control, the next enabled control in tab order. The enabled list when no
    // control had it.
    Control* focusAfter(Control* focused);
    // A combo box's choice: shown while choosing, applied once confirmed (the list closed on a
    // new item, Enter, the focus leaving), dropped when cancelled (Escape on the open list).
    void comboChoosing(ComboBox& box, int index);
    void comboConfirm(ComboBox& box);
    void comboCancel(ComboBox& box);

    platform::Platform& os() { return os_; }

private:
    // The refresh's steps; true when the profiles of the language were enumerated.
    bool refreshLists();
    // Selects each list's first row when none is, then runs the enabling rules.
    void applyListRules();
    // Reads the early query's answer (waiting for it if it has not come) into the combo.
    void takeLanguageNames();

    // The layouts of the last enumeration that text services stand in for.
    StringList substitutedLayouts_;
    platform::Platform os_;
};

// Hints shown as tooltips; "\r" breaks the line.
namespace hints {
extern const char16_t* const kListView1;
extern const char16_t* const kListView2;
extern const char16_t* const kComboBox1;
extern const char16_t* const kButtonHotkey;
extern const char16_t* const kButtonSW;
extern const char16_t* const kEnableDisable;
extern const char16_t* const kEnable;
extern const char16_t* const kDisable;
extern const char16_t* const kButtonUp;
extern const char16_t* const kButtonDown;
extern const char16_t* const kButtonDel;
extern const char16_t* const kHelpButton;
extern const char16_t* const kButtonOther;
extern const char16_t* const kButtonRefresh;
} // namespace hints

} // namespace quillon
