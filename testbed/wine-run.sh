#!/usr/bin/env bash
# Runs one Windows program in a throwaway prefix and returns its exit code:
#   wine-run.sh [--reg FIXTURE.reg]... PROGRAM.exe [ARGS...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh"

fixtures=()
while [ "${1:-}" = "--reg" ]; do
    fixtures+=("$2")
    shift 2
done
program="$1"
shift

prefix="$(mktemp -d /tmp/quillon-wine.XXXXXX)"
cleanup() {
    stop_prefix "$prefix/p"
    stop_display
    rm -rf "$prefix"
}
trap cleanup EXIT

start_display
new_prefix "$prefix/p"
for f in "${fixtures[@]}"; do
    import_reg "$prefix/p" "$f"
done
set +e
WINEPREFIX="$prefix/p" $WINE "$program" "$@"
rc=$?
set -e
exit $rc
