#!/usr/bin/env bash
# The hints: attached to the controls with their texts, and shown by a button that is
# disabled (a disabled control gets no mouse messages; its hint hangs on its place on the
# window too).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup hints "$E2E_DIR/../fixtures/sample.reg"
NOTE_TEXT='注意：在对蓝色的美式键盘布局进行操作后需要稍等三四秒方可刷新完毕。'
DISABLE_HINT="\"$NOTE_TEXT\\r\\n快捷键：在启用的输入法列表中按 Delete。\""
ENABLE_HINT="\"$NOTE_TEXT\\r\\n快捷键：在禁用的输入法列表中按 Enter。\""
SWITCH='"热键修改后只对新开窗口有效；可以设置单独的左/右控制键组合，但重启后会恢复为左右双键控制，\r\n需要运行本程序点击一下刷新按钮。也可以从命令行运行 quillon /r 直接刷新。"'

# rect_of ID: the control's place in the window, as the driver prints it.
rect_of() {
    q control --id "$1" | sed -n 's/.* rect=\([0-9,x]*\) .*/\1/p'
}

xdotool mousemove 0 0
start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
wait_languages
tips="$(q tooltips)"
echo "$tips" >"$E2E_ARTEFACTS/tooltips.txt"
for pair in "$kButtonDisable $DISABLE_HINT" "$kButtonEnable $ENABLE_HINT"; do
    id="${pair%% *}"
    hint="${pair#* }"
    check "hint on button $id" contains "$tips" "tool control=$id $hint"
    check "hint on the place of button $id" contains "$tips" "tool rect=$(rect_of "$id") $hint"
done
check "hint on 热键" contains "$tips" \
    "tool control=$kButtonHotkey \"TSF架构的输入法与旧的IMM架构输入法热键可用范围不同。\r\n快捷键：在启用的输入法列表中按 Enter。\""
check "the shortcut in the hint of 刷新" contains "$tips" "tool control=$kButtonRefresh \"快捷键：F5。\""
check "the shortcut in the hint of the help button" contains "$tips" "tool control=$kSpeedButton1 \"帮助。快捷键：F1。\""
check "hint on the toggles" contains "$tips" "tool control=$kButtonSW1 $SWITCH"
check "hint with three lines" contains "$tips" \
    "tool control=$kListView1 \"粗体表示已设置为默认输入法，可从右键菜单里设置。\r\n蓝色表示美式键盘布局。\r\n双击可打开选中输入法的热键设置。\""

# US English has one input method: 禁用 is disabled, and resting the mouse on it still shows
# its hint.
q combo-select --id $kComboBoxLang --text '英语(美国)' >/dev/null
check "禁用 disabled" contains "$(q control --id $kButtonDisable)" "enabled=0"
read -r ox oy < <(q window | sed -n 's/.* origin=\([0-9-]*\),\([0-9-]*\) .*/\1 \2/p')
IFS=',x' read -r bx by bw bh <<<"$(rect_of $kButtonDisable)"
xdotool mousemove $((ox + bx + bw / 2)) $((oy + by + bh / 2))
shown_note() { contains "$(q tooltips)" "shown $DISABLE_HINT"; }
check "hint of the disabled 禁用 shown" eventually shown_note
import -window root "$E2E_ARTEFACTS/disabled-hint.png"
xdotool mousemove 0 0

q syscommand --id $SC_CLOSE >/dev/null
check "exit code 0" test "$(app_exit_code)" = 0
e2e_finish
