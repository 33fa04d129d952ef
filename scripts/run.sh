#!/usr/bin/env bash
# Builds quillon.exe and starts it under Wine on the sample setup. Without DISPLAY it runs on
# a virtual display, saves a screenshot (its path is printed) and closes the program again;
# with a display it stays open until you close it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"

bash scripts/setup-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"

source testbed/wine-prefix.sh
headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
fi
prefix="$repo/build/demo-prefix"
cleanup() {
    stop_prefix "$prefix"
    stop_display
}
trap cleanup EXIT
start_display
new_prefix "$prefix"
if [ -f testbed/standins.sh ]; then
    source testbed/standins.sh
    install_standins "$prefix" "$repo/build/windows"
fi
for f in testbed/fixtures/sample.reg; do
    [ -f "$f" ] && import_reg "$prefix" "$f"
done

exe="$repo/build/windows/src/app/win32/quillon.exe"
if [ "$headless" = 0 ]; then
    WINEPREFIX="$prefix" $WINE "$exe" "$@"
    exit 0
fi

WINEPREFIX="$prefix" $WINE "$exe" "$@" &
app=$!
shot="$repo/build/screenshots/quillon-sample.png"
mkdir -p "$(dirname "$shot")"
# Wait until the main window is up, then let it paint.
for _ in $(seq 1 120); do
    if xwininfo -root -tree 2>/dev/null | grep -q 'Quillon'; then
        break
    fi
    sleep 0.5
done
# Keep the pointer off the window so no tooltip covers it.
xdotool mousemove 0 0 2>/dev/null || true
sleep 2
import -window root "$shot"
echo "Screenshot: $shot"
kill "$app" 2>/dev/null || true
