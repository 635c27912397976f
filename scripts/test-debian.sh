#!/bin/sh
# Runs the README's test command on another Debian release, as a new user of
# that release would: in a minimal system made with debootstrap, from a copy
# of this checkout under /root, as root, with the same warnings-as-errors
# flags as CI and no locale set.
#
#   scripts/test-debian.sh CODENAME             (for example: trixie)
#   scripts/test-debian.sh --prepare CODENAME   only makes the system and
#       installs the packages the build needs, so that CI can do that while
#       it builds something else
#
# The system is made once and kept in $FBM_CHROOT_CACHE/CODENAME (default
# /var/cache/fbmanager-ci/CODENAME); later runs reuse it with the packages
# installed there. Remove that directory to start from nothing. The copy of
# the checkout is made afresh on every run, so the build starts from a clean
# tree as it does in a new clone.
# Needs root and Debian's archive ($FBM_DEBIAN_MIRROR, default deb.debian.org).
set -eu
PREPARE=false
if [ "${1:-}" = --prepare ]; then
    PREPARE=true
    shift
fi
CODENAME=${1:?usage: scripts/test-debian.sh [--prepare] CODENAME}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/packages.sh"
need_packages debootstrap

MIRROR=${FBM_DEBIAN_MIRROR:-http://deb.debian.org/debian}
CACHE=${FBM_CHROOT_CACHE:-/var/cache/fbmanager-ci}
SYSTEM="$CACHE/$CODENAME"
mkdir -p "$CACHE"

if [ ! -f "$SYSTEM/etc/debian_version" ]; then
    # Made beside its place and moved there only when complete, so that an
    # interrupted run leaves nothing that a later one would take for a system.
    rm -rf "$SYSTEM.new"
    echo "Making a minimal Debian $CODENAME in $SYSTEM"
    debootstrap --variant=minbase "$CODENAME" "$SYSTEM.new" "$MIRROR" >"$CACHE/$CODENAME-debootstrap.log" 2>&1 \
        || { tail -20 "$CACHE/$CODENAME-debootstrap.log" >&2; exit 1; }
    # The users of a stable release have its updates.
    cat >"$SYSTEM.new/etc/apt/sources.list" <<SOURCES
deb $MIRROR $CODENAME main
deb $MIRROR $CODENAME-updates main
deb http://security.debian.org/debian-security $CODENAME-security main
SOURCES
    # Only the packages the scripts name and what they depend on: recommended
    # ones (an init system, a message bus, ...) would double the download and
    # could hide a package the build needs but the scripts fail to name.
    echo 'APT::Install-Recommends "false";' >"$SYSTEM.new/etc/apt/apt.conf.d/90no-recommends"
    # A system that is thrown away when the machine stops needs no syncs.
    echo force-unsafe-io >"$SYSTEM.new/etc/dpkg/dpkg.cfg.d/90unsafe-io"
    mv "$SYSTEM.new" "$SYSTEM"
fi

# /proc for the build and the tests, a tmpfs on /dev/shm for the tests that
# need a second file system; taken away again however the run ends.
unmount() {
    for mount in dev/shm proc; do
        if mountpoint -q "$SYSTEM/$mount"; then
            umount "$SYSTEM/$mount" 2>/dev/null || umount -l "$SYSTEM/$mount"
        fi
    done
}
unmount
trap unmount EXIT
trap 'exit 130' INT TERM
mount -t proc proc "$SYSTEM/proc"
mkdir -p "$SYSTEM/dev/shm"
mount -t tmpfs -o mode=1777 tmpfs "$SYSTEM/dev/shm"
cp /etc/resolv.conf "$SYSTEM/etc/resolv.conf"

CHECKOUT=/root/fbmanager
rm -rf "$SYSTEM$CHECKOUT"
mkdir -p "$SYSTEM$CHECKOUT"
tar -C "$ROOT" --exclude-vcs --exclude=./build --exclude='./build-*' -cf - . | tar -C "$SYSTEM$CHECKOUT" -xf -

in_system() {
    chroot "$SYSTEM" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        FBM_CMAKE_ARGS="-DFBM_WARNINGS_AS_ERRORS=ON" sh -c "cd $CHECKOUT && $1"
}
if $PREPARE; then
    in_system '. ./scripts/packages.sh && need_packages $BUILD_PACKAGES'
    exit 0
fi
echo "Running ./scripts/test.sh on Debian $CODENAME ($(cat "$SYSTEM/etc/debian_version"))"
in_system ./scripts/test.sh
