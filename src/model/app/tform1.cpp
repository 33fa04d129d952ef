#include "app/tform1.h"
#include "app/menus.h"

#include "cli/command_line.h"
#include "core/error.h"
#include "core/version.h"
#include "hotkeys/switch_key_rules.h"

namespace quillon {

const char16_t* const kWebAddress = u"" QUILLON_ADDRESS;

namespace hints {
const char16_t* const kListView1 = u"粗体表示已设置为默认输入法，可从右键菜单里设置。\r"
                                   u"蓝色表示美式键盘布局。\r"
                                   u"双击可打开选中输入法的热键设置。";
const char16_t* const kListView2 = u"双击可启用选中的输入法或键盘布局。";
const char16_t* const kComboBox1 = u"切换键盘布局是指切换同语言下的各种输入法，可以禁用。\r"
                                   u"使用徽标键+空格组合键有同样的功能；\r"
                                   u"不同之处在于后者可以跨语言切换输入法。";
const char16_t* const kButtonHotkey = u"TSF架构的输入法与旧的IMM架构输入法热键可用范围不同。\r"
                                      u"快捷键：在启用的输入法列表中按 Enter。";
const char16_t* const kButtonSW =
    u"热键修改后只对新开窗口有效；可以设置单独的左/右控制键组合，但重启后会恢复为左右双键控制，\r"
    u"需要运行本程序点击一下刷新按钮。也可以从命令行运行 quillon /r 直接刷新。";
const char16_t* const kEnableDisable =
    u"注意：在对蓝色的美式键盘布局进行操作后需要稍等三四秒方可刷新完毕。";
// The buttons' shortcuts, each on the last line of its button's hint.
const char16_t* const kEnable =
    u"注意：在对蓝色的美式键盘布局进行操作后需要稍等三四秒方可刷新完毕。\r"
    u"快捷键：在禁用的输入法列表中按 Enter。";
const char16_t* const kDisable =
    u"注意：在对蓝色的美式键盘布局进行操作后需要稍等三四秒方可刷新完毕。\r"
    u"快捷键：在启用的输入法列表中按 Delete。";
const char16_t* const kButtonUp = u"快捷键：Alt+上方向键。";
const char16_t* const kButtonDown = u"快捷键：Alt+下方向键。";
const char16_t* const kButtonDel = u"快捷键：在禁用的输入法列表中按 Delete。";
const char16_t* const kHelpButton = u"帮助。快捷键：F1。";
const char16_t* const kButtonOther = u"快捷键：空格、Enter、Alt+下方向键或 F4 打开菜单。";
const char16_t* const kButtonRefresh = u"快捷键：F5。";
} // namespace hints

namespace {

const char16_t* const kAppCaption = u"Quillon 输入法设置工具";
// Nothing runs on Windows before 10.
constexpr std::uint32_t kOldestWindows = 10;

} // namespace

TForm1::TForm1(platform::Platform os) : os_(os) {
    ComboBox1.items = kSwitchKeyNames;
    ComboBox2.items = kSwitchKeyNames;
    ComboBox3.items = kCapsLockKeyNames;
    CheckBox1.caption = u"每个窗口使用不同的输入法";
    CheckBox2.caption = u"使用桌面语言栏";
    CheckBox3.caption = u"表情符号面板不自动关闭";
    PopupMenu1 = enabledListMenu();
    PopupMenu2 = otherMenu();
    PopupMenu3 = disabledListMenu();
    SystemMenu = systemMenu();
}

TForm1::~TForm1() = default;

void TForm1::notifyChanged() {
    if (Changed) {
        Changed();
    }
}

void TForm1::ProcessMessages() {
    notifyChanged();
    os_.messages.ProcessMessages();
}

void TForm1::ShowError(const ustring& message) {
    notifyChanged();
    os_.dialogs.MessageBox(message, kAppCaption, platform::kMbIconError);
}

namespace {

// Words without any "/" start the window as no words do. A command-line run never shows the
// window, and no command uses the languages' names.
bool showsTheWindow(const ustring& commandLine) {
    return paramCount(commandLine) == 0 || commandPieces(commandLine).size() == 1;
}

} // namespace

void TForm1::StartLanguageQuery() {
    if (os_.system.VersionMajor() >= kOldestWindows && showsTheWindow(os_.system.CommandLine())) {
        os_.processes.StartEarly(languageQueryCommand());
        languageNames = LanguageNames::Running;
    }
}

void TForm1::FormCreate() {
    // 1.
    if (os_.system.VersionMajor() < kOldestWindows) {
        Visible = false;
        ShowMainForm = false;
        os_.dialogs.MessageBox(u"只支持 Windows10、Windows Server 2019 及更高版本操作系统。",
                               kAppCaption, platform::kMbIconInformation);
        os_.processEnd.ExitProcess(0);
        return;
    }
    // 2.-3.
    Caption += u" " QUILLON_VERSION_TEXT;
    systemMenuAppended = SystemMenu.items;
    // 4.
    ListView1.hint = hints::kListView1;
    ListView2.hint = hints::kListView2;
    ComboBox1.hint = hints::kComboBox1;
    Label1.hint = hints::kComboBox1;
    Button_Hotkey.hint = hints::kButtonHotkey;
    Button_SW1.hint = hints::kButtonSW;
    Button_SW2.hint = hints::kButtonSW;
    Button_SW3.hint = hints::kButtonSW;
    Button_Enable.hint = hints::kEnable;
    Button_Disable.hint = hints::kDisable;
    Button_Up.hint = hints::kButtonUp;
    Button_Down.hint = hints::kButtonDown;
    Button_DEL.hint = hints::kButtonDel;
    SpeedButton1.hint = hints::kHelpButton;
    Button_Other.hint = hints::kButtonOther;
    Button_Refresh.hint = hints::kButtonRefresh;
    // 5.-8.
    defime = -1;
    BuildKeyTable();
    lang = Tlang{};
    // A locale id can carry a sort id above the language (0x00020804): only the language id
    // names registry keys and profiles.
    mylangid = static_cast<std::int32_t>(os_.system.SystemDefaultLcid() & 0xFFFF);
    const ustring commandLine = os_.system.CommandLine();
    // 9. The window shows without the names and takes them when they come; a command-line
    // run, which needs none, starts no PowerShell for them and waits for none.
    if (!showsTheWindow(commandLine)) {
        languageNames = LanguageNames::NotNeeded;
    } else if (languageNames != LanguageNames::Running) {
        languageNames = LanguageNames::Read;
        pwlanglist = QueryLanguage();
    }

    if (paramCount(commandLine) == 0) {
        // 10.
        Button_RefreshClick();
        Button_Disable.enabled = ListView1.count() > 1;
        Button_Enable.enabled = ListView2.count() > 0;
    } else {
        // 11.
        const StringList pieces = commandPieces(commandLine);
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            const ustring word = lowerAscii(pieces[i]);
            if (word == u"r" || word == u"refresh") {
                ShowMainForm = false;
                Visible = false;
                reapplyLanguageList(word);
                os_.processEnd.Terminate();
                return;
            }
        }
        if (pieces.size() == 1) {
            // Words without any "/": an interactive start after all.
            Button_RefreshClick();
            Button_Disable.enabled = ListView1.count() > 1;
            Button_Enable.enabled = ListView2.count() > 0;
        } else {
            // A refresh that fails ends the run like a failing command: the window never shows.
            const bool refreshed = RunGuarded([this] {
                Button_RefreshClick();
                Button_Disable.enabled = ListView1.count() > 1;
                Button_Enable.enabled = ListView2.count() > 0;
            });
            if (refreshed) {
                ReadParam(pieces);
            } else {
                os_.processEnd.Terminate();
            }
        }
    }
    // 12.
    StatusBar1 = u"就绪";
    notifyChanged();
}

void TForm1::FormShow() {
    const StringList pieces = commandPieces(os_.system.CommandLine());
    if (pieces.size() != 2) {
        return;
    }
    // Command words are read in any letter case, as the help promises.
    ustring argument = lowerAscii(pieces[1]);
    while (!argument.empty() && (argument.back() == u' ' || argument.back() == u'\t')) {
        argument.pop_back();
    }
    const bool help = argument == u"h" || argument == u"help" || argument == u"?";
    if (!help && argument != u"remove_eng") {
        // Any other piece was the command pass's to carry out, or no command at all.
        return;
    }
    // The program ends after the command; the window need not flash up first.
    ShowMainForm = false;
    if (help) {
        ShowHelp();
    } else {
        RunGuarded([this] { removeEnglishLayout(); });
    }
    os_.processEnd.Terminate();
}

void TForm1::FormClose() {
    ipm = nullptr;
    Iprofiles = nullptr;
    profiles.reset();
}

bool TForm1::WMSysCommand(std::uint32_t command) {
    if (command < kSystemMenuBase || command - kSystemMenuBase >= SystemMenu.items.size()) {
        return false;
    }
    const MenuItem& item = SystemMenu.items[command - kSystemMenuBase];
    if (!item.command) {
        return false;
    }
    MenuClick(item);
    return true;
}

void TForm1::AboutClick() {
    os_.dialogs.MessageBox(u"支持系统：Windows10/11/Windows Server 2019/2021\r"
                           u"\r"
                           u"作者：Quillon 开发组　版本：" QUILLON_VERSION_TEXT u" (x64)\r"
                           u"网站：" +
                               ustring(kWebAddress),
                           kAppCaption, platform::kMbIconInformation);
}

void TForm1::Delay(std::int32_t msecs) {
    if (msecs <= 0) {
        return;
    }
    const auto event = os_.messages.CreateEvent();
    const std::uint32_t deadline = os_.system.TickCount() + static_cast<std::uint32_t>(msecs);
    std::int32_t remaining = msecs;
    while (remaining > 0) {
        const std::uint32_t result = os_.messages.MsgWaitForMultipleObjects(
            *event, static_cast<std::uint32_t>(remaining), platform::kQsAllInput);
        if (result == platform::kWaitTimeout) {
            break;
        }
        ProcessMessages();
        remaining = static_cast<std::int32_t>(deadline - os_.system.TickCount());
    }
}

void TForm1::commitAfter(const ustring& takenEffect) {
    try {
        Button_FixClick();
    } catch (const QuillonError& e) {
        throw QuillonError(e.message() + u"\r" + takenEffect +
                           u"，但输入法列表的更改未能保存，请点击“刷新”查看系统当前的设置。");
    }
}

void TForm1::SettleWait(std::int32_t msecs, const ustring& status, const ustring& takenEffect) {
    commitAfter(takenEffect);
    Enabled = false;
    ScreenCursor = Cursor::HourGlass;
    StatusBar1 = status;
    notifyChanged();
    Delay(msecs);
    Enabled = true;
    ScreenCursor = Cursor::Default;
    notifyChanged();
    Button_RefreshClick();
    StatusBar1 = u"就绪";
    notifyChanged();
}

void TForm1::requireCompleteLists() const {
    if (listsIncomplete) {
        throw QuillonError(u"输入法列表未能完整读取，为免删除列表中缺少的输入法，未做任何更改。\r"
                           u"请点击“刷新”重新读取后再试。");
    }
}

ustring TForm1::PowerShellPath() {
    return os_.processes.SystemDirectory() + u"\\WindowsPowerShell\\v1.0\\powershell.exe";
}

} // namespace quillon
