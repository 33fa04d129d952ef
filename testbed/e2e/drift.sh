#!/usr/bin/env bash
# A configuration file as a logon script uses it: save, check (0), change two settings, check
# with a report (2, both named), apply only what differs, check again (0), and apply a file the
# machine already holds, which starts no PowerShell and commits nothing. Then a machine whose
# default input method is its second row: its own file checks 0, and neither an apply nor a load
# of it changes anything. No command-line run starts the language-name query.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup drift "$E2E_DIR/../fixtures/sample.reg"
PS="$E2E_LOGS/powershell.log"
MSCTF="$E2E_LOGS/msctf.log"
LAYOUT='HKEY_CURRENT_USER\Keyboard Layout'
QUERY='get-WinUserLanguageList | format-list -property languagetag,localizedname'
REAPPLY='get-WinUserLanguageList | Set-WinUserLanguageList -Force'

# run_line NAME ARGUMENTS: quillon.exe with exactly ARGUMENTS after its quoted path, in C:\out;
# prints "exit N" once the program ended.
run_line() {
    local file="$E2E_TMP/$1.line"
    printf '"%s" %s\n' "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$QUILLON")" "$2" >"$file"
    qd run --line-file "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$file")" --dir 'C:\out'
}

# The PowerShell command lines a run started, the start-up language query left out.
ps_lines() {
    grep -vF -- "$QUERY" "$PS" 2>/dev/null | wc -l
}

OUT="$E2E_PREFIX/drive_c/out"
mkdir -p "$OUT"
REPORT="$OUT/report.txt"

check "saved" test "$(run_line save '/savecfg:setup.cfg')" = "exit 0"
cp "$OUT/setup.cfg" "$E2E_ARTEFACTS/setup.cfg"
check "a machine that holds its own save: exit 0" \
    test "$(run_line check0 '/checkcfg:setup.cfg')" = "exit 0"

check "two settings changed" \
    test "$(run_line change '/shift /hotkey_name:示例拼音输入法 ctrl 7')" = "exit 0"
check "a machine that differs: exit 2" \
    test "$(run_line check2 '/checkcfg:"C:\out\setup.cfg","C:\out\report.txt"')" = "exit 2"
cp "$REPORT" "$E2E_ARTEFACTS/report-differs.txt" 2>/dev/null || true
check "the report begins with the byte-order mark" \
    test "$(head -c3 "$REPORT" | od -An -tx1 | tr -d ' ')" = efbbbf
check "the report has one CR LF line per difference" \
    test "$(tr -cd '\n' <"$REPORT" | wc -c)" = 2 -a "$(tr -cd '\r' <"$REPORT" | wc -c)" = 2
check "the Caps Lock key named" grep -qF '_switchkey CAPS：文件为“Caps Lock”，本机为“Shift”' "$REPORT"
check "the hotkey named" grep -qE '0804_list [0-9]+（示例拼音输入法）热键：文件为“Ctrl\+1”，本机为“Ctrl\+7”' "$REPORT"

ps_before="$(ps_lines)"
check "the apply of what differs" test "$(run_line apply '/applycfg:setup.cfg')" = "exit 0"
check "one language committed: one re-apply of the language list" \
    test "$(grep -cF -- "$REAPPLY" "$PS")" -ge 1 -a "$(($(ps_lines) - ps_before))" = 1
check "the Caps Lock key back" key_lacks "$LAYOUT" attributes '"Attributes"=dword:00010000'
check "the machine holds the file again: exit 0" \
    test "$(run_line check-again '/checkcfg:setup.cfg,report.txt')" = "exit 0"
check "the report says so" cmp <(printf '\xEF\xBB\xBF一致\r\n') "$REPORT"

ps_before="$(ps_lines)"
msctf_before="$(grep -c 'ActivateProfile\|DeactivateProfile' "$MSCTF" || true)"
check "an apply of a file that holds" test "$(run_line apply-again '/applycfg:setup.cfg')" = "exit 0"
check "starts no PowerShell but the start-up query" test "$(ps_lines)" = "$ps_before"
check "and tells TSF nothing" \
    test "$(grep -c 'ActivateProfile\|DeactivateProfile' "$MSCTF" || true)" = "$msctf_before"

# A file that is missing is an error, never a machine that holds it.
run_line missing '/checkcfg:missing.cfg' >"$E2E_TMP/missing.out" &
runner=$!
check "its message names the file" contains "$(qd msgbox)" 'missing.cfg'
qd msgbox-press --id $IDOK >/dev/null
wait "$runner"
check "a missing file: exit 1 once its message is closed" test "$(cat "$E2E_TMP/missing.out")" = "exit 1"

# --- in the window: "检查配置差异…", its window, "应用差异" after a question -------------------
check_in_window() {
    q dropdown --caption 其它功能 --then menu-pick --text 检查配置差异… >/dev/null
    q file-dialog --path 'C:\out\setup.cfg'
}

check "Shift releases Caps Lock again" test "$(run_line change-again '/shift')" = "exit 0"
xdotool mousemove 0 0
start_app
q wait-visible >/dev/null
check "the dialog asks for a configuration file" contains "$(check_in_window)" 'caption "检查配置差异"'
qdr wait-visible >/dev/null
check "the window shows the difference" \
    contains "$(qdr text --id $kDriftText)" ' · 关闭大写键：文件中为 Caps Lock，本机为 Shift'
check "and offers to apply it" contains "$(qdr control --id $kDriftApply)" 'enabled=1'
screenshot drift-window
qdr click --id $kDriftApply >/dev/null
box="$(qd msgbox)"
check "applying is asked first" contains "$box" 'caption "确认"'
qd msgbox-press --id $IDYES >/dev/null
check "the window ready again" contains "$(q status --wait-for 就绪)" '就绪'
check "the Caps Lock key back from the window" \
    key_lacks "$LAYOUT" attributes-window '"Attributes"=dword:00010000'
check_in_window >/dev/null
check "then the machine holds the file" contains "$(qdr text --id $kDriftText)" '与配置文件一致。'
check "with nothing to apply" contains "$(qdr control --id $kDriftApply)" 'enabled=0'
# Without the mouse: the focus starts on 关闭; Shift+Tab reaches the text past the disabled
# button, Tab leaves the text again, and Escape closes the window from the text.
check "the focus starts on the close button" qdr focus --wait-id $kDriftClose
# The window takes the X input focus as a window manager would give it.
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^配置差异' | head -n1)"
xdotool key --delay 60 shift+Tab
check "Shift+Tab reaches the text" qdr focus --wait-id $kDriftText
xdotool key --delay 60 Tab
check "Tab leaves the text" qdr focus --wait-id $kDriftClose
xdotool key --delay 60 shift+Tab Escape
drift_hidden() { contains "$(qdr window)" 'visible=0'; }
check "Escape closes the window" eventually drift_hidden
q syscommand --id $SC_CLOSE >/dev/null
check "the window closes with exit status 0" test "$(app_exit_code)" = 0

# --- a machine whose default is the second row: its own file changes nothing ---------------
PROFILE='HKEY_CURRENT_USER\Control Panel\International\User Profile'
queries_before="$(grep -cF -- "$QUERY" "$PS" || true)"
set_wine_value "$PROFILE" InputMethodOverride '"0804:00000409"'
check "saved with the second row as the default" \
    test "$(run_line save-second '/savecfg:second.cfg')" = "exit 0"
cp "$OUT/second.cfg" "$E2E_ARTEFACTS/second.cfg"
check "the file names the second row as the default" grep -q $'^DefaultIME=2\r$' "$OUT/second.cfg"
profiles_before="$(export_key "$PROFILE" profiles-before)"
check "its own file: exit 0" test "$(run_line check-second '/checkcfg:second.cfg')" = "exit 0"
ps_before="$(ps_lines)"
check "the apply: exit 0" test "$(run_line apply-second '/applycfg:second.cfg')" = "exit 0"
check "the apply starts nothing" test "$(ps_lines)" = "$ps_before"
check "the load: exit 0" test "$(run_line load-second '/loadcfg:second.cfg')" = "exit 0"
check "the load starts nothing" test "$(ps_lines)" = "$ps_before"
check "the order and the default stay" cmp "$profiles_before" "$(export_key "$PROFILE" profiles-after)"
check "then still exit 0" test "$(run_line check-second-again '/checkcfg:second.cfg')" = "exit 0"
check "no command-line run asked PowerShell for the languages' names" \
    test "$(grep -cF -- "$QUERY" "$PS" || true)" = "$queries_before"

e2e_finish
