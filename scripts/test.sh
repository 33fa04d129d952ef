#!/usr/bin/env bash
# All tests: installs what is missing, builds every preset, builds and checks the release
# package (scripts/check-package.sh), runs the native unit tests, the fuzz targets over their
# seed corpora and for a few seconds each, the benchmarks briefly and the Wine tests (unit tests
# of the Win32 build, stand-ins, end-to-end), then checks that the Wine tests left no process
# running; ends with ctest's summary. Idempotent; a second run rebuilds only what changed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup-deps.sh

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$jobs"
# The Wine template prefix is made once and copied for every test.
bash testbed/wine-prefix.sh template
# What the test bed starts is recorded by process id; this run checks its own records at the end.
bash testbed/check-leftovers.sh clear

status=0
# The release package (dist/) from the exe just built, checked, and built a second time from
# nothing to show that it comes out the same.
bash scripts/check-package.sh || status=1
ctest --preset native -j "$jobs" || status=1
# Every benchmark briefly: they build and run to the end (the figures are not checked).
ctest --preset bench || status=1
# One fuzz target at a time: each smoke run keeps one core busy for its seconds.
ctest --preset fuzz || status=1
# Wine tests run one at a time: each starts its own wineserver and display.
ctest --preset windows || status=1
# Nothing the Wine tests started (displays, wineservers and with them the programs and
# stand-ins) may outlive them.
bash testbed/check-leftovers.sh || status=1
exit $status
