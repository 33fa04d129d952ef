// Enabling and disabling one input method: tell Windows by the row's kind, move the row,
// commit, let Windows settle, refresh.
#include "app/tform1.h"
#include "backups/backups.h"
#include "core/error.h"
#include "operations/registry_snapshot.h"
#include "operations/row_values.h"
#include "platform/windows_keys.h"

namespace quillon {

namespace {

const char16_t* const kSixSeconds = u"处理键盘布局中，请等待六秒钟...";

} // namespace

platform::TfProfiles& TForm1::profileManager() {
    if (!ipm) {
        throw QuillonError(u"无法访问文本服务框架（TSF），请点击“刷新”后重试。");
    }
    return *ipm;
}

void TForm1::writeLayoutSubstitutes() {
    platform::TRegistry reg(os().registry);
    if (!reg.OpenKey(keys::fromRoot(keys::kSubstitutes), false)) {
        return;
    }
    // Both substitutes or neither: one alone swaps a layout the user did not ask for.
    RegistryCheckpoint checkpoint(os().registry, platform::Hive::CurrentUser);
    checkpoint.keep(reg.CurrentPath());
    try {
        reg.WriteString(u"00000804", u"00000409");
        reg.WriteString(u"d0010804", u"00000804");
    } catch (const QuillonError& e) {
        throw QuillonError(rolledBackMessage(e.message(), checkpoint.restore()));
    }
}

void TForm1::deactivateTextService(const InputMethodEntry& row) {
    const std::uint16_t langid = langidValue(row);
    const Guid clsid = guidField(row, kFieldClsid);
    const Guid profile = guidField(row, kFieldProfile);
    platform::TfProfiles& manager = profileManager();
    for (const std::uint32_t flags : {platform::kTfIppmfForProcess, platform::kTfIppmfForSession,
                                      platform::kTfIppmfDisableProfile}) {
        manager.DeactivateProfile(platform::kTfProfileTypeInputProcessor, langid, clsid, profile, 0,
                                  flags);
    }
}

void TForm1::Button_EnableClick() {
    requireCompleteLists();
    const int selected = ListView2.selected;
    if (selected < 0 || selected >= ListView2.count()) {
        return;
    }
    InputMethodEntry row = ListView2.rows[static_cast<std::size_t>(selected)];
    backups::beforeChange(*this, u"启用“" + row.name + u"”");
    const std::uint32_t v = hklValue(row);
    if (v == 0) {
        const std::uint16_t langid = langidValue(row);
        const Guid clsid = guidField(row, kFieldClsid);
        const Guid profile = guidField(row, kFieldProfile);
        profileManager().ActivateProfile(platform::kTfProfileTypeInputProcessor, langid, clsid,
                                         profile, 0, platform::kTfIppmfEnableProfile);
    } else if (row.fields[kFieldHkl].front() == u'0') {
        writeLayoutSubstitutes();
    } else {
        os().layouts.LoadKeyboardLayout(row.fields[kFieldHkl], platform::kKlfReplaceLang);
    }
    row.fields[kFieldHotkey].clear();
    ListView1.rows.push_back(row);
    ListView2.remove(selected);
    ListView1Change();
    ListView2Change();
    SettleWait(6000, kSixSeconds, u"“" + row.name + u"”已在系统中启用");
}

void TForm1::ListView2DblClick() {
    Button_EnableClick();
}

void TForm1::Button_DisableClick() {
    requireCompleteLists();
    const int s = ListView1.selected;
    if (s < 0 || s >= ListView1.count()) {
        return;
    }
    const std::uint32_t v = hklValue(ListView1.rows[static_cast<std::size_t>(s)]);
    if (v == 0) {
        // Every conversion is checked before Windows is told anything.
        const InputMethodEntry& row = ListView1.rows[static_cast<std::size_t>(s)];
        langidValue(row);
        guidField(row, kFieldClsid);
        guidField(row, kFieldProfile);
        profileManager();
    }
    backups::beforeChange(*this,
                          u"禁用“" + ListView1.rows[static_cast<std::size_t>(s)].name + u"”");
    const bool wasDefault = s == defime;
    if (wasDefault) {
        N4Click();
    }
    InputMethodEntry row = ListView1.rows[static_cast<std::size_t>(s)];
    if (v == 0) {
        deactivateTextService(row);
    } else {
        os().layouts.UnloadKeyboardLayout(layoutHandle(v));
    }
    row.fields[kFieldHotkey].clear();
    ListView2.rows.push_back(row);
    ListView1.remove(s);
    ListView1Change();
    ListView2Change();
    SettleWait(6000, kSixSeconds,
               (wasDefault ? u"默认输入法已改为使用语言列表，“" : u"“") + row.name +
                   u"”已在系统中禁用");
}

} // namespace quillon
