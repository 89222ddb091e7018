#!/usr/bin/env bash
# Installs what the build needs, and only what is missing: the i386 architecture,
# the 32-bit compiler support and the :i386 development packages.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

for pkg in cmake make g++ g++-multilib googletest pkg-config \
           libfreetype-dev:i386 libfontconfig-dev:i386 libpng-dev:i386 \
           libsqlite3-dev:i386 libbenchmark-dev:i386 \
           fonts-liberation2 fonts-ipafont; do
    have "$pkg" || need+=("$pkg")
done

[ ${#need[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then SUDO="sudo"; else
        echo "setup: these packages are missing and I am not root: ${need[*]}" >&2
        exit 1
    fi
fi

echo "setup: installing ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
