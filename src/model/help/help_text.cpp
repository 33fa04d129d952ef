// The help text. Its command section follows the command table; its word lists are made from
// the tables the command line converts hotkey words with.
#include "help/tform_help.h"

#include "core/version.h"
#include "hotkeys/hotkey_words.h"

#include <string>

namespace quillon {

namespace {

const char* const kIntroduction[] = {
    "Quillon 帮助",
    "",
    "Quillon 是一个适用于 Windows 10、Windows 11 和 Windows Server 2019 "
    "及更高版本的输入法设置工具，",
    "支持 TSF 输入法框架，并部分支持旧的 IMM 输入法框架。它可以调整输入法的切换顺序，启用、禁用",
    "和删除输入法，设置默认输入法，为每个输入法设置直接切换热键，设置通用切换热键和其它输入选项，",
    "并能把所有语言的设置导出到一个配置文件里，以后再导入。",
    "",
    "版本历史：",
    "0.9.3.0：命令行出错时以退出代码 1 退出；帮助中的热键词列表与程序实际接受的词完全一致。",
    "0.9.2.0：新增导出配置和导入配置，一个文件包含所有已安装语言的设置；新增导出输入法列表。",
    "0.9.1.0：新增命令行参数；新增通用切换热键、关闭大写键、桌面语言栏和表情符号面板设置。",
    "0.9.0.0：第一个版本：启用、禁用和排序输入法，设置默认输入法和输入法热键。",
    "",
    "命令行参数：",
    "参数以 / 开头，可以连写多个，按从左到右的顺序执行；命令词不区分大小写，输入法名称区分大小写，",
    "必须与列表中“名称”一栏完全相同。序号从 1 开始，按执行到该参数时列表的样子计算。",
    "不认识的参数会被跳过。",
    "/? /h /help\t显示本帮助（只能单独使用），关闭后程序退出",
    "/r /refresh\t让 Windows 重新应用语言列表（重新加载键盘布局），然后退出",
    "/remove_eng\t删除顽固的英语美式键盘（只能单独使用）",
    "/caps\t按 Caps Lock 键关闭大写",
    "/shift\t按 Shift 键关闭大写",
    "/alone:0\t所有窗口使用同一个输入法",
    "/alone:1\t每个窗口使用不同的输入法",
    "/bar:0\t不使用桌面语言栏",
    "/bar:1\t使用桌面语言栏",
    "/emoji:0\t表情符号面板输入后自动关闭",
    "/emoji:1\t表情符号面板不自动关闭",
    "/layout:<数字>\t切换键盘布局的热键：0 禁用，1 Ctrl+Shift，2 Alt+Shift，3 `，4～9 同 1",
    "/lang:<数字>\t切换输入语言的热键：0 禁用，1 Ctrl+Shift，2 Alt+Shift，3 `，4～9 同 2",
    "/add_num:<输入法序号>\t启用“禁用的输入法”列表中该序号的输入法",
    "/add_name:<输入法名称>\t启用“禁用的输入法”列表中该名称的输入法",
    "/del_num:<输入法序号>\t禁用“启用的输入法”列表中该序号的输入法",
    "/del_name:<输入法名称>\t禁用“启用的输入法”列表中该名称的输入法",
    "/move_num:<输入法序号> <新序号>\t把启用的输入法移到新序号的位置，两个数字之间用空格隔开",
    "/move_name:<输入法名称>,<新序号>\t同上，按名称；名称和新序号之间用英文逗号隔开，"
    "名称含逗号时用双引号括起",
    "/langlist\t不使用默认输入法，改用语言列表",
    "/default_num:<输入法序号>\t把该序号的输入法设为默认输入法（序号超出范围时取第一个或最后一个）",
    "/default_name:<输入法名称>\t把该名称的输入法设为默认输入法",
    "/export_enabled_list:<文件名>\t把启用的输入法列表导出为文本文件（已有文件会被覆盖）",
    "/export_disabled_list:<文件名>\t把禁用的输入法列表导出为文本文件（已有文件会被覆盖）",
    "/savecfg:<文件名>\t把所有语言的设置导出到配置文件（合并到已有文件中）",
    "/loadcfg:<文件名>\t从配置文件导入所有语言的设置",
    "/checkcfg:<文件名>[,<报告文件名>]\t检查本机设置与配置文件是否一致，什么也不更改；"
    "给出报告文件时把每处差异写成一行（一致时写“一致”）",
    "/applycfg:<文件名>\t只导入配置文件中与本机不同的设置，已一致的不再写入，也不等待",
    "/hotkey_num:<输入法序号> "
    "<hotkey>\t设置该序号输入法的热键（序号超出范围时取第一个或最后一个）；"
    "省略 <hotkey> 则删除热键",
    "/hotkey_name:<输入法名称> <hotkey>\t设置所有该名称输入法的热键，名称含空格时用双引号括起；"
    "省略 <hotkey> 则删除热键",
    "/switchkey:<1|2|3> <hotkey>\t设置“打开/关闭输入法：”（1）、“全角/半角切换：”（2）或"
    "“中英文标点切换：”（3）的热键；省略 <hotkey> 则设为“无”",
    "/undo\t撤销上次更改，恢复最近一次更改之前的设置（每次更改前自动备份，"
    "保留最近 50 份，位于 %LOCALAPPDATA%\\Quillon\\backups）",
    "",
    "文件名可以带路径，不带路径时指当前文件夹；所在文件夹不存在时该参数什么也不做。",
    "文件名中的英文字母一律按小写处理。",
    "",
    "退出代码：所有参数都执行完后为 0（/checkcfg 发现差异时为 2）；"
    "某个参数出错时显示错误信息，它右边的参数不再执行，",
    "关闭错误信息后为 1。在批处理中可用 start \"\" /wait quillon.exe /caps 运行，再看 "
    "%errorlevel%；",
    "在 PowerShell 中可用 (Start-Process quillon.exe -ArgumentList '/caps' -Wait "
    "-PassThru).ExitCode。",
    "",
    "<hotkey> 由两部分组成，中间用一个空格隔开：左边是控制键，右边是基本键，",
    "例如 ctrl 5、shift home、ctrl+alt d。",
    "",
};

const char* const kNotes[] = {
    "几点说明：",
    "一、关于热键",
    "1. 热键修改后只对新打开的窗口有效。",
    "2. 可以设置只用左边或只用右边的控制键，但重启后 Windows 会恢复为左右两边都可以；这时运行本程序"
    "点一下“刷新”按钮，或者在命令行运行 quillon /r，即可重新加载。",
    "3. TSF 输入法与旧的 IMM 输入法可用的热键范围不同：Windows 徽标键和应用程序键只能"
    "用于 IMM 输入法和通用切换热键。",
    "4. 命令行中 / 用来分隔参数，所以 / 键要写成 ?，数字小键盘上的 / 键写成 NUM?。",
    "5. 热键冲突检查只针对当前显示的语言。",
    "6. 基本键 ~ 是虚拟键码 7E，不是数字键 1 左边的键；那个键是 `。",
    "",
    "二、关于键盘布局",
    "1. 美式键盘布局会加入列表中，以蓝色显示。",
    "2. 只支持 0409 英语（美国）键盘布局。",
    "3. 启用或禁用美式键盘后需要等待三四秒，列表才会刷新完毕。",
    "",
    "三、其它",
    "1. 所有修改立即生效，没有“确定”或“应用”按钮。",
    "2. 支持 Windows 10、Windows 11 和 Windows Server 2019 及更高版本。",
    "3. 窗口下方的语言列表用来选择要设置哪种语言的输入法。",
    "4. 粗体显示的是默认输入法，可以从右键菜单设置。",
    "5. 每种语言至少要保留一个启用的输入法。",
    "6. 要添加或删除语言，请到 Windows 设置的“时间和语言”中操作。",
    "7. 列表有时与任务栏上的输入法不一致，点“刷新”后即可看到 Windows 实际的设置。",
    "8. 没有卸载干净的输入法可能在列表中留下空行，可以禁用或删除它们。",
    "9. 本程序的最新版本可从 " QUILLON_ADDRESS " 获得。",
    "",
    "Quillon 开发组",
    "2025 年 1 月",
};

// Short notes on the words whose key is not obvious from the word.
const char* explanationOf(const ustring& word) {
    struct Note {
        const char16_t* word;
        const char* text;
    };
    static const Note notes[] = {
        {u"?", "代表 / 键"},
        {u"`", "数字键 1 左边的键"},
        {u"~", "虚拟键码 7E（不是数字键 1 左边的键）"},
        {u"PGUP", "PAGE UP"},
        {u"PGDN", "PAGE DOWN"},
        {u"INS", "Insert"},
        {u"DEL", "Delete"},
        {u"NUM0", "数字小键盘上的数字键"},
        {u"NUM*", "数字小键盘上的 *"},
        {u"NUM.", "数字小键盘上的 ."},
        {u"NUM?", "数字小键盘上的 /"},
        {u"LEFT_WINDOW", "左边的 Windows 徽标键"},
        {u"RIGHT_WINDOW", "右边的 Windows 徽标键"},
        {u"APPS", "应用程序（菜单）键"},
    };
    for (const Note& note : notes) {
        if (word == note.word) {
            return note.text;
        }
    }
    return nullptr;
}

// Splits "F12" into "F" and 12; false without a trailing number.
bool splitNumber(const ustring& word, ustring& prefix, int& number) {
    std::size_t digits = word.size();
    while (digits > 0 && word[digits - 1] >= u'0' && word[digits - 1] <= u'9') {
        --digits;
    }
    if (digits == word.size() || word.size() - digits > 4) {
        return false;
    }
    prefix = word.substr(0, digits);
    number = std::stoi(toUtf8(word.substr(digits)));
    return true;
}

bool isAlphanumeric(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z');
}

// "B" follows "A", "F10" follows "F9", "NUM1" follows "NUM0".
bool follows(const ustring& next, const ustring& word) {
    if (word.size() == 1 && next.size() == 1 && isAlphanumeric(word[0]) &&
        isAlphanumeric(next[0])) {
        return next[0] == word[0] + 1;
    }
    ustring prefixA;
    ustring prefixB;
    int a = 0;
    int b = 0;
    return !word.empty() && splitNumber(word, prefixA, a) && splitNumber(next, prefixB, b) &&
           !prefixA.empty() && prefixA == prefixB && b == a + 1;
}

void addLine(ustring& text, std::string_view line) {
    text += fromUtf8(line);
    text += u"\r\n";
}

void addWordLine(ustring& text, const ustring& words, const char* explanation) {
    text += words;
    if (explanation) {
        text += u"\t";
        text += fromUtf8(explanation);
    }
    text += u"\r\n";
}

ustring keyName(const KeyStroke& stroke) {
    static const char16_t* const names[] = {u"F1",     u"F4",       u"F5",       u"Enter", u"空格",
                                            u"Delete", u"上方向键", u"下方向键", u"Tab",   u"Esc"};
    return ustring(stroke.alt ? u"Alt+" : u"") + (stroke.ctrl ? u"Ctrl+" : u"") +
           (stroke.shift ? u"Shift+" : u"") + names[static_cast<int>(stroke.key)];
}

const char16_t* scopeText(KeyScope scope) {
    switch (scope) {
    case KeyScope::Anywhere:
        return u"";
    case KeyScope::EnabledList:
        return u"（在启用的输入法列表中）";
    case KeyScope::DisabledList:
        return u"（在禁用的输入法列表中）";
    case KeyScope::EnabledGroup:
        return u"（在启用的输入法列表或它旁边的按钮上）";
    case KeyScope::OtherButton:
        return u"（在“其它功能”按钮上）";
    case KeyScope::PushButton:
        return u"（在按钮上）";
    case KeyScope::ChoiceCombo:
        return u"（在下拉框中）";
    }
    return u"";
}

const char16_t* commandText(const Shortcut& s) {
    switch (s.command) {
    case KeyCommand::Refresh:
        return u"刷新";
    case KeyCommand::Help:
        return u"显示本帮助";
    case KeyCommand::RowAction:
        return s.scope == KeyScope::EnabledList ? u"设置选中输入法的热键（同双击）"
                                                : u"启用选中的输入法（同双击）";
    case KeyCommand::Disable:
        return u"禁用选中的输入法";
    case KeyCommand::Delete:
        return u"删除选中的输入法（先询问）";
    case KeyCommand::MoveUp:
        return u"上移选中的输入法";
    case KeyCommand::MoveDown:
        return u"下移选中的输入法";
    case KeyCommand::OpenOtherMenu:
        return u"打开“其它功能”菜单";
    case KeyCommand::Click:
        return u"按下这个按钮";
    case KeyCommand::ConfirmChoice:
        return u"确认所选的项";
    case KeyCommand::None:
        break;
    }
    return u"";
}

// The main window's key table, entries doing the same thing in the same place on one line.
void addKeyboardSection(ustring& text) {
    addLine(text, "键盘操作：");
    // A colon, not a tab: the tab stop lines up the command list, whose words are shorter.
    addLine(text, "Tab、Shift+Tab：在各个控件之间移动");
    for (int i = 0; i < kShortcutCount;) {
        const Shortcut& first = kShortcuts[i];
        ustring keys = keyName(first.stroke);
        int next = i + 1;
        for (; next < kShortcutCount && kShortcuts[next].scope == first.scope &&
               kShortcuts[next].command == first.command;
             ++next) {
            keys += u"、" + keyName(kShortcuts[next].stroke);
        }
        text += keys + scopeText(first.scope) + u"：" + commandText(first) + u"\r\n";
        i = next;
    }
    addLine(text, "Esc（在帮助窗口中）：关闭帮助窗口");
    addLine(text, "切换热键和语言的下拉框用方向键选择时不会立即生效，按 Enter、关闭下拉列表或离开"
                  "下拉框时才写入。");
    addLine(text, "");
}

} // namespace

ustring helpText(const KeyTable& keys) {
    ustring text;
    for (const char* line : kIntroduction) {
        addLine(text, line);
    }
    addLine(text, "左侧控制键列表如下（不分大小写）：");
    for (const HotkeyWord& word : modifierWords()) {
        addWordLine(text, word.word, nullptr);
    }
    addLine(text, "");
    addLine(text, "右侧字符键列表如下：");
    addLine(text, "（同样不区分大小写；三个以上连续的键写成一行，如 A … Z）");
    const std::vector<HotkeyWord> words = keyWords(keys);
    for (std::size_t i = 0; i < words.size();) {
        std::size_t last = i;
        while (last + 1 < words.size() && follows(words[last + 1].word, words[last].word)) {
            ++last;
        }
        const char* explanation = explanationOf(words[i].word);
        if (last - i >= 2) {
            addWordLine(text, words[i].word + u" … " + words[last].word, explanation);
            i = last + 1;
        } else {
            addWordLine(text, words[i].word, explanation);
            ++i;
        }
    }
    addLine(text, "");
    addKeyboardSection(text);
    for (const char* line : kNotes) {
        addLine(text, line);
    }
    return text;
}

} // namespace quillon
