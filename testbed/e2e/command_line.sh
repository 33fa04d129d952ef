#!/usr/bin/env bash
# Start-up arguments handled before any window shows: the language re-apply, remove_eng.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup command_line "$E2E_DIR/../fixtures/sample.reg"
PS="$E2E_LOGS/powershell.log"

check "/r ends with 0" test "$(run_app /r)" = 0
check "/r re-applies the language list by full path" eventually contains -f "$PS" \
    'WindowsPowerShell\v1.0\powershell.exe" -command "& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}"'
check "/r runs no refresh" lacks -f "$E2E_LOGS/msctf.log" "EnumProfiles"

check "/remove_eng ends with 0" test "$(run_app /remove_eng)" = 0
check "/remove_eng refreshes twice (start-up and after unloading)" \
    test "$(grep -c 'EnumProfiles(0804)' "$E2E_LOGS/msctf.log")" = 2
e2e_finish
