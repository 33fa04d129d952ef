#!/usr/bin/env bash
# The window on a setup full of values it cannot take as they are (fixtures/bad-values.reg): it
# opens, says which value it could not read, shows what it could, stays usable, and changes
# nothing in the registry until the user acts.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup bad_values "$E2E_DIR/../fixtures/sample.reg" "$E2E_DIR/../fixtures/bad-values.reg"
INPUT='HKEY_CURRENT_USER\Software\Microsoft\Input\Settings'
UNREADABLE='text "注册表值“EnableExpressiveInputEmojiMultipleSelection”的数据类型不正确。"'
KEYS=(
    'HKEY_CURRENT_USER\Control Panel\International\User Profile'
    'HKEY_CURRENT_USER\Control Panel\Input Method'
    'HKEY_CURRENT_USER\Control Panel\Desktop'
    'HKEY_CURRENT_USER\Keyboard Layout'
    'HKEY_CURRENT_USER\Software\Microsoft\CTF'
    'HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts'
)

# Every key the program reads, exported as NAME-0.reg, NAME-1.reg, ...
export_all() {
    local i
    for i in "${!KEYS[@]}"; do
        export_key "${KEYS[$i]}" "$1-$i" >/dev/null
    done
}

unchanged_since() {
    local i
    for i in "${!KEYS[@]}"; do
        diff "$E2E_ARTEFACTS/$1-$i.reg" "$E2E_ARTEFACTS/$2-$i.reg" >/dev/null || return 1
    done
}

export_all before
input_before="$(export_key "$INPUT" input-before)"

# The refresh at start-up ends at the value it cannot read; the box says which.
start_app
box="$(qd msgbox)"
echo "$box" >"$E2E_ARTEFACTS/start-box.txt"
check "start-up names the value it could not read" contains "$box" "$UNREADABLE"
qd msgbox-press --id $IDOK >/dev/null
q wait-visible >/dev/null
screenshot opened

# What could be read is shown, each bad value as its reading.
enabled="$(q listview --id $kListView1)"
echo "$enabled" >"$E2E_ARTEFACTS/listview1.txt"
check "pinyin listed, its hotkey of bad modifiers not shown" contains "$enabled" \
    'row 0 "示例拼音输入法"'
check "no hotkey made of bad modifiers" lacks "$enabled" "Ctrl+1"
check "an empty display name keeps the layout text" contains "$enabled" 'row 1 "US"'
disabled="$(q listview --id $kListView2)"
echo "$disabled" >"$E2E_ARTEFACTS/listview2.txt"
check "layout text stored as REG_EXPAND_SZ" contains "$disabled" \
    'row 1 "示例全拼输入法"'
check "toggle from a QWORD's first four bytes" contains "$(q control --id $kButtonSW1)" \
    'caption="Ctrl+SPACE"'
check "a switching digit outside 1-4 selects nothing" contains "$(q combo --id $kComboBox1)" "selected -1"

# Still usable: a refresh runs and says it again; a commit is refused; nothing was written.
q click --id $kButtonRefresh >/dev/null
box="$(qd msgbox)"
check "refresh says it again" contains "$box" "$UNREADABLE"
qd msgbox-press --id $IDOK >/dev/null
q wait-no-dialog >/dev/null
q lv-select --id $kListView1 --row 0 >/dev/null
q click --id $kButtonDown >/dev/null
box="$(qd msgbox)"
echo "$box" >"$E2E_ARTEFACTS/commit-box.txt"
check "a commit on lists not wholly read is refused" contains "$box" "输入法列表未能完整读取"
qd msgbox-press --id $IDOK >/dev/null
q wait-no-dialog >/dev/null
export_all after
check "nothing written until the user acts" unchanged_since before after
check "emoji value left as it was" diff "$input_before" "$(export_key "$INPUT" input-after)"

# The user sets the emoji option: the value becomes a DWORD, and the next refresh reads all.
q click --id $kCheckBox3 >/dev/null
check "the user's choice is written" eventually key_holds "$INPUT" input-set \
    '"EnableExpressiveInputEmojiMultipleSelection"=dword:00000001'
q click --id $kButtonRefresh >/dev/null
check "refresh now reads everything" q wait-no-dialog
check "emoji box shows the value written" contains "$(q control --id $kCheckBox3)" "check=1"
export_all acted
check "nothing else written" unchanged_since before acted
screenshot acted

q syscommand --id $SC_CLOSE >/dev/null
check "closing ends the program" test "$(app_exit_code)" = 0
e2e_finish
