#!/usr/bin/env bash
# Installs a built package into a copy of a clean Debian 12 root and runs both
# programs there. Needs root (chroot, mounts) and Debian's apt mirror.
#   scripts/test-deb.sh CLEAN-ROOT.tar PACKAGE.deb [WORK-FOLDER]
set -euo pipefail
tarball="$(realpath "$1")"
deb="$(realpath "$2")"
work="${3:-$(mktemp -d /tmp/tillbox-deb-test.XXXXXX)}"
root="$work/root"
mkdir -p "$root"
cleanup() {
    for m in dev/pts dev sys proc; do
        mountpoint -q "$root/$m" && umount -l "$root/$m"
    done
    rm -rf "$work"
}
trap cleanup EXIT

tar -xf "$tarball" -C "$root"
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
pkg="/tmp/$(basename "$deb")"

chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive \
    bash -euc "
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends $pkg >/dev/null
        echo '--- tillbox --help'
        tillbox --help
        echo '--- tillbox-studio --version'
        tillbox-studio --version
        echo '--- export the installed demo shop'
        tillbox -q export /usr/share/tillbox/demo/demo-shop.tillbox /tmp/demo-out
        ls /tmp/demo-out/shop | head
    "
echo "test-deb: the package installs and runs"
