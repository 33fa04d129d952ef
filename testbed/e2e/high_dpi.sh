#!/usr/bin/env bash
# At 144 dpi every place and size is half as large again, the font with them, in the main
# window and in the hotkey dialog.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup high_dpi "$E2E_DIR/../fixtures/sample.reg"
set_wine_value 'HKEY_CURRENT_USER\Control Panel\Desktop' LogPixels dword:00000090

start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
screenshot dpi144
check "client area scaled" contains "$(q window)" "client=783x905"
check "enabled list placed and sized" contains "$(q control --id $kListView1)" "rect=60,48,530x225"
check "name column scaled" contains "$(q listview --id $kListView1)" 'column 0 width=270 "名称"'
check "hidden columns stay hidden" contains "$(q listview --id $kListView1)" 'column 1 width=0 "clsid"'
check "refresh button placed and sized" contains "$(q control --id $kButtonRefresh)" "rect=618,825,113x38"

# The hotkey dialog scales the same way.
xdotool mousemove 0 0
q lv-select --id $kListView1 --row 0 --then click --id $kButtonHotkey >/dev/null
check "dialog client area scaled" contains "$(dlg 示例拼音输入法 window)" "client=458x495"
check "dialog button placed and sized" contains "$(dlg 示例拼音输入法 control --id $kDialogOk)" "rect=36,428,113x38"
check "side box on the frame line" contains "$(dlg 示例拼音输入法 control --id $kDialogCheckRight)" "rect=192,24,74x26"
screenshot dialog-144dpi
dlg 示例拼音输入法 click --id $kDialogCancel --then wait-gone >/dev/null
q syscommand --id $SC_CLOSE >/dev/null
check "exit code 0" test "$(app_exit_code)" = 0
e2e_finish
