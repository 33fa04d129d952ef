#!/usr/bin/env bash
# Start-up time of quillon.exe against the baseline program, in one fresh test-bed prefix
# (stand-ins and the sample setup), under Wine.
#   BUILD_DIR=build/windows bash testbed/startup/measure.sh [PAIRS]
# The baseline is one painted window and nothing else. Runs PAIRS (default 15) pairs, the two
# programs alternating so that a slow moment of the machine falls on both, and prints every
# pair and the median of the ratios: once with the PowerShell stand-in answering at once, once
# with it taking as long as Windows PowerShell takes to start (POWERSHELL_START_MS, default
# 500). The window need not wait for PowerShell, so the two should differ little. Wine's timings vary from run to run:
# compare ratios of one run, never absolute times across runs.
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/../wine-prefix.sh"
source "$HERE/../standins.sh"

BUILD_DIR="${BUILD_DIR:?BUILD_DIR must name the windows build folder}"
BUILD_DIR="$(cd "$BUILD_DIR" && pwd)"
PAIRS="${1:-15}"
# QUILLON_EXE measures another build of the program (an earlier commit's, say) in the same bed.
QUILLON="${QUILLON_EXE:-$BUILD_DIR/src/app/win32/quillon.exe}"
TIMER="$BUILD_DIR/testbed/startup/starttime.exe"
BASELINE="$BUILD_DIR/testbed/startup/startup_baseline.exe"

TMP="$(mktemp -d /tmp/quillon-startup.XXXXXX)"
PREFIX="$TMP/prefix"
cleanup() {
    stop_prefix "$PREFIX"
    stop_display
    rm -rf "$TMP"
}
trap cleanup EXIT

start_display
new_prefix "$PREFIX"
install_standins "$PREFIX" "$BUILD_DIR"
import_reg "$PREFIX" "$HERE/../fixtures/sample.reg"
# The wineserver stays up between runs, as Windows' services do, and so does the desktop:
# under Wine its process would otherwise start anew with each program, and whichever program
# first needs it would wait for it.
WINEPREFIX="$PREFIX" wineserver -p 2>/dev/null || true
WINEPREFIX="$PREFIX" $WINE "$TIMER" --hold-desktop >/dev/null 2>&1 &

timed() {
    WINEPREFIX="$PREFIX" $WINE "$TIMER" --timeout 60000 "$@" 2>/dev/null | tr -d '\r'
}

# One warm-up of each: the first start of a program in a prefix pays for Wine's own loading.
timed "$QUILLON" >/dev/null
timed "$BASELINE" >/dev/null

# One series of PAIRS pairs; the stand-in takes $1 ms to start.
series() {
    export QUILLON_POWERSHELL_START_MS="$1"
    local ratios=() i q b r median
    printf '%6s %12s %12s %8s\n' pair quillon_ms baseline_ms ratio
    for i in $(seq 1 "$PAIRS"); do
        q="$(timed "$QUILLON")"
        b="$(timed "$BASELINE")"
        r="$(awk -v q="$q" -v b="$b" 'BEGIN { printf "%.3f", q / b }')"
        ratios+=("$r")
        printf '%6d %12s %12s %8s\n' "$i" "$q" "$b" "$r"
    done
    median="$(printf '%s\n' "${ratios[@]}" | sort -n | awk '{ a[NR] = $1 } END {
        if (NR % 2) { print a[(NR + 1) / 2] } else { printf "%.3f\n", (a[NR / 2] + a[NR / 2 + 1]) / 2 } }')"
    echo "median ratio quillon/baseline: $median (PowerShell stand-in starting in $1 ms)"
}

series 0
series "${POWERSHELL_START_MS:-500}"
