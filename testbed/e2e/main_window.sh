#!/usr/bin/env bash
# The main window on the sample setup, as a user sees it: both lists with their colours, the
# language combo, the status text; another language; refresh; the About box.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup main_window "$E2E_DIR/../fixtures/sample.reg"

start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
wait_languages
screenshot sample

window="$(q window)"
check "caption with version" contains "$window" "caption=\"Quillon 输入法设置工具 ${QUILLON_VERSION:?the project version}\""
check "client area 522x603 at 96 dpi" contains "$window" "client=522x603"

enabled="$(q listview --id $kListView1)"
echo "$enabled" >"$E2E_ARTEFACTS/listview1.txt"
check "enabled list columns" contains "$enabled" 'column 6 width=165 "热键"'
check "hidden clsid column" contains "$enabled" 'column 1 width=0 "clsid"'
check "pinyin enabled, first" contains "$enabled" 'row 0 "示例拼音输入法" "{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}" "0804" "{34745C63-B2F0-4784-8B67-5E12C8701A31}" "{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}" "00000000"'
check "US keyboard enabled" contains "$enabled" 'row 1 "US" "{00000000-0000-0000-0000-000000000000}" "0804"'
check "first enabled row selected" contains "$enabled" "selected 0"

disabled="$(q listview --id $kListView2)"
echo "$disabled" >"$E2E_ARTEFACTS/listview2.txt"
check "wubi disabled" contains "$disabled" 'row 0 "示例五笔输入法"'
check "IMM input method offered" contains "$disabled" 'row 1 "示例全拼输入法" "{00000000-0000-0000-0000-000000000000}" "0804" "{34745C63-B2F0-4784-8B67-5E12C8701A31}" "{00000000-0000-0000-0000-000000000000}" "E0200804"'
check "own layout 08040804 not offered" lacks "$disabled" "08040804"
check "two disabled rows" contains "$disabled" "count 2"

combo="$(q combo --id $kComboBoxLang)"
check "language combo items" contains "$combo" 'item 0 "中文(中华人民共和国)"'
check "language combo english" contains "$combo" 'item 1 "英语(美国)"'
check "language shown selected" contains "$combo" "selected 0"
check "status ready" contains "$(q status)" 'status "就绪"'
check "up disabled on first row" contains "$(q control --id $kButtonUp)" "enabled=0"
check "disable allowed with two rows" contains "$(q control --id $kButtonDisable)" "enabled=1"

# Colours as drawn: blue for the keyboard layout, green for the IMM input method.
# The client area's corner on the screen: Wine draws a frame and a caption above it.
origin="$(q window | sed -n 's/.* origin=\([0-9-]*\),\([0-9-]*\) .*/\1 \2/p')"
read -r wx wy <<<"$origin"
convert "$E2E_ARTEFACTS/sample.png" -crop "353x150+$((wx + 40))+$((wy + 32))" +repage \
    "$E2E_ARTEFACTS/list1.png"
convert "$E2E_ARTEFACTS/sample.png" -crop "353x112+$((wx + 40))+$((wy + 225))" +repage \
    "$E2E_ARTEFACTS/list2.png"
count_colour() {
    # Text is antialiased: count the pixels near the colour.
    convert "$1" -fuzz 25% -fill white +opaque "$2" -fill black -opaque "$2" \
        -format '%[fx:int(w*h*(1-mean))]' info:
}
check "blue keyboard layout row" test "$(count_colour "$E2E_ARTEFACTS/list1.png" 'rgb(0,0,255)')" -gt 10
check "green IMM row" test "$(count_colour "$E2E_ARTEFACTS/list2.png" 'rgb(0,128,0)')" -gt 10

check "profiles enumerated for 0804" contains -f "$E2E_LOGS/msctf.log" "EnumProfiles(0804)"
check "language query by full path" contains -f "$E2E_LOGS/powershell.log" \
    'WindowsPowerShell\v1.0\powershell.exe" -command "& {get-WinUserLanguageList | format-list -property languagetag,localizedname}"'

# Another language: its input methods.
q combo-select --id $kComboBoxLang --item 1 >/dev/null
q status --wait-for 就绪 >/dev/null
english="$(q listview --id $kListView1)"
check "english list" contains "$english" 'row 0 "US" "{00000000-0000-0000-0000-000000000000}" "0409"'
check "profiles enumerated for 0409" contains -f "$E2E_LOGS/msctf.log" "EnumProfiles(0409)"
screenshot english

# Refresh rebuilds from Windows.
before=$(grep -c TF_CreateInputProcessorProfiles "$E2E_LOGS/msctf.log")
q click --id $kButtonRefresh >/dev/null
after=$(grep -c TF_CreateInputProcessorProfiles "$E2E_LOGS/msctf.log")
check "refresh asks TSF again" test "$after" -gt "$before"
check "still english after refresh" contains "$(q combo --id $kComboBoxLang)" "selected 1"

# The About item of the system menu.
sysmenu="$(q sysmenu)"
check "about item, checked, last" contains "$sysmenu" "id=$kAboutCommandId enabled=1 checked=1 \"关于(&A)...\""
q syscommand --id $kAboutCommandId >/dev/null
box="$(qd msgbox)"
echo "$box" >"$E2E_ARTEFACTS/about.txt"
check "about caption" contains "$box" 'caption "Quillon 输入法设置工具"'
check "about text" contains "$box" 'text "支持系统：Windows10/11/Windows Server 2019/2021\r\r'
screenshot about
qd msgbox-press --id $IDOK >/dev/null
q wait-no-dialog >/dev/null

q syscommand --id $SC_CLOSE >/dev/null
check "closing ends the program" test "$(app_exit_code)" = 0
e2e_finish
