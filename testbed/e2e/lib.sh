#!/usr/bin/env bash
# Shared by the end-to-end tests: a throwaway prefix with the stand-ins and a fixture, the real
# quillon.exe started in it, the window driver, registry exports and plain assertions.
# Every test sources this, calls e2e_setup NAME FIXTURE..., and ends with e2e_finish.
set -euo pipefail

E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$E2E_DIR/../wine-prefix.sh"
source "$E2E_DIR/../standins.sh"
source "$E2E_DIR/control_ids.sh"
load_control_ids

BUILD_DIR="${BUILD_DIR:?BUILD_DIR must name the windows build folder}"
QUILLON="$BUILD_DIR/src/views/app/win32/quillon.exe"
QDRIVER="$BUILD_DIR/testbed/driver/qdriver.exe"

E2E_PASSED=0
E2E_FAILED=0
E2E_APP_PID=""

e2e_setup() {
    E2E_NAME="$1"
    shift
    E2E_ARTEFACTS="$BUILD_DIR/testbed/e2e/$E2E_NAME"
    rm -rf "$E2E_ARTEFACTS"
    mkdir -p "$E2E_ARTEFACTS"
    E2E_TMP="$(mktemp -d "/tmp/quillon-e2e-$E2E_NAME.XXXXXX")"
    E2E_PREFIX="$E2E_TMP/prefix"
    trap e2e_cleanup EXIT
    start_display
    new_prefix "$E2E_PREFIX"
    install_standins "$E2E_PREFIX" "$BUILD_DIR"
    local f
    for f in "$@"; do
        import_reg "$E2E_PREFIX" "$f"
    done
    E2E_LOGS="$E2E_PREFIX/drive_c/quillon-testbed"
}

e2e_cleanup() {
    if [ -n "$E2E_APP_PID" ]; then
        kill "$E2E_APP_PID" 2>/dev/null || true
    fi
    if [ -d "${E2E_LOGS:-/nonexistent}" ]; then
        cp "$E2E_LOGS"/*.log "$E2E_ARTEFACTS/" 2>/dev/null || true
    fi
    stop_prefix "$E2E_PREFIX"
    stop_display
    rm -rf "$E2E_TMP"
}

# Starts quillon.exe with the given arguments in the background; its exit code is left in a
# file when it ends.
start_app() {
    rm -f "$E2E_TMP/app.rc"
    (
        rc=0
        WINEPREFIX="$E2E_PREFIX" $WINE "$QUILLON" "$@" >"$E2E_ARTEFACTS/app.out" 2>&1 || rc=$?
        echo "$rc" >"$E2E_TMP/app.rc.part"
        mv "$E2E_TMP/app.rc.part" "$E2E_TMP/app.rc"
    ) &
    E2E_APP_PID=$!
}

# Waits for the program started by start_app to end; prints its exit code. It is called in a
# command substitution, a subshell that cannot wait for its parent's children (bash gives -1
# while the program still runs), so the exit code comes from the file start_app leaves.
app_exit_code() {
    local i
    for i in $(seq 1 600); do
        [ -f "$E2E_TMP/app.rc" ] && break
        sleep 0.1
    done
    cat "$E2E_TMP/app.rc" 2>/dev/null || echo "still running"
}

# Runs quillon.exe to its end (a command-line run); prints its exit code.
run_app() {
    local rc=0
    WINEPREFIX="$E2E_PREFIX" $WINE "$QUILLON" "$@" >>"$E2E_ARTEFACTS/app.out" 2>&1 || rc=$?
    echo "$rc"
}

# The window driver on the main window.
q() {
    WINEPREFIX="$E2E_PREFIX" $WINE "$QDRIVER" --window-class TForm1 --timeout 30000 "$@" \
        2>>"$E2E_ARTEFACTS/qdriver.err" | tr -d '\r'
}

# The driver on the program's other windows: the help window, the differences window, and a
# dialog by the start of its caption (dlg CAPTION ARGS...).
qh() {
    WINEPREFIX="$E2E_PREFIX" $WINE "$QDRIVER" --window-class TFormHelp --timeout 30000 "$@" \
        2>>"$E2E_ARTEFACTS/qdriver.err" | tr -d '\r'
}
qdr() {
    WINEPREFIX="$E2E_PREFIX" $WINE "$QDRIVER" --window-class TFormDrift --timeout 30000 "$@" \
        2>>"$E2E_ARTEFACTS/qdriver.err" | tr -d '\r'
}
dlg() {
    local caption="$1"
    shift
    WINEPREFIX="$E2E_PREFIX" $WINE "$QDRIVER" --window-class '#32770' --title-prefix "$caption" \
        --timeout 30000 "$@" 2>>"$E2E_ARTEFACTS/qdriver.err" | tr -d '\r'
}

# The driver without a target window (message boxes and dialogs of the program).
qd() {
    WINEPREFIX="$E2E_PREFIX" $WINE "$QDRIVER" --title-prefix Quillon --timeout 30000 "$@" \
        2>>"$E2E_ARTEFACTS/qdriver.err" | tr -d '\r'
}

# Exports a key as UTF-8 text into the artefacts and prints the file's path.
export_key() {
    local key="$1" name="$2"
    local raw="$E2E_TMP/$name.reg"
    export_reg "$E2E_PREFIX" "$key" "$raw"
    iconv -f UTF-16LE -t UTF-8 "$raw" | sed '1s/^\xEF\xBB\xBF//' | tr -d '\r' \
        >"$E2E_ARTEFACTS/$name.reg"
    echo "$E2E_ARTEFACTS/$name.reg"
}

screenshot() {
    xdotool mousemove 0 0 2>/dev/null || true
    import -window root "$E2E_ARTEFACTS/$1.png"
}

pass() {
    E2E_PASSED=$((E2E_PASSED + 1))
    echo "ok   $1"
}

fail() {
    E2E_FAILED=$((E2E_FAILED + 1))
    echo "FAIL $1"
}

# check WHAT COMMAND...: passes when the command succeeds.
check() {
    local what="$1"
    shift
    if "$@"; then
        pass "$what"
    else
        fail "$what"
    fi
}

# contains TEXT_OR_FILE NEEDLE: fixed-string search in text (or a file with -f).
contains() {
    if [ "$1" = "-f" ]; then
        grep -qF -- "$3" "$2"
    else
        grep -qF -- "$2" <<<"$1"
    fi
}

lacks() {
    if [ "$1" = "-f" ]; then
        ! grep -qF -- "$3" "$2"
    else
        ! grep -qF -- "$2" <<<"$1"
    fi
}

e2e_finish() {
    echo "$E2E_PASSED passed, $E2E_FAILED failed"
    [ "$E2E_FAILED" = 0 ]
}

# row_of LIST_ID NAME: the index of the row with that name (empty when none).
row_of() {
    q listview --id "$1" | sed -n "s/^row \([0-9]*\) \"$2\".*/\1/p" | head -n1
}

# eventually COMMAND...: for what a hidden PowerShell does in its own time; retries until the
# command succeeds or a generous bound passes.
eventually() {
    local i
    for i in $(seq 1 100); do
        if "$@"; then
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# The window shows before PowerShell has named the languages; the language combo is enabled
# once it holds their names.
languages_named() {
    q control --id $kComboBoxLang | grep -q "enabled=1"
}
wait_languages() {
    eventually languages_named || {
        echo "the language combo never received the language names" >&2
        return 1
    }
}

# key_holds KEY NAME NEEDLE: the exported key (saved as NAME) contains NEEDLE.
key_holds() {
    grep -qF -- "$3" "$(export_key "$1" "$2")"
}

key_lacks() {
    ! grep -qF -- "$3" "$(export_key "$1" "$2")"
}

# set_wine_value KEY NAME DATA: one registry value in the prefix (DATA in .reg form).
set_wine_value() {
    local reg="$E2E_TMP/value.reg"
    printf 'Windows Registry Editor Version 5.00\n\n[%s]\n"%s"=%s\n' "$1" "$2" "$3" >"$reg"
    import_reg "$E2E_PREFIX" "$reg"
}
