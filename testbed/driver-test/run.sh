#!/usr/bin/env bash
# End-to-end test of the window driver: starts driver-target.exe in a throwaway Wine prefix,
# reads and drives it with qdriver.exe, and checks both what the driver prints and what the
# target logged. Usage: run.sh QDRIVER.EXE DRIVER-TARGET.EXE
set -euo pipefail

qdriver="$1"
target_exe="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../wine-prefix.sh"

work="$(mktemp -d /tmp/quillon-driver.XXXXXX)"
prefix="$work/prefix"
log="$work/target.log"
target_pid=""

cleanup() {
    # The prefix's wineserver takes every Wine process of the prefix with it.
    if [ -d "$prefix" ]; then
        stop_prefix "$prefix"
    fi
    if [ -n "$target_pid" ]; then
        wait "$target_pid" 2>/dev/null || true
    fi
    stop_display
    rm -rf "$work"
}
trap cleanup EXIT

start_display
new_prefix "$prefix"
export WINEPREFIX="$prefix"
touch "$log"
$WINE "$target_exe" "$(winepath -w "$log")" >"$work/target.out" 2>&1 &
target_pid=$!

passed=0
failed=0
pass() { passed=$((passed + 1)); }
failure() {
    failed=$((failed + 1))
    echo "FAIL: $*" >&2
}

# Runs qdriver against the target window; its stdout goes to $out, its exit code to $rc.
out=""
err=""
rc=0
q() {
    set +e
    out="$($WINE "$qdriver" --window-class QDriverTargetForm --timeout 30000 "$@" 2>"$work/err")"
    rc=$?
    set -e
    err="$(cat "$work/err")"
}

# q, and the command must succeed.
run() {
    q "$@"
    if [ "$rc" -ne 0 ]; then
        failure "qdriver $* exited $rc: $err"
        return 1
    fi
}

# Each argument must be a whole line of the last output.
expect_lines() {
    local line ok=1
    for line in "$@"; do
        if ! grep -qxF -- "$line" <<<"$out"; then
            failure "missing output line: $line"
            ok=0
        fi
    done
    if [ "$ok" = 1 ]; then
        pass
    else
        printf '%s\n' "--- output was:" "$out" >&2
    fi
}

expect_match() {
    if grep -qE -- "$1" <<<"$out"; then
        pass
    else
        failure "no output line matches: $1"
        printf '%s\n' "--- output was:" "$out" >&2
    fi
}

expect_output_contains() {
    if grep -qF -- "$1" <<<"$out"; then
        pass
    else
        failure "output lacks: $1"
        printf '%s\n' "--- output was:" "$out" >&2
    fi
}

# The command must fail, and say why on stderr.
expect_failure() {
    local why="$1"
    shift
    q "$@"
    if [ "$rc" -ne 0 ] && grep -qF -- "$why" <<<"$err"; then
        pass
    else
        failure "qdriver $* should fail with \"$why\"; exit $rc, stderr: $err"
    fi
}

# The target writes its log as it handles the input, so a line may come a moment after the
# driver returns: wait for it, within a generous limit.
expect_log() {
    local line
    for line in "$@"; do
        local i
        for i in $(seq 1 300); do
            grep -qxF -- "$line" "$log" && break
            sleep 0.1
        done
        if grep -qxF -- "$line" "$log"; then
            pass
        else
            failure "the target did not log: $line"
            sed 's/^/  log: /' "$log" >&2
        fi
    done
}

# The log lines in this order (others may come between them).
expect_log_order() {
    expect_log "$@"
    local expected actual
    expected="$(printf '%s\n' "$@")"
    actual="$(grep -xF -f <(printf '%s\n' "$@") "$log" | tail -n "$#")"
    if [ "$expected" = "$actual" ]; then
        pass
    else
        failure "log order: expected [$expected], got [$actual]"
    fi
}

log_lines() { wc -l <"$log"; }

# --- finding the window ---------------------------------------------------------------------
run wait-visible --then window && expect_match \
    '^window class="QDriverTargetForm" caption="驱动测试窗口 driver target" visible=1 enabled=1 iconic=0 client=600x320 rect=-?[0-9]+,-?[0-9]+,[0-9]+x[0-9]+ origin=-?[0-9]+,-?[0-9]+ pid=[0-9]+$'
pid="$(sed -n 's/.* pid=\([0-9]*\)$/\1/p' <<<"$out")"
expect_log started

set +e
by_title="$($WINE "$qdriver" --title-prefix 驱动测试 window)"
by_pid="$($WINE "$qdriver" --pid "$pid" window)"
set -e
if [ "$by_title" = "$out" ] && [ "$by_pid" = "$out" ]; then pass; else
    failure "the window found by caption prefix or pid differs: [$by_title] [$by_pid] [$out]"
fi
expect_failure "no window of class NoSuchClass appeared" \
    --window-class NoSuchClass --timeout 500 window

# --- the window tree --------------------------------------------------------------------------
run tree && expect_lines \
    'QDriverTargetForm id=0 rect=0,0,600x320 visible=1 enabled=1 caption="驱动测试窗口 driver target"' \
    '  Button id=100 rect=8,8,420x170 visible=1 enabled=1 style=groupbox caption=" 启用的输入法 "' \
    '  SysListView32 id=101 rect=16,28,300x140 visible=1 enabled=1 caption=""' \
    '  Button id=301 rect=330,28,90x25 visible=1 enabled=1 style=pushbutton check=0 caption="上移"' \
    '  Button id=304 rect=330,118,90x25 visible=1 enabled=0 style=pushbutton check=0 caption="禁用的按钮"' \
    '  Button id=401 rect=440,60,140x20 visible=1 enabled=1 style=autocheckbox check=0 caption="使用桌面语言栏"' \
    '  Button id=501 rect=440,90,100x25 visible=1 enabled=1 style=splitbutton check=0 caption="其它功能"'
expect_output_contains '    SysHeader32 id=0 '
expect_output_contains '  msctls_statusbar32 id=801 '
# Buttons in creation order: the group box, then 上移, then 消息.
run control --class Button --index 2 && expect_match '^Button id=302 .* caption="消息"$'

# --- hints ----------------------------------------------------------------------------------
run tooltips && expect_lines \
    'tool control=301 "上移选中的行\r\n第二行"' \
    'tool rect=330,118,90x25 "按钮已禁用"'

# --- list views -------------------------------------------------------------------------------
run listview --id 101 && expect_lines \
    'count 3' \
    'column 0 width=140 "名称"' \
    'column 1 width=0 "clsid"' \
    'column 2 width=120 "热键"' \
    'row 0 "微软拼音" "{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}" "Ctrl+Shift+1"' \
    'row 1 "English (US)" "{00000000-0000-0000-0000-000000000000}" ""' \
    'row 2 "五笔 \"86\" 版" "{6A498709-E00B-4C45-A018-8F9E4081AE40}" "Alt+2"' \
    'selected -1' \
    'focused -1'
# The second list view by class and index; with no control given, the first list view.
run listview --class SysListView32 --index 1 && expect_lines 'count 1' 'row 0 "日本語 IME"'
run listview && expect_lines 'count 3'

run lv-select --id 101 --row 2 --then listview --id 101 && expect_lines 'selected 2' 'focused 2'
expect_log 'select 101 2'
run lv-dblclick --id 101 --row 0 --then listview --id 101 && expect_lines 'selected 0' 'focused 0'
expect_log_order 'select 101 0' 'dblclick 101 0'
run lv-click --class SysListView32 --index 1 --row 0 && expect_log 'select 102 0'
expect_failure "row 7 is not in the list" lv-select --id 101 --row 7
expect_failure "is a ComboBox, not a SysListView32" listview --id 201

# --- combo box and status bar -----------------------------------------------------------------
run combo --id 201 && expect_lines \
    'count 4' 'item 0 "Alt+Shift"' 'item 1 "Ctrl+Shift"' 'item 2 "禁用"' 'item 3 "`"' 'selected 1'
run status && expect_lines 'status "就绪"'
run combo-select --id 201 --text 禁用 --then combo --id 201 && expect_lines 'selected 2'
expect_log_order 'combo 201 selendok 2' 'combo 201 selchange 2'
run status --wait-for '已选择：禁用' && expect_lines 'status "已选择：禁用"'
run combo-select --item 0 && expect_log 'combo 201 selchange 0'
expect_failure 'has no item "Win+Space"' combo-select --id 201 --text Win+Space

# --- buttons and check box --------------------------------------------------------------------
run click --caption 上移 && expect_log 'click 301 上移'
run click --id 401 --then control --id 401 && expect_lines \
    'Button id=401 rect=440,60,140x20 visible=1 enabled=1 style=autocheckbox check=1 caption="使用桌面语言栏"'
expect_log 'check 401 1'
before="$(log_lines)"
expect_failure 'is disabled' click --caption 禁用的按钮
expect_failure 'no control caption "没有这个按钮"' --timeout 500 click --caption 没有这个按钮
if [ "$(log_lines)" = "$before" ]; then pass; else failure "a refused click reached the target"; fi

# --- context menu of the list view ------------------------------------------------------------
context_menu=(
    'item 0 id=701 enabled=1 checked=0 "禁用"'
    'item 1 separator'
    'item 2 id=702 enabled=0 checked=0 "设置为默认输入法"'
    'item 3 id=703 enabled=1 checked=1 "热键"'
    'item 4 separator'
    'item 5 id=704 enabled=1 checked=0 "导出输入法列表"'
)
run context-menu --id 101 --row 1 && expect_lines "${context_menu[@]}"
expect_log 'context 101 row 1'
run menu && expect_lines "${context_menu[@]}"
expect_failure 'is disabled' menu-pick --text 设置为默认输入法
run menu-pick --text 热键 && expect_log_order 'context 101 row 1' 'menu 703'
run context-menu --id 101 --then menu-pick --text 导出输入法列表 && expect_log 'menu 704'
run context-menu --id 101 --then menu-close && expect_log 'menu none'
expect_failure 'no popup menu opened' --timeout 500 menu

# --- split button -----------------------------------------------------------------------------
run dropdown --id 501 && expect_lines \
    'item 0 id=601 enabled=1 checked=0 "删除顽固的英语美式键盘"' \
    'item 1 id=602 enabled=1 checked=0 "导出启用的输入法列表"' \
    'item 2 separator' \
    'item 3 id=603 enabled=0 checked=0 "导出配置"' \
    'item 4 id=604 enabled=1 checked=0 "导入配置"'
run menu-pick --text 导入配置 && expect_log_order 'dropdown 501' 'menu 604'
run dropdown --caption 其它功能 --then menu-pick --index 0 && expect_log 'menu 601'
expect_failure 'is not a split button' dropdown --id 301

# --- message boxes ----------------------------------------------------------------------------
run click --caption 消息 --then msgbox && expect_lines \
    'caption "驱动测试"' \
    'text "确认删除吗？\r第二行"' \
    'button id=6 "是(&Y)"' \
    'button id=7 "否(&N)"'
# While the message box is open the window behind it takes no input.
expect_failure 'is in a disabled window' click --caption 上移
run msgbox-press --button 否 --then wait-no-dialog && expect_log 'msgbox 7'
run click --caption 消息 --then msgbox-press --id 6 --then wait-no-dialog && expect_log 'msgbox 6'

# --- system menu ------------------------------------------------------------------------------
# The About item ends the system menu, after a separator.
run sysmenu && expect_match '^item [0-9]+ id=61536 enabled=1 checked=0 "关闭\(&C\)'
out="$(tail -n 2 <<<"$out")"
expect_match '^item [0-9]+ separator$'
expect_match '^item [0-9]+ id=1025 enabled=1 checked=1 "关于\(&A\)\.\.\."$'

run syscommand --text '关于(&A)...' --then msgbox && expect_lines \
    'caption "关于"' 'text "驱动测试窗口\r版本 1"'
expect_log about
run msgbox-press --id 1 --then wait-no-dialog && pass

# --- file dialog ------------------------------------------------------------------------------
saved="$(winepath -w "$work/导出.txt")"
run click --caption 导出 --then file-dialog --path "$saved" &&
    expect_lines 'caption "导出输入法列表"' 'name ""'
expect_log "save $saved"
run click --caption 导出 --then file-dialog --cancel && expect_log 'save cancelled'

# --- command line -----------------------------------------------------------------------------
q no-such-command
if [ "$rc" = 2 ] && grep -qF 'unknown command no-such-command' <<<"$err"; then pass; else
    failure "an unknown command gave exit $rc: $err"
fi
expect_failure 'unknown option --row for click' click --row 1

# --- starting a program -----------------------------------------------------------------------
printf 'C:\\windows\\system32\\cmd.exe /c exit 3\n' >"$work/line.txt"
run run --line-file "$(winepath -w "$work/line.txt")" && expect_lines "exit 3"

# --- texts (last: they change a caption) -----------------------------------------------------
run text --id 302 && expect_lines 'text "消息"'
run set-text --id 302 --text 改过 --then text --id 302 && expect_lines 'text "改过"'

# --- closing ----------------------------------------------------------------------------------
run syscommand --id 0xF060 --then wait-gone && expect_log closed
wait "$target_pid" 2>/dev/null || true
target_pid=""

echo "driver: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
