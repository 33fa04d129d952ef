#!/usr/bin/env bash
# The release package's checks, run by the test command. The address in packaging/release.json
# is a placeholder, so the package is made as a draft (--draft): everything is checked but the
# address. scripts/package.sh must refuse to make it otherwise. It builds dist/ from the windows
# preset's exe; then the same again from nothing in another folder, from the tree as
# `git archive` gives it (no .git), which must give the same bytes; packaging/check_package.py
# checks the contents, the versions and hashes, the manifests and compares the two.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

draft=()
if ! /usr/bin/python3 packaging/release_address.py >/dev/null 2>&1; then
    draft=(--draft)
    if refused="$(bash scripts/package.sh 2>&1)"; then
        echo "FAIL package.sh made a package for the placeholder address without --draft" >&2
        exit 1
    fi
    case "$refused" in
        *"is a placeholder"*"--draft"*) echo "ok   package.sh refuses a placeholder address without --draft" ;;
        *) echo "FAIL package.sh did not say why it stopped: $refused" >&2; exit 1 ;;
    esac
fi

bash scripts/package.sh "${draft[@]}"

# The archive of the commit, with the checkout's uncommitted changes to tracked files (a stash
# commit dated as HEAD, so that the archive's commit time is HEAD's).
again=build/package-again
rm -rf "$again"
mkdir -p "$again/tree"
commit="$(GIT_COMMITTER_DATE="$(git log -1 --format=%cd --date=raw)" git stash create)"
git archive "${commit:-HEAD}" | tar -x -C "$again/tree"
env -u SOURCE_DATE_EPOCH DIST_DIR="$(pwd)/$again/dist" bash "$again/tree/scripts/package.sh" \
    "${draft[@]}"
/usr/bin/python3 packaging/check_package.py "${draft[@]}" --dist dist \
    --exe build/windows/src/views/app/win32/quillon.exe --again "$again/dist"
