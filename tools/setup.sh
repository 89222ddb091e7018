#!/usr/bin/env bash
# Installs what the build needs, and only what is missing.
#   tools/setup.sh            the native build: the distribution's own packages
#   tools/setup.sh i386       the 32-bit reference: the i386 architecture, the
#                             32-bit compiler support, the :i386 development
#                             packages, and the user-mode emulator where the
#                             kernel cannot start 32-bit programs
set -euo pipefail

arch=${1:-native}
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

common=(cmake make g++ googletest pkg-config fonts-liberation2 fonts-ipafont)
case "$arch" in
    # libx11-dev: the desktop window; xvfb and xdotool: its tests.
    native) libs=(libfreetype-dev libfontconfig-dev libpng-dev libsqlite3-dev libbenchmark-dev
                  libx11-dev xvfb xdotool) ;;
    i386)   libs=(g++-multilib libfreetype-dev:i386 libfontconfig-dev:i386 libpng-dev:i386
                  libsqlite3-dev:i386 libbenchmark-dev:i386) ;;
    *) echo "setup: unknown architecture '$arch' (native or i386)" >&2; exit 2 ;;
esac
for pkg in "${common[@]}" "${libs[@]}"; do
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
    if [ "$arch" = i386 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

[ "$arch" = i386 ] || exit 0

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
