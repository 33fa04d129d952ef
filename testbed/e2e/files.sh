#!/usr/bin/env bash
# The files through the real window and its real file dialog: both lists exported, the
# configuration saved (its bytes checked), the overwrite question answered No, a file loaded
# that reorders the list and sets a hotkey, a switching key and the default, a broken file
# refused with nothing changed, and the saved file loaded back to the same setup.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup files "$E2E_DIR/../fixtures/sample.reg"
OUT="$E2E_PREFIX/drive_c/exports"
mkdir -p "$OUT"
PROFILE_KEY='HKEY_CURRENT_USER\Control Panel\International\User Profile'
DIRECT='HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys'
TOGGLE='HKEY_CURRENT_USER\Keyboard Layout\Toggle'
PS="$E2E_LOGS/powershell.log"
PINYIN='{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}'
NULL='{00000000-0000-0000-0000-000000000000}'
CAT='{34745C63-B2F0-4784-8B67-5E12C8701A31}'

# A name the ANSI code page (936) cannot hold entirely.
set_wine_value 'HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layouts\E0200804' \
    'Layout Text' '"示例ก全拼"'

# The names a list shows, one a line.
names() {
    q listview --id "$1" | sed -n 's/^row [0-9]* "\([^"]*\)".*/\1/p'
}

# Text as the program writes configuration files: byte-order mark, CR LF.
as_cfg() {
    printf '\xEF\xBB\xBF'
    sed 's/$/\r/'
}

menu() {
    q dropdown --caption 其它功能 --then menu-pick --text "$1" >/dev/null
}

# After a load: the window takes input again and says so.
load_done() {
    contains "$(q window)" "enabled=1" && test "$(q status)" = 'status "就绪"'
}

start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
wait_languages

# ---- list export ----
menu 导出启用的输入法列表
dialog="$(q file-dialog --path 'C:\exports\enabled')"
check "list dialog title" contains "$dialog" 'caption "导出输入法列表"'
q status >/dev/null # the handler has finished
check "extension appended" test -f "$OUT/enabled.txt"
check "enabled names in GBK, CR LF, no mark" \
    cmp <(names $kListView1 | sed 's/$/\r/' | iconv -f UTF-8 -t GBK) "$OUT/enabled.txt"

q context-menu --id $kListView2 --then menu-pick --text 导出输入法列表 >/dev/null
dialog="$(q file-dialog --path 'C:\exports\disabled.txt')"
check "the last name offered" contains "$dialog" 'name "enabled.txt"'
q status >/dev/null
check "disabled names, ? for what GBK lacks" \
    cmp <(names $kListView2 | sed 's/ก/?/; s/$/\r/' | iconv -f UTF-8 -t GBK) "$OUT/disabled.txt"
check "the name with ? is there" grep -qF "$(printf '示例?全拼\r' | iconv -f UTF-8 -t GBK)" \
    "$OUT/disabled.txt"

# ---- configuration save ----
menu 导出配置
dialog="$(q file-dialog --path 'C:\exports\setup')"
check "save dialog title" contains "$dialog" 'caption "导出配置"'
q status >/dev/null
check "saved as .cfg" test -f "$OUT/setup.cfg"
cp "$OUT/setup.cfg" "$E2E_ARTEFACTS/setup.cfg"
check "the file's bytes" cmp "$OUT/setup.cfg" <(as_cfg <<EOF
[0804_list]
1=示例拼音输入法|{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}|0804|$CAT|{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}|00000000|Ctrl+1
2=US|$NULL|0804|$CAT|$NULL|04090804|

[0804_disabled]
1=示例五笔输入法|{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}|0804|$CAT|{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}|00000000
2=示例ก全拼|$NULL|0804|$CAT|$NULL|E0200804

[0804_switchkey]
layout=Ctrl+Shift
language=Alt+Shift
CAPS=Caps Lock
Ime/NonIme Toggle=Ctrl+SPACE
Symbol Toggle=左Alt+SPACE
Shape Toggle=Ctrl+.

[0804_other]
SwitchMode=0
LanguageBar=0
InputEmoji=1
DefaultIME=1

[0409_list]
1=US|$NULL|0409|$CAT|$NULL|04090409|

[0409_switchkey]
layout=Ctrl+Shift
language=Alt+Shift
CAPS=Caps Lock
Ime/NonIme Toggle=none
Symbol Toggle=none
Shape Toggle=none

[0409_other]
SwitchMode=0
LanguageBar=0
InputEmoji=1
DefaultIME=0

EOF
)
check "the window ends on the last language, as after an import" contains "$(q combo --id $kComboBoxLang)" "selected 1"

# The same name again: asked first; No leaves the file as it was.
menu 导出配置
dialog="$(q file-dialog --path 'C:\exports\setup.cfg')"
check "the saved name offered" contains "$dialog" 'name "setup.cfg"'
box="$(qd msgbox)"
check "overwrite question" contains "$box" 'text "C:\\exports\\setup.cfg\r文件已存在，是否覆盖？"'
check "question caption" contains "$box" 'caption "确认"'
qd msgbox-press --id $IDNO >/dev/null
q wait-no-dialog >/dev/null
check "file unchanged after No" cmp "$OUT/setup.cfg" "$E2E_ARTEFACTS/setup.cfg"

# ---- configuration load ----
# The US keyboard first, a hotkey for pinyin, layout switching off, and the file's first row
# (the US keyboard) the default: a default names the file's own row, wherever Windows shows it.
as_cfg >"$OUT/load.cfg" <<EOF
; hand-written
[0804_list]
1=US|$NULL|0804|$CAT|$NULL|04090804
2=示例拼音输入法|{6A5B2C10-3E4F-4A7B-9C1D-2E3F4A5B6C7D}|0804|$CAT|{6A5B2C11-3E4F-4A7B-9C1D-2E3F4A5B6C7D}|00000000|ctrl+shift+3

[0804_SWITCHKEY]
Layout=DISABLE

[0804_other]
DefaultIME=1
EOF
menu 导入配置
dialog="$(q file-dialog --path 'C:\exports\load')"
check "load dialog title" contains "$dialog" 'caption "导入配置"'
check "default set to the US keyboard" eventually contains -f "$PS" \
    "Set-WinDefaultInputMethodOverride '0804:00000409'"
check "load finished" eventually load_done
reg="$(export_key "$PROFILE_KEY" after-load)"
check "US keyboard first" contains -f "$reg" '"0804:00000409"=dword:00000001'
check "pinyin second" contains -f "$reg" "\"0804:$PINYIN\"=dword:00000002"
check "default override" contains -f "$reg" '"InputMethodOverride"="0804:00000409"'
direct="$(export_key "$DIRECT" direct-after-load)"
check "pinyin hotkey modifiers" contains -f "$direct" '"Modifiers"="0000C006"'
check "pinyin hotkey key" contains -f "$direct" '"virtualkey"="00000033"'
check "layout switching off" key_holds "$TOGGLE" toggle-after-load '"Layout Hotkey"="3"'
check "the last language shown" contains "$(q combo --id $kComboBoxLang)" "selected 1"

# A broken file: one message, nothing applied.
as_cfg >"$OUT/broken.cfg" <<EOF
[0804_switchkey]
layout=alt+shift
[0804_list]
1=US|$NULL|0804
EOF
before_profile="$(export_key "$PROFILE_KEY" before-broken)"
before_toggle="$(export_key "$TOGGLE" toggle-before-broken)"
menu 导入配置
q file-dialog --path 'C:\exports\broken.cfg' >/dev/null
box="$(qd msgbox)"
check "broken file refused, naming file, line, section and key" contains "$box" \
    'text "配置文件“C:\\exports\\broken.cfg”有错误，没有导入任何设置。\r第 4 行，节“0804_list”，键“1”：'
qd msgbox-press --id $IDOK >/dev/null
q wait-no-dialog >/dev/null
check "profile unchanged" diff "$before_profile" "$(export_key "$PROFILE_KEY" after-broken)"
check "switching keys unchanged" diff "$before_toggle" \
    "$(export_key "$TOGGLE" toggle-after-broken)"

# The file saved first brings the first setup back.
menu 导入配置
q file-dialog --path 'C:\exports\setup.cfg' >/dev/null
# (The override is set by PowerShell in its own time, and the save reads it.)
check "pinyin the default again" eventually key_holds "$PROFILE_KEY" override-again \
    "\"InputMethodOverride\"=\"0804:$PINYIN\""
check "second load finished" eventually load_done
menu 导出配置
q file-dialog --path 'C:\exports\again.cfg' >/dev/null
q status >/dev/null
cp "$OUT/again.cfg" "$E2E_ARTEFACTS/again.cfg"
check "saved again: the same setup" cmp "$OUT/again.cfg" "$E2E_ARTEFACTS/setup.cfg"
screenshot files

q syscommand --id $SC_CLOSE >/dev/null
check "exit code 0" test "$(app_exit_code)" = 0
e2e_finish
