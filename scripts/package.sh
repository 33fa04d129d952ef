#!/usr/bin/env bash
# Builds the release into dist/: quillon-<version>-x64.zip (quillon.exe, the user guide, the
# licence), SHA256SUMS, the winget manifests (dist/winget/manifests/...) and the Scoop manifest
# (dist/scoop/quillon.json). Installs what is missing first, like the test command. The same
# commit gives the same bytes: every time comes from the commit (SOURCE_DATE_EPOCH) and the exe
# is linked without a time stamp.
#
# BUILD_DIR (default build/windows, the windows preset's, shared with the tests) and DIST_DIR
# (default dist) may name other folders; scripts/check-package.sh builds a second time so.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"
build="${BUILD_DIR:-build/windows}"
dist="${DIST_DIR:-dist}"

bash scripts/setup-deps.sh

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH="$(git -C "$repo" log -1 --format=%ct)"
fi
export SOURCE_DATE_EPOCH

# The windows preset's settings, in whichever folder was asked for; only the exe is needed.
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target quillon

# Debian's Python, which has the modules setup-deps.sh installs (not another one on PATH).
python=/usr/bin/python3
rm -rf "$dist"
mkdir -p "$dist"
"$python" packaging/make_package.py --exe "$build/src/app/win32/quillon.exe" \
    --guide docs/guide.zh-CN.md --license LICENSE --out "$dist"
