#!/usr/bin/env bash
# Builds quillon.exe and starts it under Wine on the sample setup. Without DISPLAY it runs on
# a virtual display, saves a screenshot (its path is printed) and closes the program again;
# with a display it stays open until you close it. Whatever it started it ends again on every
# way out (a failed build, a window that never appears, Ctrl+C).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"

bash scripts/setup-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"

source testbed/wine-prefix.sh
source testbed/standins.sh
headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
fi
prefix="$repo/build/demo-prefix"
app=""
cleanup() {
    if [ -n "$app" ]; then
        kill "$app" 2>/dev/null || true
    fi
    # The prefix's wineserver takes the program and every other Wine process with it.
    stop_prefix "$prefix"
    stop_display
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
start_display
new_prefix "$prefix"
install_standins "$prefix" "$repo/build/windows"
import_reg "$prefix" testbed/fixtures/sample.reg

exe="$repo/build/windows/src/views/app/win32/quillon.exe"
if [ "$headless" = 0 ]; then
    echo "Quillon runs on display $DISPLAY; close its window to end this command."
    WINEPREFIX="$prefix" $WINE "$exe" "$@"
    exit 0
fi

WINEPREFIX="$prefix" $WINE "$exe" "$@" &
app=$!
shot="$repo/build/screenshots/quillon-sample.png"
mkdir -p "$(dirname "$shot")"
# Wait until the main window is up, then let it paint.
shown=0
for _ in $(seq 1 120); do
    if xwininfo -root -tree 2>/dev/null | grep -q 'Quillon'; then
        shown=1
        break
    fi
    if ! kill -0 "$app" 2>/dev/null; then
        break
    fi
    sleep 0.5
done
if [ "$shown" = 0 ]; then
    echo "The program did not show its window." >&2
    exit 1
fi
# Keep the pointer off the window so no tooltip covers it.
xdotool mousemove 0 0 2>/dev/null || true
sleep 2
import -window root "$shot"
echo "Screenshot: $shot"
