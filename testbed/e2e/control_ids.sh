#!/usr/bin/env bash
# The control ids of the program's windows, by the names their layout headers give them
# (kListView1, kDialogKeys, kHelpClose, kDriftApply...), read from the headers each time a test
# starts: a renumbered control is followed, and a script naming a control the headers no longer
# have stops at its first use (set -u). A header line of an id table this cannot read stops it
# too, rather than leave a name out.
#
# Sourced by lib.sh; run on its own (`bash control_ids.sh`) it lists the names, or says which
# line it cannot read.

CONTROL_IDS_SRC="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../src" && pwd)"

# The id tables: the enum of each window's layout header.
CONTROL_ID_HEADERS=(
    views/app/win32/main_window_layout.h
    views/hotkeys/win32/hotkey_dialog_layout.h
    views/help/win32/help_window_layout.h
    views/drift/win32/drift_window_layout.h
)

# Prints "NAME VALUE" for every entry of the headers' id enums; fails on a line it cannot read.
control_id_entries() {
    local header
    for header in "${CONTROL_ID_HEADERS[@]}"; do
        awk -v file="$header" '
            /^enum [A-Za-z]+ : int \{$/ { inside = 1; found = 1; next }
            inside && /^\};$/ { inside = 0; next }
            inside {
                line = $0
                sub(/[ \t]*\/\/.*$/, "", line)
                if (line ~ /^[ \t]*$/) next
                if (match(line, /^[ \t]*k[A-Za-z0-9]+ = [0-9]+,$/)) {
                    gsub(/[ \t,=]+/, " ", line)
                    gsub(/^ | $/, "", line)
                    print line
                    next
                }
                printf "%s: cannot read the id line \"%s\"\n", file, $0 > "/dev/stderr"
                exit 1
            }
            END {
                if (!found) {
                    printf "%s: no id table\n", file > "/dev/stderr"
                    exit 1
                }
            }' "$CONTROL_IDS_SRC/$header" || return 1
    done
    # The About command the program adds to the window's system menu: its items have the ids
    # kSystemMenuBase + their position.
    local base offset about
    base="$(sed -n 's/^constexpr std::uint32_t kSystemMenuBase = \([0-9]*\);$/\1/p' \
        "$CONTROL_IDS_SRC/model/app/tform1.h")"
    offset="$(sed -n 's/^constexpr std::uint32_t kAboutCommandId = kSystemMenuBase + \([0-9]*\);$/\1/p' \
        "$CONTROL_IDS_SRC/model/app/tform1.h")"
    if [ -z "$base" ] || [ -z "$offset" ]; then
        echo "model/app/tform1.h: no kSystemMenuBase or kAboutCommandId" >&2
        return 1
    fi
    about=$((base + offset))
    echo "kAboutCommandId $about"
}

load_control_ids() {
    local entries name value
    entries="$(control_id_entries)" || return 1
    while read -r name value; do
        declare -g "$name=$value"
    done <<<"$entries"
}

# The hotkey dialog's radio item N (0: the first).
dialog_radio_item() {
    echo $((kDialogRadioItem0 + $1))
}

# Windows' own ids (winuser.h): the message box buttons, and the system menu's Close.
IDOK=1
IDCANCEL=2
IDYES=6
IDNO=7
SC_CLOSE=0xF060

# Run on its own: the names, and every name the test scripts use found among them.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    entries="$(control_id_entries)"
    echo "$entries"
    known=" $(echo "$entries" | cut -d' ' -f1 | tr '\n' ' ')"
    unknown=0
    scripts="$(dirname "${BASH_SOURCE[0]}")"
    for name in $(grep -oh '\$k[A-Z][A-Za-z0-9]*' "$scripts"/*.sh | tr -d '$' | sort -u); do
        if [[ "$known" != *" $name "* ]]; then
            echo "the scripts name $name, which no layout header has" >&2
            unknown=1
        fi
    done
    exit "$unknown"
fi
