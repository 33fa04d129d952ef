#!/usr/bin/env bash
# Changes reaching Windows through the real window: enable a text service and an IMM input
# method, disable one, delete an IMM layout registration, move a row, set and clear the
# default input method.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup operations "$E2E_DIR/../fixtures/sample.reg"

PINYIN='{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}'
WUBI_CLSID='{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}'
WUBI_PROFILE='{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}'
PROFILE_KEY='HKEY_CURRENT_USER\Control Panel\International\User Profile'
REAPPLY='-command "& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}"'

start_app
q wait-visible --then status --wait-for 就绪 >/dev/null

# Enable the wubi text service with "启用".
q lv-select --id $kListView2 --row "$(row_of $kListView2 示例五笔输入法)" --then click --id $kButtonEnable >/dev/null
check "waiting six seconds" contains "$(q status)" "处理键盘布局中，请等待六秒钟..."
check "window disabled while waiting" contains "$(q window)" "enabled=0"
q status --wait-for 就绪 >/dev/null
check "ActivateProfile for wubi" contains -f "$E2E_LOGS/msctf.log" \
    "ActivateProfile(1, 0804, $WUBI_CLSID, $WUBI_PROFILE, 0x0, 0x1)"
check "re-apply started" eventually contains -f "$E2E_LOGS/powershell.log" "$REAPPLY"
reg="$(export_key "$PROFILE_KEY" after-enable)"
check "wubi committed third" contains -f "$reg" "\"0804:$WUBI_CLSID$WUBI_PROFILE\"=dword:00000003"
check "wubi now enabled" test -n "$(row_of $kListView1 示例五笔输入法)"

# Enable the IMM input method with a double-click.
q lv-dblclick --id $kListView2 --row "$(row_of $kListView2 示例全拼输入法)" >/dev/null
q status --wait-for 就绪 >/dev/null
reg="$(export_key "$PROFILE_KEY" after-imm)"
check "IMM committed" contains -f "$reg" '"0804:E0200804"=dword:00000004'
check "IMM now enabled" test -n "$(row_of $kListView1 示例全拼输入法)"

# Disable it again with "禁用".
q lv-select --id $kListView1 --row "$(row_of $kListView1 示例全拼输入法)" --then click --id $kButtonDisable >/dev/null
q status --wait-for 就绪 >/dev/null
reg="$(export_key "$PROFILE_KEY" after-disable)"
check "IMM no longer committed" lacks -f "$reg" '"0804:E0200804"'
check "cached name kept" contains -f "$reg" '"CachedLanguageName"="@Winlangdb.dll,-1121"'
check "IMM back in the disabled list" test -n "$(row_of $kListView2 示例全拼输入法)"

# Delete its layout registration, after answering the question.
q lv-select --id $kListView2 --row "$(row_of $kListView2 示例全拼输入法)" --then click --id $kButtonDel >/dev/null
box="$(qd msgbox)"
check "delete question" contains "$box" 'text "是否要从注册表中彻底删除此项目？'
check "delete question says undo cannot bring it back" contains "$box" '此操作无法用“撤销”恢复。'
check "delete caption" contains "$box" 'caption "确认"'
qd msgbox-press --id $IDYES >/dev/null
q wait-no-dialog --then status --wait-for 就绪 >/dev/null
layouts="$(export_key 'HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts' layouts)"
check "IMM registration deleted" lacks -f "$layouts" 'E0200804'
check "US layout registration kept" contains -f "$layouts" '00000409'
check "IMM gone from the lists" test -z "$(row_of $kListView2 示例全拼输入法)"

# Move the pinyin row down one place.
q lv-select --id $kListView1 --row "$(row_of $kListView1 示例拼音输入法)" --then click --id $kButtonDown >/dev/null
reg="$(export_key "$PROFILE_KEY" after-move)"
check "pinyin moved to second place" contains -f "$reg" "\"0804:$PINYIN\"=dword:00000002"
check "window shows the move" test "$(row_of $kListView1 示例拼音输入法)" = 1

# Set the default input method from the context menu, then clear it.
q context-menu --id $kListView1 --row "$(row_of $kListView1 示例五笔输入法)" >/dev/null
q menu-pick --text 设置为默认输入法 >/dev/null
check "default cmdlet started" eventually contains -f "$E2E_LOGS/powershell.log" \
    "-command \"& {Set-WinDefaultInputMethodOverride '0804:$WUBI_CLSID$WUBI_PROFILE'}"
check "wubi first" test "$(row_of $kListView1 示例五笔输入法)" = 0
check "override set" eventually key_holds "$PROFILE_KEY" default-set \
    "\"InputMethodOverride\"=\"0804:$WUBI_CLSID$WUBI_PROFILE\""
menu="$(q context-menu --id $kListView1 --row 0)"
check "set default greyed on the default row" contains "$menu" 'enabled=0 checked=0 "设置为默认输入法"'
q menu-pick --text 使用语言列表 >/dev/null
check "override cleared" eventually key_lacks "$PROFILE_KEY" default-cleared InputMethodOverride
screenshot after-operations

q syscommand --id $SC_CLOSE >/dev/null
check "exit code 0" test "$(app_exit_code)" = 0
e2e_finish
