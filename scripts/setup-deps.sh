#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12, only what is missing. Idempotent.
set -euo pipefail

packages=(
    cmake ninja-build g++ googletest libbenchmark-dev clang-format python3
    python3-yaml python3-markdown
    clang libclang-rt-dev
    mingw-w64 g++-mingw-w64-x86-64-posix
    wine wine64 fonts-wine xvfb xauth x11-utils xdotool fonts-wqy-microhei locales imagemagick
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

SUDO=""
if [ "$(id -u)" != 0 ]; then
    SUDO="sudo"
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI/OEM code page from the Unix locale: Simplified Chinese gives 936.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    echo "Generating the zh_CN.UTF-8 locale"
    $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
