#!/usr/bin/env bash
# PowerShell slow to answer the language query: the window shows with its lists filled before
# the answer, the language combo waiting with its notice, and fills when the answer comes; a
# command-line run in the same setting, which shows no names, starts no query, waits for none
# and saves every language.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup slow_language_query "$E2E_DIR/../fixtures/sample.reg"
# Long enough that the window, even on a loaded machine, is checked before the answer.
export QUILLON_POWERSHELL_START_MS=8000
QUERY='get-WinUserLanguageList | format-list -property languagetag,localizedname'

start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
# The stand-in logs its command line once it has waited: no line yet, no answer yet.
answered_before="$(grep -cF -- "$QUERY" "$E2E_LOGS/powershell.log" 2>/dev/null || true)"
combo="$(q combo --id $kComboBoxLang)"
enabled="$(q listview --id $kListView1)"
disabled="$(q listview --id $kListView2)"
screenshot before-answer
check "window shown before the answer" test "${answered_before:-0}" = 0
check "enabled list filled" contains "$enabled" 'row 0 "示例拼音输入法"'
check "disabled list filled" contains "$disabled" 'row 0 "示例五笔输入法"'
check "combo says the names are being read" contains "$combo" 'item 0 "正在读取语言列表…"'
check "combo has only the notice" lacks "$combo" 'item 1 '
check "combo disabled meanwhile" contains "$(q control --id $kComboBoxLang)" "enabled=0"

wait_languages
combo="$(q combo --id $kComboBoxLang)"
check "answer names the languages" contains "$combo" 'item 0 "中文(中华人民共和国)"'
check "answer names english" contains "$combo" 'item 1 "英语(美国)"'
check "shown language selected" contains "$combo" "selected 0"
check "lists unchanged by the answer" test "$(q listview --id $kListView1)" = "$enabled"
check "one language query" test "$(grep -cF -- "$QUERY" "$E2E_LOGS/powershell.log")" = 1
check "status ready" contains "$(q status)" 'status "就绪"'
q syscommand --id $SC_CLOSE >/dev/null
check "closing ends the program" test "$(app_exit_code)" = 0

# A command line needs no names: no query of its own, and every language saved.
mkdir -p "$E2E_PREFIX/drive_c/out"
check "savecfg succeeds" test "$(run_app '/savecfg:C:\out\setup.cfg')" = 0
check "without a language query" test "$(grep -cF -- "$QUERY" "$E2E_LOGS/powershell.log")" = 1
saved="$(iconv -f UTF-8 -t UTF-8 "$E2E_PREFIX/drive_c/out/setup.cfg" | tr -d '\r')"
check "chinese saved" contains "$saved" "[0804_list]"
check "english saved" contains "$saved" "[0409_list]"
e2e_finish
