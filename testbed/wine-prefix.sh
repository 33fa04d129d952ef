#!/usr/bin/env bash
# The Wine test bed: throwaway prefixes copied from a cached template, a virtual display when
# there is none, fixture import and registry export. Source it, or run it with a command:
#   wine-prefix.sh template            make the cached template (once)
#   wine-prefix.sh new DIR             a fresh prefix in DIR
# Everything it starts it stops again, by process id, and records in build/testbed-pids/ until
# it has ended, so that check-leftovers.sh can tell what a run left behind.
set -euo pipefail

TESTBED_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
REPO_DIR="$(cd "$TESTBED_DIR/.." && pwd)"
QUILLON_WINE_CACHE="${QUILLON_WINE_CACHE:-$REPO_DIR/build/wine-template}"

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEARCH=win64
# No Mono or Gecko download prompts: nothing here needs them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8

WINE="${WINE:-wine}"

QUILLON_PID_RECORD="${QUILLON_PID_RECORD:-$REPO_DIR/build/testbed-pids}"

# A record per process: its id names the file, which holds the process's start time (so that a
# later process given the same id is not taken for it) and its command line.
record_pid() {
    local pid="$1" start
    start="$(cut -d' ' -f22 "/proc/$pid/stat" 2>/dev/null)" || return 0
    mkdir -p "$QUILLON_PID_RECORD"
    printf '%s\t%s\n' "$start" "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" \
        >"$QUILLON_PID_RECORD/$pid"
}

forget_pid() {
    rm -f "$QUILLON_PID_RECORD/$1"
}

# Starts Xvfb when DISPLAY is unset; sets XVFB_PID for stop_display. Sourcing this file again
# (standins.sh does) keeps the display already started.
XVFB_PID="${XVFB_PID:-}"
start_display() {
    if [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    local n
    for n in $(seq 90 130); do
        if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            XVFB_PID=$!
            record_pid "$XVFB_PID"
            export DISPLAY=":$n"
            local i
            for i in $(seq 1 50); do
                [ -e "/tmp/.X11-unix/X${n}" ] && return 0
                sleep 0.1
            done
            echo "Xvfb did not start on :$n" >&2
            return 1
        fi
    done
    echo "no free display number" >&2
    return 1
}

stop_display() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        forget_pid "$XVFB_PID"
        XVFB_PID=""
    fi
}

# The prefix's wineserver, started by us in the foreground so that its process id is known and
# recorded; it stays up until stop_prefix. A Wine program started before it is ready starts no
# second server: the lock lets only one run per prefix.
start_wineserver() {
    local prefix="$1" pid
    WINEPREFIX="$prefix" wineserver -f -p >/dev/null 2>&1 &
    pid=$!
    record_pid "$pid"
    echo "$pid" >"$prefix/.quillon-wineserver-pid"
}

# Ends the wineserver of one prefix (and with it every Wine process of that prefix).
stop_prefix() {
    local prefix="$1" pid=""
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    WINEPREFIX="$prefix" wineserver -w 2>/dev/null || true
    if [ -f "$prefix/.quillon-wineserver-pid" ]; then
        pid="$(cat "$prefix/.quillon-wineserver-pid")"
        wait "$pid" 2>/dev/null || true
        if ! kill -0 "$pid" 2>/dev/null; then
            forget_pid "$pid"
            rm -f "$prefix/.quillon-wineserver-pid"
        fi
    fi
}

# regedit reads a file without a UTF-16LE byte-order mark in the ANSI code page, so UTF-8
# fixtures are converted first.
import_reg() {
    local prefix="$1" file="$2" tmp
    tmp="$(mktemp --suffix=.reg)"
    if head -c2 "$file" | od -An -tx1 | grep -q 'ff fe'; then
        cp "$file" "$tmp"
    else
        { printf '\xff\xfe'; sed '1s/^\xEF\xBB\xBF//' "$file" | iconv -f UTF-8 -t UTF-16LE; } >"$tmp"
    fi
    WINEPREFIX="$prefix" $WINE regedit /S "$(WINEPREFIX="$prefix" winepath -w "$tmp")"
    rm -f "$tmp"
}

# Exports a key ("HKEY_CURRENT_USER\...") as UTF-16LE .reg text into FILE. Wine's regedit now
# and then ends without having written the file; it is asked again, up to three times in all.
# The status is that of the last regedit.
export_reg() {
    local prefix="$1" key="$2" out="$3" attempt status=0
    for attempt in 1 2 3; do
        rm -f "$out"
        status=0
        WINEPREFIX="$prefix" $WINE regedit /E "$(WINEPREFIX="$prefix" winepath -w "$out")" \
            "$key" || status=$?
        if [ -s "$out" ]; then
            return 0
        fi
    done
    return $status
}

# What the template depends on: rebuilt when Wine, its fonts or our settings change.
template_stamp() {
    {
        $WINE --version
        dpkg-query -W wine64 fonts-wine 2>/dev/null || true
        cat "$TESTBED_DIR/prefix-settings.reg" "$TESTBED_DIR/wine-prefix.sh"
    } | sha256sum | cut -d' ' -f1
}

make_template() {
    local stamp
    stamp="$(template_stamp)"
    if [ -f "$QUILLON_WINE_CACHE/.quillon-template" ] &&
        [ "$(cat "$QUILLON_WINE_CACHE/.quillon-template")" = "$stamp" ]; then
        return 0
    fi
    local tmp="$QUILLON_WINE_CACHE.tmp.$$"
    rm -rf "$tmp"
    mkdir -p "$(dirname "$tmp")"
    WINEPREFIX="$tmp" $WINE wineboot -i >/dev/null 2>&1
    WINEPREFIX="$tmp" wineserver -w
    # Windows 10, and CJK faces for the window font and the dialog font.
    import_reg "$tmp" "$TESTBED_DIR/prefix-settings.reg"
    # Wine's own faces (Marlett draws the split button's arrow), as Windows has them.
    if [ -d /usr/share/wine/fonts ]; then
        cp /usr/share/wine/fonts/*.ttf "$tmp/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    WINEPREFIX="$tmp" wineserver -w
    echo "$stamp" >"$tmp/.quillon-template"
    rm -rf "$QUILLON_WINE_CACHE"
    mv "$tmp" "$QUILLON_WINE_CACHE"
}

# Runs a command while holding the template's lock: a template being rebuilt (its settings
# changed) is never copied half made, however many test runs share it.
with_template_lock() {
    mkdir -p "$(dirname "$QUILLON_WINE_CACHE")"
    (
        flock 9
        "$@"
    ) 9>"$QUILLON_WINE_CACHE.lock"
}

copy_template() {
    local dir="$1"
    make_template
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    cp -a "$QUILLON_WINE_CACHE" "$dir"
}

# Makes DIR a fresh prefix, copied from the template, with its wineserver running.
new_prefix() {
    with_template_lock copy_template "$1"
    start_wineserver "$1"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case "${1:-}" in
    template) with_template_lock make_template ;;
    # Only the copy: a wineserver started here would outlive this script.
    new) with_template_lock copy_template "$2" ;;
    *)
        echo "usage: $0 template | new DIR" >&2
        exit 2
        ;;
    esac
fi
