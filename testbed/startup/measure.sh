#!/usr/bin/env bash
# Start-up time of quillon.exe against two baseline programs, in one fresh test-bed prefix
# (stand-ins and the sample setup), under Wine.
#   BUILD_DIR=build/windows bash testbed/startup/measure.sh [TRIPLES]
# The bare baseline is one painted window and nothing else; the controls baseline is the main
# window's controls, visual styles, font and DPI handling, painted, without the program's own
# work (no TSF, no registry, no PowerShell). Runs TRIPLES (default 15) triples, the three
# programs in turn so that a slow moment of the machine falls on all of them, and prints every
# triple, the median of each ratio, each program's fastest start and the median processor time
# each program's process used until its window showed: once with the PowerShell stand-in
# answering at once, once with it taking as long as Windows PowerShell takes to start
# (POWERSHELL_START_MS, default 500). The window need not wait for PowerShell, so the two should differ little.
# Wine's timings vary from run to run and with the machine's load: compare ratios of one run,
# never absolute times across runs.
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$HERE/../wine-prefix.sh"
source "$HERE/../standins.sh"

BUILD_DIR="${BUILD_DIR:?BUILD_DIR must name the windows build folder}"
BUILD_DIR="$(cd "$BUILD_DIR" && pwd)"
TRIPLES="${1:-15}"
# QUILLON_EXE measures another build of the program (an earlier commit's, say) in the same bed.
QUILLON="${QUILLON_EXE:-$BUILD_DIR/src/views/app/win32/quillon.exe}"
TIMER="$BUILD_DIR/testbed/startup/starttime.exe"
BASELINE="$BUILD_DIR/testbed/startup/startup_baseline.exe"
CONTROLS="$BUILD_DIR/testbed/startup/startup_controls_baseline.exe"

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

# Prints the milliseconds to the window, a space and the processor milliseconds by then.
timed() {
    WINEPREFIX="$PREFIX" $WINE "$TIMER" --timeout 60000 --cpu "$@" 2>/dev/null | tr -d '\r'
}

# One warm-up of each: the first start of a program in a prefix pays for Wine's own loading.
timed "$QUILLON" >/dev/null
timed "$BASELINE" >/dev/null
timed "$CONTROLS" >/dev/null

median() {
    sort -n | awk '{ a[NR] = $1 } END {
        if (NR % 2) { print a[(NR + 1) / 2] } else { printf "%.3f\n", (a[NR / 2] + a[NR / 2 + 1]) / 2 } }'
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'
}

# One series of TRIPLES triples; the stand-in takes $1 ms to start. Each triple starts with
# another of the three programs, so that none always follows the same one.
series() {
    export QUILLON_POWERSHELL_START_MS="$1"
    local to_controls=() to_bare=() all_q=() all_c=() all_b=() cpu_q=() cpu_c=() cpu_b=()
    local i k q c b qc cc bc
    printf '%6s %10s %10s %10s %10s %10s %8s %8s %8s\n' triple quillon_ms controls_ms bare_ms \
        q/controls q/bare q_cpu c_cpu b_cpu
    for i in $(seq 1 "$TRIPLES"); do
        for k in 0 1 2; do
            case $(((i + k) % 3)) in
            0) read -r q qc < <(timed "$QUILLON") ;;
            1) read -r c cc < <(timed "$CONTROLS") ;;
            2) read -r b bc < <(timed "$BASELINE") ;;
            esac
        done
        all_q+=("$q") all_c+=("$c") all_b+=("$b") cpu_q+=("$qc") cpu_c+=("$cc") cpu_b+=("$bc")
        to_controls+=("$(ratio "$q" "$c")")
        to_bare+=("$(ratio "$q" "$b")")
        printf '%6d %10s %10s %10s %10s %10s %8s %8s %8s\n' "$i" "$q" "$c" "$b" \
            "${to_controls[-1]}" "${to_bare[-1]}" "$qc" "$cc" "$bc"
    done
    echo "median ratio quillon/controls baseline: $(printf '%s\n' "${to_controls[@]}" | median) (PowerShell stand-in starting in $1 ms)"
    echo "median ratio quillon/bare baseline: $(printf '%s\n' "${to_bare[@]}" | median) (PowerShell stand-in starting in $1 ms)"
    # On a loaded machine each program's fastest start is the one least disturbed by the rest.
    q="$(printf '%s\n' "${all_q[@]}" | sort -n | head -1)"
    c="$(printf '%s\n' "${all_c[@]}" | sort -n | head -1)"
    b="$(printf '%s\n' "${all_b[@]}" | sort -n | head -1)"
    echo "fastest: quillon $q ms, controls $c ms, bare $b ms; ratios $(ratio "$q" "$c") and $(ratio "$q" "$b")"
    # The processor time of each program's own process, in clock ticks: the medians' ratios.
    q="$(printf '%s\n' "${cpu_q[@]}" | median)"
    c="$(printf '%s\n' "${cpu_c[@]}" | median)"
    b="$(printf '%s\n' "${cpu_b[@]}" | median)"
    echo "median processor time: quillon $q ms, controls $c ms, bare $b ms; ratios $(ratio "$q" "$c") and $(ratio "$q" "$b")"
}

series 0
series "${POWERSHELL_START_MS:-500}"
