#!/usr/bin/env bash
# The hotkey dialog's clash warning: another program (holdkey.exe) holds Ctrl+Shift+Q; choosing
# it for a text service asks first, No keeps the dialog open, Yes stores it; the probe leaves
# nothing registered, so the other program's hotkey stays its own.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup hotkey_clash "$E2E_DIR/../fixtures/sample.reg"
DIRECT='HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys'
HOLDKEY="$BUILD_DIR/testbed/holdkey/holdkey.exe"
STOP="$E2E_TMP/stop"
CLASH='text "该热键已被其它程序占用，按下时可能不会切换到此输入法。仍要使用吗？"'

WINEPREFIX="$E2E_PREFIX" $WINE "$HOLDKEY" 6 51 "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$STOP")" \
    >"$E2E_TMP/holdkey.out" 2>>"$E2E_ARTEFACTS/holdkey.err" &
holder=$!
held() { grep -q held "$E2E_TMP/holdkey.out"; }
check "the other program holds Ctrl+Shift+Q" eventually held

start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
TSF=示例拼音输入法
q lv-select --id $kListView1 --row 0 --then click --id $kButtonHotkey >/dev/null
dlg $TSF click --id $(dialog_radio_item 6) --then combo-select --id $kDialogKeys --text Q --then click --id $kDialogOk >/dev/null
box="$(qd msgbox)"
check "the clash is asked about" contains "$box" "$CLASH"
screenshot clash
qd msgbox-press --id $IDNO >/dev/null
check "No returns to the dialog" contains "$(dlg $TSF window)" "visible=1"
dlg $TSF click --id $kDialogOk >/dev/null
check "asked again" contains "$(qd msgbox)" "$CLASH"
qd msgbox-press --id $IDYES >/dev/null
dlg $TSF wait-gone
direct="$(export_key "$DIRECT" direct)"
check "Yes stores it" contains -f "$direct" '"Modifiers"="0000C006"'
check "its key" contains -f "$direct" '"virtualkey"="00000051"'

# A free combination asks nothing.
q lv-select --id $kListView1 --row 0 --then click --id $kButtonHotkey >/dev/null
dlg $TSF click --id $(dialog_radio_item 6) --then combo-select --id $kDialogKeys --text W --then click --id $kDialogOk >/dev/null
dlg $TSF wait-gone
check "a free hotkey stored without a question" contains -f "$(export_key "$DIRECT" direct-free)" \
    '"virtualkey"="00000057"'

# The probes left nothing behind: the other program still holds its hotkey, and the free one
# Quillon asked about can be taken by anyone.
again="$(WINEPREFIX="$E2E_PREFIX" $WINE "$HOLDKEY" 6 51 "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$STOP")" 2>/dev/null | tr -d '\r' || true)"
check "Ctrl+Shift+Q still the other program's" contains "$again" "refused"
touch "$STOP"
free="$(WINEPREFIX="$E2E_PREFIX" $WINE "$HOLDKEY" 6 57 "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$STOP")" 2>/dev/null | tr -d '\r' || true)"
check "Ctrl+Shift+W free after the probe" contains "$free" "held"
wait "$holder"
q syscommand --id $SC_CLOSE >/dev/null
check "closing ends the program" test "$(app_exit_code)" = 0
e2e_finish
