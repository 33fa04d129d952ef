#!/usr/bin/env bash
# The release package's checks, run by the test command: scripts/package.sh builds dist/ from
# the windows preset's exe; then the same again from nothing in another folder
# (build/package-again), which must give the same bytes; packaging/check_package.py checks the
# contents, the versions and hashes, the winget manifests' required fields, and compares the two.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/package.sh
again=build/package-again
rm -rf "$again"
BUILD_DIR="$again/build" DIST_DIR="$again/dist" bash scripts/package.sh
/usr/bin/python3 packaging/check_package.py --dist dist \
    --exe build/windows/src/app/win32/quillon.exe --again "$again/dist"
