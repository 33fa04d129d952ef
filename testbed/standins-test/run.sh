#!/usr/bin/env bash
# Runs the stand-ins' test program in a fresh prefix with both stand-ins installed and the
# sample fixture imported:
#   run.sh BUILD_DIR TEST_PROGRAM.exe [GTEST_ARGS...]
# The stand-ins' call logs are kept in BUILD_DIR/testbed/standins-test/artefacts; the prefix
# itself (some 700 MB) is removed.
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=../standins.sh
source "$HERE/../standins.sh"

build="$(cd "$1" && pwd)"
program="$2"
shift 2

work="$build/testbed/standins-test"
prefix="$work/prefix"
artefacts="$work/artefacts"

cleanup() {
    stop_prefix "$prefix"
    stop_display
    rm -rf "$artefacts"
    mkdir -p "$artefacts"
    cp "$prefix"/drive_c/quillon-testbed/*.log "$artefacts"/ 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT

start_display
new_prefix "$prefix"
install_standins "$prefix" "$build"
import_reg "$prefix" "$HERE/../fixtures/standins-sample.reg"

set +e
WINEPREFIX="$prefix" $WINE "$program" --gtest_brief=1 "$@"
rc=$?
set -e
exit $rc
