#!/usr/bin/env bash
# All tests: installs what is missing, builds both presets, runs the native unit tests and
# the Wine tests (unit tests of the Win32 build, stand-ins, end-to-end), ends with ctest's
# summary. Idempotent; a second run rebuilds only what changed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup-deps.sh

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$jobs"
# The Wine template prefix is made once and copied for every test.
bash testbed/wine-prefix.sh template

status=0
ctest --preset native -j "$jobs" || status=1
# Every benchmark briefly: they build and run to the end (the figures are not checked).
ctest --preset bench || status=1
# Wine tests run one at a time: each starts its own wineserver and display.
ctest --preset windows || status=1
exit $status
