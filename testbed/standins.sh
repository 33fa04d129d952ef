#!/usr/bin/env bash
# Installs the test bed's stand-ins into a prefix made by wine-prefix.sh:
#   install_standins PREFIX BUILD_DIR
# BUILD_DIR is the CMake build folder of the windows build. The TSF stand-in replaces
# C:\windows\system32\msctf.dll, the PowerShell stand-in Wine's powershell.exe at Windows
# PowerShell's path (which is also the one on the prefix's PATH); both get a native override,
# since Wine would otherwise prefer its own builtins of the same name.
# Source it, or run it: standins.sh PREFIX BUILD_DIR
set -euo pipefail

STANDINS_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=wine-prefix.sh
source "$STANDINS_DIR/wine-prefix.sh"

install_standins() {
    local prefix="$1" build="$2"
    local dll="$build/testbed/msctf/msctf.dll"
    local exe="$build/testbed/powershell/powershell.exe"
    local f
    for f in "$dll" "$exe"; do
        if [ ! -f "$f" ]; then
            echo "install_standins: $f is not built" >&2
            return 1
        fi
    done
    local system32="$prefix/drive_c/windows/system32"
    install -m 0644 "$dll" "$system32/msctf.dll"
    mkdir -p "$system32/WindowsPowerShell/v1.0"
    install -m 0755 "$exe" "$system32/WindowsPowerShell/v1.0/powershell.exe"

    local reg
    reg="$(mktemp --suffix=.reg)"
    cat >"$reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"msctf"="native"
"powershell.exe"="native"
REG
    import_reg "$prefix" "$reg"
    rm -f "$reg"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    if [ $# -ne 2 ]; then
        echo "usage: $0 PREFIX BUILD_DIR" >&2
        exit 2
    fi
    install_standins "$1" "$2"
fi
