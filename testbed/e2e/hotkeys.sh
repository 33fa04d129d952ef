#!/usr/bin/env bash
# Hotkeys as Windows holds them, shown in the window, and written back by a commit.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup hotkeys "$E2E_DIR/../fixtures/sample.reg" "$E2E_DIR/../fixtures/imm-enabled.reg"
DIRECT='HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys'
IMM='HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys'
TOGGLE='HKEY_CURRENT_USER\Keyboard Layout\Toggle'

direct_before="$(export_key "$DIRECT" direct-before)"
imm_before="$(export_key "$IMM" imm-before)"

start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
enabled="$(q listview --id $kListView1)"
echo "$enabled" >"$E2E_ARTEFACTS/listview1.txt"
check "text-service hotkey shown" contains "$enabled" '"00000000" "Ctrl+1"'
check "IMM hotkey shown" contains "$enabled" '"E0200804" "Ctrl+2"'
check "IME on/off toggle" contains "$(q control --id $kButtonSW1)" 'caption="Ctrl+SPACE"'
check "full/half width toggle" contains "$(q control --id $kButtonSW2)" 'caption="左Alt+SPACE"'
check "punctuation toggle" contains "$(q control --id $kButtonSW3)" 'caption="Ctrl+."'
check "switch layout key" contains "$(q combo --id $kComboBox1)" "selected 1"
check "switch language key" contains "$(q combo --id $kComboBox2)" "selected 0"
screenshot hotkeys

# A move commits: every hotkey goes back as it was, the text service's entry where it stood
# with its PreservedKeyId.
q lv-select --id $kListView1 --row 0 --then click --id $kButtonDown >/dev/null
direct_after="$(export_key "$DIRECT" direct-after)"
imm_after="$(export_key "$IMM" imm-after)"
check "text-service entry written back in place" diff "$direct_before" "$direct_after"
check "IMM entry and toggles written back" diff "$imm_before" "$imm_after"

# The switching keys: the mirror rule and the toggle key written, Windows told.
q combo-select --id $kComboBox1 --item 0 >/dev/null
toggle="$(export_key "$TOGGLE" toggle)"
check "layout hotkey written" contains -f "$toggle" '"Layout Hotkey"="1"'
check "language hotkey mirrored" contains -f "$toggle" '"Language Hotkey"="2"'
check "mirror shown" contains "$(q combo --id $kComboBox2)" "selected 1"

q syscommand --id $SC_CLOSE >/dev/null
check "exit code 0" test "$(app_exit_code)" = 0
e2e_finish
