#!/usr/bin/env bash
# The command line: real command lines handed to the real exe exactly as written. Several
# commands in one run, a run stopped by an error (its message box answered here, exit status 1),
# the help window from "/?" and from its button, the language re-apply, remove_eng.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup command_line "$E2E_DIR/../fixtures/sample.reg"
PS="$E2E_LOGS/powershell.log"
MSCTF="$E2E_LOGS/msctf.log"
WUBI_CLSID='{7B6C3D20-4F5A-4B8C-8D2E-3F4A5B6C7D8E}'
WUBI_PROFILE='{7B6C3D21-4F5A-4B8C-8D2E-3F4A5B6C7D8E}'
PROFILE_KEY='HKEY_CURRENT_USER\Control Panel\International\User Profile'
DIRECT='HKEY_CURRENT_USER\Software\Microsoft\CTF\DirectSwitchHotkeys'
IMM='HKEY_CURRENT_USER\Control Panel\Input Method\Hot Keys'
TOGGLE='HKEY_CURRENT_USER\Keyboard Layout\Toggle'
LAYOUT='HKEY_CURRENT_USER\Keyboard Layout'

# run_line NAME ARGUMENTS [FOLDER]: quillon.exe with exactly ARGUMENTS after its quoted path (as
# cmd or a scheduled task passes them, unlike wine, which quotes and escapes each argument), in
# the current folder FOLDER (a Windows path) if given; prints "exit N" once the program ended.
run_line() {
    local file="$E2E_TMP/$1.line"
    printf '"%s" %s\n' "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$QUILLON")" "$2" >"$file"
    qd run --line-file "$(WINEPREFIX="$E2E_PREFIX" winepath -w "$file")" ${3:+--dir "$3"}
}

# --- several commands in one run ------------------------------------------------------------
OUT="$E2E_PREFIX/drive_c/out"
mkdir -p "$OUT"
# A save merges into the file it finds.
printf '\xEF\xBB\xBF[demo]\r\nkept=1\r\n\r\n' >"$OUT/setup.cfg"
check "a run of several commands ends with 0" test "$(run_line several \
    '/shift/bar:1 /ADD_NAME:示例五笔输入法 /move_name:"示例五笔输入法" 1 /hotkey_name:示例五笔输入法 ctrl 5 /switchkey:1 ctrl+shift 0 /layout:0 /export_enabled_list:C:\Out\Enabled.TXT /export_disabled_list:C:\missing\disabled.txt /savecfg:Setup.CFG' \
    'C:\out')" = "exit 0"
check "shift releases Caps Lock" key_holds "$LAYOUT" attributes '"Attributes"=dword:00010000'
check "the language bar command" eventually contains -f "$PS" \
    '-command "& {Set-WinLanguageBarOption -UseLegacyLanguageBar}"'
check "wubi enabled by its name" contains -f "$MSCTF" \
    "ActivateProfile(1, 0804, $WUBI_CLSID, $WUBI_PROFILE, 0x0, 0x1)"
check "wubi moved to the top by its quoted name" key_holds "$PROFILE_KEY" profile \
    "\"0804:$WUBI_CLSID$WUBI_PROFILE\"=dword:00000001"
direct="$(export_key "$DIRECT" direct)"
check "wubi's hotkey Ctrl+5" grep -qF -A5 "\"CLSID\"=\"$WUBI_CLSID\"" "$direct"
check "wubi's hotkey code" test "$(grep -A5 "\"CLSID\"=\"$WUBI_CLSID\"" "$direct" |
    grep -c -e '"Modifiers"="0000C002"' -e '"virtualkey"="00000035"')" = 2
imm="$(export_key "$IMM" imm)"
check "IME on/off is Ctrl+Shift+0" grep -qF -A2 '\00000010]' "$imm"
check "IME on/off bytes" test "$(grep -A3 '\\00000010\]' "$imm" |
    grep -c -e '"Key Modifiers"=hex:06,c0,00,00' -e '"Virtual Key"=hex:30,00,00,00')" = 2
check "switching layouts disabled" key_holds "$TOGGLE" toggle '"Layout Hotkey"="3"'
check "enabled list exported under a lower-case name, in list order" \
    cmp <(printf '示例五笔输入法\r\n示例拼音输入法\r\nUS\r\n' | iconv -f UTF-8 -t GBK) "$OUT/enabled.txt"
check "no export into a missing folder" test ! -e "$E2E_PREFIX/drive_c/missing"
cp "$OUT/setup.cfg" "$E2E_ARTEFACTS/setup.cfg" 2>/dev/null || true
check "saved into the current folder, with wubi's new hotkey" grep -qE \
    "^[0-9]+=示例五笔输入法\|$WUBI_CLSID\|0804\|.*\|Ctrl\+5.\$" "$OUT/setup.cfg"
check "merged into the file found there" grep -qF '[demo]' "$OUT/setup.cfg"

# --- an error stops the run there; exit status 1 once its message is closed --------------------
run_line error '/layout:2 /add_num:x /bar:0' >"$E2E_TMP/error.out" &
runner=$!
box="$(qd msgbox)"
check "conversion error shown" contains "$box" \
    "text \"'x' is not a valid integer value for Integer type\""
check "in the standard error box" contains "$box" 'caption "Quillon 输入法设置工具"'
check "the main window stays hidden" contains "$(q window)" "visible=0"
qd msgbox-press --id $IDOK >/dev/null
wait "$runner"
check "exit status 1" test "$(cat "$E2E_TMP/error.out")" = "exit 1"
check "the argument left of the error kept" key_holds "$TOGGLE" toggle-error '"Layout Hotkey"="1"'
check "the argument right of it not carried out" lacks -f "$PS" \
    '-command "& {Set-WinLanguageBarOption}"'

# --- the help window ------------------------------------------------------------------------
run_line help '/?' >"$E2E_TMP/help.out" &
runner=$!
qh wait-visible >/dev/null
window="$(qh window)"
check "help caption" contains "$window" 'caption="帮助"'
check "help client area" contains "$window" "client=626x443"
check "the main window not shown" contains "$(q window)" "visible=0"
check "close is the default button" contains "$(qh control --id $kHelpClose)" 'style=defpushbutton'
text="$(qh text --id $kHelpText)"
check "help text" contains "$text" 'text "Quillon 帮助\r\n'
check "the word lists in the text" contains "$text" '\r\nctrl+alt+shift\r\n'
link_width="$(qh control --id $kHelpLink | sed -n 's/.* rect=24,418,\([0-9]*\)x17 .*/\1/p')"
check "the link wide enough for the whole address" test "${link_width:-0}" -gt 122
address="$(sed -n 's/^#define QUILLON_ADDRESS "\(.*\)"$/\1/p' "$BUILD_DIR/generated/core/version.h")"
check "the web link" contains "$(qh control --id $kHelpLink)" "$address</a>"
screenshot help
qh click --id $kHelpClose >/dev/null
wait "$runner"
check "/? ends with 0 once the help is closed" test "$(cat "$E2E_TMP/help.out")" = "exit 0"

# --- the help button of the main window -----------------------------------------------------
start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
q click --id $kSpeedButton1 >/dev/null
qh wait-visible >/dev/null
check "the main window waits for the help" contains "$(q window)" "enabled=0"
qh syscommand --id $SC_CLOSE >/dev/null
main_enabled() { contains "$(q window)" "enabled=1"; }
check "closed by its close box" eventually main_enabled
check "hidden again" contains "$(qh window)" "visible=0"
q click --id $kSpeedButton1 >/dev/null
qh wait-visible >/dev/null
qh click --id $kHelpClose >/dev/null
check "closed by its button" eventually main_enabled
q syscommand --id $SC_CLOSE >/dev/null
check "the window run ends with 0" test "$(app_exit_code)" = 0

# --- the start-up arguments -----------------------------------------------------------------
profiles="$(grep -c 'EnumProfiles(0804)' "$MSCTF")"
check "/r ends with 0" test "$(run_line refresh '/r')" = "exit 0"
check "/r re-applies the language list by full path" eventually contains -f "$PS" \
    'WindowsPowerShell\v1.0\powershell.exe" -command "& {get-WinUserLanguageList | Set-WinUserLanguageList -Force}"'
check "/r runs no refresh" test "$(grep -c 'EnumProfiles(0804)' "$MSCTF")" = "$profiles"

check "/remove_eng ends with 0" test "$(run_app /remove_eng)" = 0
check "/remove_eng reads 0804 twice (start-up, after unloading; its backup reads no TSF)" \
    test "$(grep -c 'EnumProfiles(0804)' "$MSCTF")" = $((profiles + 2))

# --- the help window at 144 dpi -------------------------------------------------------------
set_wine_value 'HKEY_CURRENT_USER\Control Panel\Desktop' LogPixels dword:00000090
run_line help144 '/help' >"$E2E_TMP/help144.out" &
runner=$!
qh wait-visible >/dev/null
check "help client area at 144 dpi" contains "$(qh window)" "client=939x665"
check "close button at 144 dpi" contains "$(qh control --id $kHelpClose)" "rect=408,621,113x38"
check "text field at 144 dpi" contains "$(qh control --id $kHelpText)" "rect=0,0,939x612"
screenshot help144
qh click --id $kHelpClose >/dev/null
wait "$runner"
check "/help ends with 0" test "$(cat "$E2E_TMP/help144.out")" = "exit 0"
e2e_finish
