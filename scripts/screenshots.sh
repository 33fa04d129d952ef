#!/usr/bin/env bash
# Takes the user guide's pictures (docs/images/*.png) from the real quillon.exe in the Wine test
# bed, on the sample setup, always on a virtual display of its own: the main window, its two
# menus, the hotkey dialog for an input method and for a switching key, the help window and the
# About box.
# Run it after a change to what a window shows, and commit the pictures with the change;
# unchanged windows give unchanged files (the PNGs carry no time stamp).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"

bash scripts/setup-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" >/dev/null

unset DISPLAY
export BUILD_DIR="$repo/build/windows"
source testbed/e2e/lib.sh
e2e_setup guide-screenshots testbed/fixtures/sample.reg
out="$repo/docs/images"
mkdir -p "$out"

# rect_of LINE: "LEFT TOP WIDTH HEIGHT" of the rect=L,T,WxH in a line of the driver's.
rect_of() {
    sed -n 's/.* rect=\([0-9-]*\),\([0-9-]*\),\([0-9]*\)x\([0-9]*\).*/\1 \2 \3 \4/p' <<<"$1"
}

# shot NAME WINDOW-LINE [MENU-LINE]: the window that the driver's `window` line describes and,
# given the `menu-rect` line of its open menu, the menu. Each is cut out by its own rectangle:
# a menu that reaches below the window leaves the screen beside it, under the window, inside
# the rectangle around both, and that part is made transparent rather than shown (black).
shot() {
    local left top width height
    read -r left top width height <<<"$(rect_of "$2")"
    xdotool mousemove 0 0 2>/dev/null || true
    sleep 0.5
    if [ -z "${3:-}" ]; then
        import -window root -crop "${width}x${height}+${left}+${top}" +repage -strip "$out/$1.png"
        echo "$out/$1.png"
        return
    fi
    local mleft mtop mwidth mheight
    read -r mleft mtop mwidth mheight <<<"$(rect_of "$3")"
    local x0=$((left < mleft ? left : mleft)) y0=$((top < mtop ? top : mtop))
    local x1=$((left + width > mleft + mwidth ? left + width : mleft + mwidth))
    local y1=$((top + height > mtop + mheight ? top + height : mtop + mheight))
    import -window root -crop "$((x1 - x0))x$((y1 - y0))+${x0}+${y0}" +repage png:- |
        convert png:- \( -size "$((x1 - x0))x$((y1 - y0))" xc:black -fill white \
            -draw "rectangle $((left - x0)),$((top - y0)) $((left - x0 + width - 1)),$((top - y0 + height - 1))" \
            -draw "rectangle $((mleft - x0)),$((mtop - y0)) $((mleft - x0 + mwidth - 1)),$((mtop - y0 + mheight - 1))" \) \
            -alpha off -compose CopyOpacity -composite -strip "$out/$1.png"
    echo "$out/$1.png"
}

# A configuration file that differs from the machine in one setting, for the differences
# window: saved while Shift releases Caps Lock, then Caps Lock set back.
mkdir -p "$E2E_PREFIX/drive_c/out"
run_app /shift '/savecfg:C:\out\setup.cfg' /caps >/dev/null

start_app
q wait-visible --then status --wait-for 就绪 >/dev/null
wait_languages
shot main "$(q window)"

q context-menu --id 101 --row 0 >/dev/null
shot menu-enabled "$(q window)" "$(q menu-rect)"
q menu-close >/dev/null

q dropdown --caption 其它功能 >/dev/null
shot menu-other "$(q window)" "$(q menu-rect)"
q menu-close >/dev/null

q lv-select --id 101 --row 0 --then click --id 104 >/dev/null
dlg 示例拼音输入法 wait-visible >/dev/null
shot hotkey-dialog "$(dlg 示例拼音输入法 window)"
dlg 示例拼音输入法 click --id 2 >/dev/null
dlg 示例拼音输入法 wait-gone

q click --id 128 >/dev/null
dlg 打开/关闭输入法 wait-visible >/dev/null
shot hotkey-toggle "$(dlg 打开/关闭输入法 window)"
dlg 打开/关闭输入法 click --id 2 >/dev/null
dlg 打开/关闭输入法 wait-gone

q click --id 114 >/dev/null
qh wait-visible >/dev/null
shot help "$(qh window)"
qh syscommand --id 0xF060 >/dev/null
# The help window is only hidden; the main window takes input again once it is.
main_enabled() { contains "$(q window)" "enabled=1"; }
eventually main_enabled

q syscommand --id 1025 >/dev/null
qd msgbox >/dev/null
shot about "$(dlg 'Quillon 输入法设置工具' window)"
qd msgbox-press --id 1 >/dev/null
q wait-no-dialog >/dev/null

q dropdown --caption 其它功能 --then menu-pick --text 检查配置差异… >/dev/null
q file-dialog --path 'C:\out\setup.cfg' >/dev/null
qdr wait-visible >/dev/null
shot drift "$(qdr window)"
qdr click --id 403 >/dev/null

q syscommand --id 0xF060 >/dev/null
app_exit_code >/dev/null
