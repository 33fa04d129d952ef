#!/usr/bin/env bash
# Below Windows 10 the only thing shown is the version message; the process ends with 0.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup version_check "$E2E_DIR/../fixtures/sample.reg"
set_wine_value 'HKEY_CURRENT_USER\Software\Wine' Version '"win81"'

start_app
box="$(qd msgbox)"
check "version message" contains "$box" 'text "只支持 Windows10、Windows Server 2019 及更高版本操作系统。"'
check "version caption" contains "$box" 'caption "Quillon 输入法设置工具"'
qd msgbox-press --id $IDOK >/dev/null
check "exit code 0" test "$(app_exit_code)" = 0
check "no language query ran" test ! -s "$E2E_LOGS/powershell.log"
e2e_finish
