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

SUDO=""
if [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null; then SUDO="sudo"; fi

if [ ${#need[@]} -ne 0 ]; then
    if [ "$(id -u)" -ne 0 ] && [ -z "$SUDO" ]; then
        echo "setup: these packages are missing and I am not root: ${need[*]}" >&2
        exit 1
    fi
    echo "setup: installing ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

# Some kernels are built without the 32-bit x86 ABI and refuse to start an
# i386 program ("Exec format error"). There the programs run through the
# user-mode emulator, registered as the interpreter of i386 executables.
probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
printf 'int main(void){return 0;}\n' > "$probe_dir/p.c"
if gcc -m32 -o "$probe_dir/p" "$probe_dir/p.c" 2>/dev/null && ! "$probe_dir/p" 2>/dev/null; then
    echo "setup: this kernel does not run 32-bit programs; using the i386 emulator"
    if ! have qemu-user || ! have qemu-user-binfmt; then
        $SUDO apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends qemu-user qemu-user-binfmt
    fi
    if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
        $SUDO mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    fi
    if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
            | $SUDO tee /proc/sys/fs/binfmt_misc/register >/dev/null
    fi
    if ! "$probe_dir/p"; then
        echo "setup: 32-bit programs still cannot run here" >&2
        exit 1
    fi
fi
