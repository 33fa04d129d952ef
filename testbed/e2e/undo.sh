#!/usr/bin/env bash
# Undo through the real exe: a command-line run is backed up once into the user's local
# application-data folder and taken back by /undo (the registry exported before and after); with nothing left /undo fails with status 1; a move from the window is taken back
# through 其它功能 → 撤销上次更改 after its question.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup undo "$E2E_DIR/../fixtures/sample.reg"
KEYS=(
    'HKEY_CURRENT_USER\Control Panel\International\User Profile'
    'HKEY_CURRENT_USER\Keyboard Layout'
    'HKEY_CURRENT_USER\Software\Microsoft\CTF'
    'HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys'
)
BACKUPS="$(WINEPREFIX="$E2E_PREFIX" winepath -u 'C:\users' 2>/dev/null)/$(whoami)/AppData/Local/Quillon/backups"

# run_line NAME ARGUMENTS: quillon.exe with exactly ARGUMENTS; prints "exit N".
run_line() {
    local file="$E2E_TMP/$1.line"
    printf '"%s" %s\n' "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$QUILLON")" "$2" >"$file"
    qd run --line-file "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$file")"
}

# The keys Quillon writes, as one text.
snapshot() {
    local key i=0
    for key in "${KEYS[@]}"; do
        cat "$(export_key "$key" "$1-$i")"
        i=$((i + 1))
    done
}

differs() {
    ! cmp -s "$1" "$2"
}

# Every commit keeps the hotkeys of the enabled input methods only: the disabled IMM input
# method's (Hot Keys\00000100), which no configuration file holds, goes with the first commit.
# All the rest is as before.
without_disabled_imm_hotkey() {
    awk '/^\[/ { skip = index($0, "Hot Keys\\00000100]") > 0 } !skip' "$1"
}

backups() {
    find "$BACKUPS" -maxdepth 1 -name '*.cfg' 2>/dev/null | sort
}

# --- the command line ------------------------------------------------------------------------
snapshot before >"$E2E_TMP/before.txt"
check "a changing run ends with 0" test "$(run_line change '/shift /layout:0 /emoji:1 /switchkey:1 ctrl+shift 0')" = "exit 0"
snapshot changed >"$E2E_TMP/changed.txt"
check "the run changed the registry" differs "$E2E_TMP/before.txt" "$E2E_TMP/changed.txt"
check "one backup for the whole run" test "$(backups | wc -l)" = 1
backup="$(backups | head -1)"
cp "$backup" "$E2E_ARTEFACTS/backup.cfg" 2>/dev/null || true
check "named by the local time" grep -qE '/[0-9]{8}-[0-9]{6}-[0-9]{3}\.cfg$' <<<"$backup"
check "its note names the run" grep -qF '; 命令行 /shift /layout:0 /emoji:1 /switchkey:1 ctrl+shift 0' "$backup"

check "/undo ends with 0" test "$(run_line undo '/undo')" = "exit 0"
snapshot undone >"$E2E_TMP/undone.txt"
check "the registry as before" diff <(without_disabled_imm_hotkey "$E2E_TMP/before.txt") \
    <(without_disabled_imm_hotkey "$E2E_TMP/undone.txt")
check "the backup taken back" test "$(backups | wc -l)" = 0

run_line nothing '/undo' >"$E2E_TMP/nothing.out" &
runner=$!
box="$(qd msgbox)"
check "nothing to undo, in the standard error box" contains "$box" 'text "没有可撤销的更改。"'
qd msgbox-press --id 1 >/dev/null
wait "$runner"
check "exit status 1" test "$(cat "$E2E_TMP/nothing.out")" = "exit 1"

# --- the window ------------------------------------------------------------------------------
start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
q lv-select --id 101 --row 0 --then click --id 103 >/dev/null
q wait-no-dialog --then status --wait-for 就绪 >/dev/null
snapshot moved >"$E2E_TMP/moved.txt"
check "the move changed the registry" differs "$E2E_TMP/before.txt" "$E2E_TMP/moved.txt"
q dropdown --caption 其它功能 --then menu-pick --text 撤销上次更改 >/dev/null
box="$(qd msgbox)"
check "undo asks first" contains "$box" '之前的设置（下移“'
screenshot question
qd msgbox-press --id 6 >/dev/null
restored() { contains "$(q status)" '已恢复到' >/dev/null; }
check "status says what was restored" eventually restored
snapshot window-undone >"$E2E_TMP/window-undone.txt"
check "the window's undo restores the registry" diff \
    <(without_disabled_imm_hotkey "$E2E_TMP/before.txt") \
    <(without_disabled_imm_hotkey "$E2E_TMP/window-undone.txt")
screenshot undone
q syscommand --id 0xF060 >/dev/null
check "closing ends the program" test "$(app_exit_code)" = 0
e2e_finish
