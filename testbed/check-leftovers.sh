#!/usr/bin/env bash
# What the test bed started and has not ended: every process recorded by wine-prefix.sh (the
# virtual displays and the prefixes' wineservers; every Wine program of a prefix ends with its
# wineserver) that still runs, by its recorded id and start time, never by name.
#   check-leftovers.sh clear    forget the records of earlier runs
#   check-leftovers.sh          list what still runs and exit 1 if anything does
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"

if [ "${1:-}" = clear ]; then
    rm -rf "$QUILLON_PID_RECORD"
    exit 0
fi

left=0
for record in "$QUILLON_PID_RECORD"/*; do
    [ -f "$record" ] || continue
    pid="$(basename "$record")"
    IFS=$'\t' read -r start command <"$record"
    now="$(cut -d' ' -f22 "/proc/$pid/stat" 2>/dev/null || true)"
    state="$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null || true)"
    if [ -n "$now" ] && [ "$now" = "$start" ] && [ "$state" != Z ]; then
        echo "left running by the test bed: pid $pid: $command" >&2
        left=1
    else
        rm -f "$record"
    fi
done
exit $left
