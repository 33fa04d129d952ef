#!/usr/bin/env bash
# The hotkey dialog through the real window: a text service's hotkey written to the registry, a
# conflict with a toggle that keeps the dialog open, a toggle on one side only; the dialog as
# Windows draws it (Wine draws the frames in the test bed).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup hotkey_dialog "$E2E_DIR/../fixtures/sample.reg" "$E2E_DIR/../fixtures/imm-enabled.reg"
DIRECT='HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys'
IMM='HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys'

xdotool mousemove 0 0
start_app
q wait-visible --then status --wait-for 就绪 >/dev/null

# A text service: the button 热键 opens the dialog for the selected row.
TSF=示例拼音输入法
q lv-select --id $kListView1 --row 0 --then click --id $kButtonHotkey >/dev/null
tree="$(dlg $TSF tree)"
echo "$tree" >"$E2E_ARTEFACTS/text-service-dialog.txt"
check "dialog over the main window" contains "$(q window)" "enabled=0"
check "client area 305 x 330" contains "$(dlg $TSF window)" "client=305x330"
check "Ctrl+1 opens with Ctrl" contains "$tree" "id=$(dialog_radio_item 2) rect=32,79,240x24 visible=1 enabled=1 style=autoradiobutton check=1 caption=\"Ctrl\""
check "Alt items offered" contains "$tree" "id=$(dialog_radio_item 1) rect=32,55,240x24 visible=1 enabled=1"
check "no sides for a text service" contains "$tree" "id=$kDialogCheckLeft rect=88,16,39x17 visible=0"
check "frame caption" contains "$tree" 'style=groupbox caption=" 控制键 "'
check "确定 is the default button" contains "$tree" "id=$kDialogOk rect=24,285,75x25 visible=1 enabled=1 style=defpushbutton check=0 caption=\"确定\""
keys="$(dlg $TSF combo --id $kDialogKeys)"
check "89 keys, 1 chosen" contains "$keys" $'count 89\n'
check "key 1 chosen" test "$(tail -n1 <<<"$keys")" = "selected 1"
check "dialog hint" contains "$(dlg $TSF tooltips)" 'tool window "热键修改后只对新开窗口有效'
screenshot dialog-96dpi
dlg $TSF click --id $(dialog_radio_item 6) --then combo-select --id $kDialogKeys --text Q --then click --id $kDialogOk >/dev/null
dlg $TSF wait-gone
check "new hotkey shown" contains "$(q listview --id $kListView1)" '"Ctrl+Shift+Q"'
direct="$(export_key "$DIRECT" direct)"
check "direct-switch entry written" contains -f "$direct" '"Modifiers"="0000C006"'
check "its key" contains -f "$direct" '"virtualkey"="00000051"'
check "Windows told" eventually contains -f "$E2E_LOGS/powershell.log" Set-WinUserLanguageList

# An IMM input method (double-click on its row): Ctrl+SPACE is the IME toggle's hotkey.
IME=示例全拼输入法
imm_before="$(export_key "$IMM" imm-before)"
q lv-dblclick --id $kListView1 --row 2 >/dev/null
tree="$(dlg $IME tree)"
screenshot dialog-imm-96dpi
check "IMM: no Alt items" contains "$tree" "id=$(dialog_radio_item 1) rect=32,55,240x24 visible=1 enabled=0"
check "IMM: sides shown" contains "$tree" "id=$kDialogCheckLeft rect=88,16,39x17 visible=1 enabled=1 style=autocheckbox check=1"
check "IMM: 92 keys" contains "$(dlg $IME combo --id $kDialogKeys)" $'count 92\n'
dlg $IME combo-select --id $kDialogKeys --text SPACE --then click --id $kDialogOk >/dev/null
box="$(qd msgbox)"
check "conflict message" contains "$box" 'text "热键冲突！"'
check "conflict caption" contains "$box" 'caption "提示"'
check "message owned by the dialog" contains "$(dlg $IME window)" "visible=1 enabled=0"
qd msgbox-press --id $IDOK >/dev/null
check "dialog stays open" contains "$(dlg $IME window)" "visible=1 enabled=1"
dlg $IME click --id $kDialogCancel >/dev/null
dlg $IME wait-gone
check "cancel changes nothing" diff "$imm_before" "$(export_key "$IMM" imm-after-cancel)"
check "row unchanged" contains "$(q listview --id $kListView1)" '"E0200804" "Ctrl+2"'

# A toggle in toggle mode: Ctrl on the left only.
TOGGLE=打开/关闭输入法
q click --id $kButtonSW1 >/dev/null
check "toggle: caption from its label" contains "$(dlg $TOGGLE window)" "caption=\"$TOGGLE\""
dlg $TOGGLE click --id $kDialogCheckRight --then click --id $kDialogOk >/dev/null
dlg $TOGGLE wait-gone
check "toggle caption" contains "$(q control --id $kButtonSW1)" 'caption="左Ctrl+SPACE"'
toggle="$(export_key "$IMM\\00000010" toggle)"
check "toggle written left only" contains -f "$toggle" '"Key Modifiers"=hex:02,80,00,00'
check "toggle key kept" contains -f "$toggle" '"Virtual Key"=hex:20,00,00,00'

q syscommand --id $SC_CLOSE >/dev/null
check "exit code 0" test "$(app_exit_code)" = 0
e2e_finish
