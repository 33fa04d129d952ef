#!/usr/bin/env bash
# Undo through the real exe: a change from the window and one from the command line are each
# backed up into the user's local application-data folder (a numbered Registry Editor file), and
# two runs of /undo leave the whole of HKEY_CURRENT_USER as it was, exported with `reg export`,
# less the keys Wine itself changes meanwhile; with nothing left /undo fails with status 1; a
# move from the window is taken back through 其它功能 → 撤销上次更改 after its question; and
# Registry Editor, importing a backup, leaves the state it holds.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup undo "$E2E_DIR/../fixtures/sample.reg"
BACKUPS="$(WINEPREFIX="$E2E_PREFIX" winepath -u 'C:\users' 2>/dev/null)/$(whoami)/AppData/Local/Quillon/backups"

# run_line NAME ARGUMENTS: quillon.exe with exactly ARGUMENTS; prints "exit N".
run_line() {
    local file="$E2E_TMP/$1.line"
    printf '"%s" %s\n' "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$QUILLON")" "$2" >"$file"
    qd run --line-file "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$file")"
}

# Keys Wine itself writes while programs run, whatever Quillon does: left out of the
# comparison. The console's settings appear with the first console program (`reg` itself);
# the others are Wine's own state, listed in case a Wine version writes them meanwhile.
WINE_OWN_KEYS=(
    'HKEY_CURRENT_USER\Console'
    'HKEY_CURRENT_USER\Software\Wine'
    'HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer'
    'HKEY_CURRENT_USER\Volatile Environment'
)

# The whole of HKEY_CURRENT_USER as `reg export` writes it, less Wine's own keys.
user_hive() {
    local file
    file="$(export_key 'HKEY_CURRENT_USER' "$1")"
    awk -v own="$(printf '%s\n' "${WINE_OWN_KEYS[@]}")" '
        BEGIN { n = split(own, keys, "\n") }
        /^\[/ {
            skip = 0
            for (i = 1; i <= n; i++) {
                k = "[" keys[i]
                if (index($0, k "]") == 1 || index($0, k "\\") == 1) { skip = 1 }
            }
        }
        !skip' "$file"
}

differs() {
    ! cmp -s "$1" "$2"
}

backups() {
    find "$BACKUPS" -maxdepth 1 -name '*.reg' 2>/dev/null | sort
}

# --- a change from the window, one from the command line, /undo twice -----------------------
user_hive before >"$E2E_TMP/before.txt"
start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
q lv-select --id $kListView1 --row 0 --then click --id $kButtonDown >/dev/null
q wait-no-dialog --then status --wait-for 就绪 >/dev/null
q syscommand --id $SC_CLOSE >/dev/null
check "the window ends" test "$(app_exit_code)" = 0
user_hive moved >"$E2E_TMP/moved.txt"
check "the move changed the registry" differs "$E2E_TMP/before.txt" "$E2E_TMP/moved.txt"

check "a changing run ends with 0" test "$(run_line change '/shift /layout:0 /emoji:1 /switchkey:1 ctrl+shift 0')" = "exit 0"
user_hive changed >"$E2E_TMP/changed.txt"
check "the run changed the registry" differs "$E2E_TMP/moved.txt" "$E2E_TMP/changed.txt"
check "one backup for each" test "$(backups | wc -l)" = 2
backup="$(backups | tail -1)"
cp "$backup" "$E2E_ARTEFACTS/backup.reg" 2>/dev/null || true
check "numbered, with the local time" grep -qE '/000002-[0-9]{8}-[0-9]{6}\.reg$' <<<"$backup"
text="$(iconv -f UTF-16LE -t UTF-8 "$backup" | tr -d '\r')"
check "a Registry Editor file" grep -qF 'Windows Registry Editor Version 5.00' <<<"$text"
check "its note names the run" grep -qF '; 命令行 /shift /layout:0 /emoji:1 /switchkey:1 ctrl+shift 0' <<<"$text"

check "the first /undo ends with 0" test "$(run_line undo1 '/undo')" = "exit 0"
user_hive undone1 >"$E2E_TMP/undone1.txt"
check "the run taken back" diff "$E2E_TMP/moved.txt" "$E2E_TMP/undone1.txt"
check "the second /undo ends with 0" test "$(run_line undo2 '/undo')" = "exit 0"
user_hive undone2 >"$E2E_TMP/undone2.txt"
check "HKEY_CURRENT_USER as at the start" diff "$E2E_TMP/before.txt" "$E2E_TMP/undone2.txt"
check "the backups taken back" test "$(backups | wc -l)" = 0

run_line nothing '/undo' >"$E2E_TMP/nothing.out" &
runner=$!
box="$(qd msgbox)"
check "nothing to undo, in the standard error box" contains "$box" 'text "没有可撤销的更改。"'
qd msgbox-press --id $IDOK >/dev/null
wait "$runner"
check "exit status 1" test "$(cat "$E2E_TMP/nothing.out")" = "exit 1"

# --- the window ------------------------------------------------------------------------------
start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
q lv-select --id $kListView1 --row 0 --then click --id $kButtonDown >/dev/null
q wait-no-dialog --then status --wait-for 就绪 >/dev/null
user_hive moved-again >"$E2E_TMP/moved-again.txt"
check "the move changed the registry again" differs "$E2E_TMP/before.txt" "$E2E_TMP/moved-again.txt"
q dropdown --caption 其它功能 --then menu-pick --text 撤销上次更改 >/dev/null
box="$(qd msgbox)"
check "undo asks first" contains "$box" '之前的设置（下移“'
screenshot question
qd msgbox-press --id $IDYES >/dev/null
restored() { contains "$(q status)" '已恢复到' >/dev/null; }
check "status says what was restored" eventually restored
user_hive window-undone >"$E2E_TMP/window-undone.txt"
check "the window's undo restores the registry" diff "$E2E_TMP/before.txt" "$E2E_TMP/window-undone.txt"
screenshot undone
q syscommand --id $SC_CLOSE >/dev/null
check "closing ends the program" test "$(app_exit_code)" = 0

# --- the last resort: Registry Editor imports a backup --------------------------------------
# The run's backup holds the state after the move: imported, it leaves exactly that.
import_reg "$E2E_PREFIX" "$E2E_ARTEFACTS/backup.reg"
user_hive imported >"$E2E_TMP/imported.txt"
check "Registry Editor's import of a backup restores its state" \
    diff "$E2E_TMP/moved.txt" "$E2E_TMP/imported.txt"
e2e_finish
