// Removing input methods for good, the stubborn US keyboard, and disabling all.
#include "app/tform1.h"
#include "backups/backups.h"
#include "operations/row_values.h"
#include "platform/windows_keys.h"

namespace quillon {

namespace {

const char16_t* const kConfirm = u"确认";
// A removal reaches past what a backup keeps (the text service's registration, the machine's
// layouts): the question says so before it is answered.
const char16_t* const kNoUndo = u"\r此操作无法用“撤销”恢复。";

bool isLayout(const InputMethodEntry& row) {
    std::uint32_t v = 0;
    return parseHex32(row.fields[kFieldHkl], v) && v != 0 && row.fields[kFieldHkl].front() == u'0';
}

} // namespace

void TForm1::Button_DELClick() {
    const int i = ListView2.selected;
    if (i < 0 || i >= ListView2.count()) {
        return;
    }
    requireCompleteLists();
    if (os().dialogs.MessageBox(u"是否要从注册表中彻底删除此项目？" + ustring(kNoUndo), kConfirm,
                                platform::kMbYesNo | platform::kMbIconQuestion |
                                    platform::kMbDefButton2,
                                platform::BoxOwner::MainWindow) != platform::kIdYes) {
        return;
    }
    const InputMethodEntry row = ListView2.rows[static_cast<std::size_t>(i)];
    backups::beforeChange(*this, u"删除“" + row.name + u"”");
    // Whether Windows removed it: only to say so when the commit fails afterwards.
    bool removed = false;
    if (row.kind() == EntryKind::TextService) {
        const Guid clsid = guidField(row, kFieldClsid);
        if (!Iprofiles) {
            profileManager(); // reports that TSF is not available
        }
        ListView2.remove(i);
        ListView2Change();
        removed = Iprofiles->Unregister(clsid) >= 0;
    } else {
        os().layouts.UnloadKeyboardLayout(layoutHandle(hklValue(row)));
        platform::TRegistry machine(os().registry, platform::Hive::LocalMachine);
        const ustring key = keys::fromRoot(keys::kKeyboardLayouts, row.fields[kFieldHkl]);
        // Without administrator rights the deletion fails as Unregister does, without a
        // message: the refresh below lists the input method again.
        if (!row.fields[kFieldHkl].empty() && machine.KeyExists(key)) {
            removed = machine.DeleteKey(key);
        }
    }
    if (removed) {
        commitAfter(u"“" + row.name + u"”已从系统中删除");
    } else {
        Button_FixClick();
    }
    Button_RefreshClick();
}

void TForm1::N7Click() {
    if (os().dialogs.MessageBox(
            u"本功能用于删除从各种设置中都看不到，却顽固存在于任务栏输入法列表中的英"
            u"语美式键盘。是否删除？" +
                ustring(kNoUndo),
            kConfirm, platform::kMbYesNo | platform::kMbIconQuestion,
            platform::BoxOwner::MainWindow) != platform::kIdYes) {
        return;
    }
    backups::beforeChange(*this, u"删除顽固的英语美式键盘");
    os().layouts.UnloadKeyboardLayout(0x409);
    Button_RefreshClick();
}

void TForm1::disable_all_Click() {
    requireCompleteLists();
    // Every row is checked before anything changes.
    for (const InputMethodEntry& row : ListView1.rows) {
        if (hklValue(row) == 0) {
            langidValue(row);
            guidField(row, kFieldClsid);
            guidField(row, kFieldProfile);
            profileManager();
        }
    }
    if (ListView1.rows.empty()) {
        return;
    }
    backups::beforeChange(*this, u"全部禁用");
    bool haveLayout = false;
    for (const InputMethodEntry& row : ListView1.rows) {
        haveLayout = haveLayout || isLayout(row);
    }
    ustring takenEffect = u"默认输入法已改为使用语言列表，启用的输入法已在系统中禁用";
    if (!haveLayout) {
        for (std::size_t i = 0; i < ListView2.rows.size(); ++i) {
            if (isLayout(ListView2.rows[i])) {
                writeLayoutSubstitutes();
                takenEffect = u"“" + ListView2.rows[i].name +
                              u"”已在系统中启用，默认输入法已改为使用语言列表，其它输入法已在系"
                              u"统中禁用";
                InputMethodEntry row = ListView2.rows[i];
                row.fields[kFieldHotkey].clear();
                ListView1.rows.push_back(row);
                ListView2.remove(static_cast<int>(i));
                ListView2.selected = -1;
                break;
            }
        }
    }
    if (ListView1.rows.empty()) {
        return;
    }
    os().processes.ShellExecute(u"open", PowerShellPath(),
                                u"-command \"& {Set-WinDefaultInputMethodOverride}\"",
                                platform::kSwHide);
    defime = -1;
    for (std::size_t k = ListView1.rows.size(); k-- > 0;) {
        InputMethodEntry row = ListView1.rows[k];
        const std::uint32_t v = hklValue(row);
        if (v == 0) {
            deactivateTextService(row);
        } else if (row.fields[kFieldHkl].front() == u'0') {
            continue;
        } else {
            os().layouts.UnloadKeyboardLayout(layoutHandle(v));
        }
        row.fields[kFieldHotkey].clear();
        ListView2.rows.push_back(row);
        ListView1.remove(static_cast<int>(k));
    }
    ListView1.selected = -1;
    ListView1Change();
    ListView2Change();
    SettleWait(4000, u"处理键盘布局中，请等待四秒钟...", takenEffect);
}

} // namespace quillon
