#!/usr/bin/env bash
# Builds the release into dist/: quillon-<version>-x64.zip (quillon.exe, the user guide, the
# licence), SHA256SUMS and LICENSE.txt (the three files published at
# <address>/releases/<version>/), the winget manifests (dist/winget/manifests/...) and the Scoop
# manifest (dist/scoop/quillon.json). Installs what is missing first, like the test command.
#
#   scripts/package.sh [--draft]
#
# The address is QUILLON_ADDRESS, else "address" in packaging/release.json. While it is a
# placeholder (a name reserved for examples) only --draft makes a package, whose manifests say
# that they are drafts.
#
# The same commit gives the same bytes: every time comes from the commit (SOURCE_DATE_EPOCH)
# and the exe is linked without a time stamp. In a checkout the commit's time comes from git; in
# a tree extracted from `git archive` from packaging/commit-time, which git archive fills in.
#
# BUILD_DIR (default build/windows, the windows preset's, shared with the tests) and DIST_DIR
# (default dist) may name other folders.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$(pwd)"
build="${BUILD_DIR:-build/windows}"
dist="${DIST_DIR:-dist}"

draft=()
case "$*" in
    "") ;;
    --draft) draft=(--draft) ;;
    *) echo "usage: scripts/package.sh [--draft]" >&2; exit 2 ;;
esac

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    stamp="$(cat packaging/commit-time)"
    if [[ "$stamp" =~ ^[0-9]+$ ]]; then
        SOURCE_DATE_EPOCH="$stamp"
    elif [ "$(git -C "$repo" rev-parse --show-toplevel 2>/dev/null)" = "$repo" ]; then
        SOURCE_DATE_EPOCH="$(git -C "$repo" log -1 --format=%ct)"
    else
        echo "package.sh: $repo is neither a git checkout nor extracted from git archive, so" \
            "the commit's time is unknown: set SOURCE_DATE_EPOCH to it (seconds since 1970)" >&2
        exit 1
    fi
fi
export SOURCE_DATE_EPOCH

bash scripts/setup-deps.sh

# Debian's Python, which has the modules setup-deps.sh installs (not another one on PATH).
python=/usr/bin/python3
# Refused before anything is built; the exe shows the same address.
QUILLON_ADDRESS="$("$python" packaging/release_address.py "${draft[@]}")"
export QUILLON_ADDRESS

# The windows preset's settings, in whichever folder was asked for; only the exe is needed.
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target quillon

rm -rf "$dist"
mkdir -p "$dist"
"$python" packaging/make_package.py "${draft[@]}" --exe "$build/src/views/app/win32/quillon.exe" \
    --guide docs/guide.zh-CN.md --license LICENSE --out "$dist"
