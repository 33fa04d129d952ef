#!/usr/bin/env bash
# The main window without the mouse, with real key presses (xdotool on the test bed's display):
# the focus from the start and the tab order, the window's own keys, the 其它功能 menu, the
# focus after a dialog or after a button disabled itself, a switching key written only once
# the choice is confirmed, and the help window's keys.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup keyboard "$E2E_DIR/../fixtures/sample.reg"
MSCTF="$E2E_LOGS/msctf.log"
TOGGLE='HKEY_CURRENT_USER\Keyboard Layout\Toggle'

# The driver with a short time limit, for waits that are expected to fail now and then.
qs() {
    WINEPREFIX="$E2E_PREFIX" $WINE "$QDRIVER" --window-class TForm1 --timeout 5000 "$@" \
        2>>"$E2E_ARTEFACTS/qdriver.err" | tr -d '\r'
}
qdlg() {
    WINEPREFIX="$E2E_PREFIX" $WINE "$QDRIVER" --window-class '#32770' --timeout "${DLG_TIMEOUT:-30000}" \
        "$@" 2>>"$E2E_ARTEFACTS/qdriver.err" | tr -d '\r'
}

# focus_on ID: the control with that id has the focus (waiting a while for the keys to arrive).
focus_on() {
    qs focus --wait-id "$1" >/dev/null
}

focused_id() {
    qs focus | sed -n 's/^focus [^ ]* id=\([0-9-]*\) .*/\1/p'
}

# press KEY...: real key presses, into the window that has the X input focus.
press() {
    xdotool key --delay 60 "$@"
}

# tab_to ID: Tab until the control has the focus; fails after a whole round.
tab_to() {
    local i
    for i in $(seq 1 25); do
        if [ "$(focused_id)" = "$1" ]; then
            return 0
        fi
        press Tab
        sleep 0.2
    done
    return 1
}

rows() {
    q listview --id "$1" | sed -n 's/^count //p'
}

# wait_rows LIST COUNT: the list holds COUNT rows and the settle wait is over.
wait_rows() {
    local list="$1" count="$2"
    has_rows() { [ "$(rows "$list")" = "$count" ]; }
    eventually has_rows && q status --wait-for 就绪 >/dev/null
}

xdotool mousemove 0 0
start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
wait_languages
# The window takes the X input focus as a window manager would give it.
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Quillon' | head -n1)"

# --- the start and the tab order -------------------------------------------------------------
check "starts on the enabled list" focus_on $kListView1
check "its selected row has the focus rectangle" contains "$(q listview --id $kListView1)" $'selected 0\nfocused 0'
order=""
for i in $(seq 1 20); do
    press Tab
    sleep 0.2
    order="$order $(focused_id)"
done
echo "$order" >"$E2E_ARTEFACTS/tab-order.txt"
# 上移 is disabled on the first row; the toggles follow their combo boxes row by row.
check "tab order in reading order, the help button included" test "$order" = \
    " $kButtonDown $kButtonHotkey $kButtonDisable $kListView2 $kButtonEnable $kButtonDel\
 $kSpeedButton1 $kComboBox1 $kButtonSW1 $kComboBox2 $kButtonSW2 $kComboBox3 $kButtonSW3\
 $kCheckBox1 $kCheckBox2 $kCheckBox3 $kComboBoxLang $kButtonOther $kButtonRefresh $kListView1"
press shift+Tab
check "Shift+Tab goes back round" focus_on $kButtonRefresh
press Tab
focus_on $kListView1
screenshot focus-start

# --- F5 and the moves ------------------------------------------------------------------------
enumerations="$(grep -c 'EnumProfiles(0804)' "$MSCTF")"
press F5
refreshed() { [ "$(grep -c 'EnumProfiles(0804)' "$MSCTF")" -gt "$enumerations" ]; }
check "F5 refreshes" eventually refreshed
first="$(q listview --id $kListView1 | sed -n 's/^row 0 "\([^"]*\)".*/\1/p')"
press alt+Down
moved_down() { [ "$(row_of $kListView1 "$first")" = 1 ]; }
check "Alt+Down moves the row down" eventually moved_down
check "the selection follows the row" contains "$(q listview --id $kListView1)" $'selected 1\nfocused 1'
check "the list keeps the focus" focus_on $kListView1
press alt+Up
moved_up() { [ "$(row_of $kListView1 "$first")" = 0 ]; }
check "Alt+Up moves it back" eventually moved_up
check "Alt released: no system menu" focus_on $kListView1

# --- Enter on a row of the enabled list: the hotkey dialog, the focus back after it ------------
press Return
# The dialog exists, hidden, from the start.
dialog_shown() { DLG_TIMEOUT=1000 qdlg window | grep -q "visible=1"; }
dialog_gone() { ! dialog_shown; }
check "Enter opens the hotkey dialog" eventually dialog_shown
press Escape
check "Escape closes it" eventually dialog_gone
check "the focus is back on the list" focus_on $kListView1
tab_to $kButtonHotkey
press space
eventually dialog_shown
press Escape
eventually dialog_gone
check "the focus is back on 热键 after its dialog" focus_on $kButtonHotkey

# --- the 其它功能 menu --------------------------------------------------------------------------
tab_to $kButtonOther
for key in space Return alt+Down F4; do
    press "$key"
    check "$key opens the 其它功能 menu" contains "$(qs menu)" '"导出配置"'
    q menu-close >/dev/null
    check "the focus is back on 其它功能 after $key" focus_on $kButtonOther
done

# --- F1 and the help window's keys ---------------------------------------------------------
press F1
qh wait-visible >/dev/null
check "F1 opens the help on 关闭" contains "$(qs focus)" "id=$kHelpClose"
press Tab
check "Tab to the link" contains "$(qs focus)" "id=$kHelpLink"
press Tab
check "Tab to the text" contains "$(qs focus)" "id=$kHelpText"
before="$(qh text --id $kHelpText)"
press a b c BackSpace
check "the text takes no typing" test "$(qh text --id $kHelpText)" = "$before"
qh wait-visible >/dev/null
press Tab
check "Tab leaves the text" contains "$(qs focus)" "id=$kHelpClose"
press shift+Tab
check "Shift+Tab back into the text" contains "$(qs focus)" "id=$kHelpText"
press shift+Tab
check "Shift+Tab leaves the text" contains "$(qs focus)" "id=$kHelpLink"
press Escape
help_hidden() { contains "$(qh window)" "visible=0"; }
check "Escape closes the help" eventually help_hidden
check "the focus is back on the control that opened it" focus_on $kButtonOther

# --- a switching key: written once the choice is confirmed, not on each arrow press ----------
tab_to $kComboBox1
layout_before="$(grep '"Layout Hotkey"' "$(export_key "$TOGGLE" toggle-before)")"
press Down Down
check "the arrows show the choice" contains "$(q combo --id $kComboBox1)" "selected 3"
check "nothing written while choosing" test \
    "$(grep '"Layout Hotkey"' "$(export_key "$TOGGLE" toggle-choosing)")" = "$layout_before"
press Tab
written() { key_holds "$TOGGLE" toggle-after '"Layout Hotkey"="4"'; }
check "written when the focus leaves" eventually written
check "the focus went on" focus_on $kButtonSW1

# Escape on the open list drops what the arrows chose there.
tab_to $kComboBox2
language_before="$(grep '"Language Hotkey"' "$(export_key "$TOGGLE" language-before)")"
press alt+Down
sleep 0.5
press Down Escape
sleep 0.5
press Tab
focus_on $kButtonSW2
check "Escape on the open list writes nothing" test \
    "$(grep '"Language Hotkey"' "$(export_key "$TOGGLE" language-after)")" = "$language_before"
check "the box shows the key in effect" contains "$(q combo --id $kComboBox2)" "selected 0"

# --- the disabled list: Delete asks, Enter enables ------------------------------------------
tab_to $kListView2
press Delete
check "Delete asks before deleting" contains "$(qd msgbox)" "button id=$IDNO"
qd msgbox-press --id $IDNO >/dev/null
check "the focus is back on the disabled list after the question" focus_on $kListView2
count1="$(rows $kListView1)"
press Return
check "Enter enables the row" wait_rows $kListView1 $((count1 + 1))
check "the disabled list keeps the focus" focus_on $kListView2

# --- Delete on the enabled list, and 禁用 disabling itself ------------------------------------
tab_to $kListView1
press Delete
check "Delete disables the row" wait_rows $kListView1 "$count1"
check "the enabled list keeps the focus" focus_on $kListView1
while [ "$(rows $kListView1)" -gt 2 ]; do
    count="$(rows $kListView1)"
    press Delete
    wait_rows $kListView1 $((count - 1))
done
tab_to $kButtonDisable
press space
check "禁用 on the last-but-one row" wait_rows $kListView1 1
check "禁用 is disabled" contains "$(q control --id $kButtonDisable)" "enabled=0"
check "its focus went to the enabled list" focus_on $kListView1
screenshot focus-after-disable

q syscommand --id $SC_CLOSE >/dev/null
check "exit code 0" test "$(app_exit_code)" = 0
e2e_finish
