#!/bin/sh
# Builds the Debian package, checks its file list and dependencies, then
# installs it with apt-get on a fresh Debian 12 (a minimal system made with
# debootstrap) and starts the installed program under Xvfb with an empty
# home: it must merge its installed template. Needs root and Debian's archive.
set -eu
. "$(dirname "$0")/setup.sh"

for package in debootstrap dpkg-dev file; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >/dev/null
done

cd "$BUILD"
rm -f fbmanager_*.deb
cpack -G DEB >/dev/null
DEB=$(ls fbmanager_*.deb)
echo "Package: $DEB"

dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' | sort > package-files.txt
if ! diff -u "$ROOT/scripts/package-files.txt" package-files.txt; then
    echo "The package's file list differs from scripts/package-files.txt" >&2
    exit 1
fi
depends=$(dpkg-deb -f "$DEB" Depends)
for runtime in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n; do
    case "$depends" in
        *"$runtime"*) ;;
        *) echo "The package does not depend on $runtime: $depends" >&2; exit 1 ;;
    esac
done

CLEAN=$(mktemp -d /tmp/fbmanager-clean.XXXXXX)
cleanup() {
    umount "$CLEAN/proc" 2>/dev/null || true
    rm -rf "$CLEAN"
}
trap cleanup EXIT
echo "Making a fresh Debian 12 in $CLEAN"
debootstrap --variant=minbase bookworm "$CLEAN" http://deb.debian.org/debian >/dev/null
cp "$DEB" "$CLEAN/tmp/"
cp /etc/resolv.conf "$CLEAN/etc/"
mount -t proc proc "$CLEAN/proc"
if ! chroot "$CLEAN" sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq /tmp/$DEB xvfb xauth" >"$BUILD/package-install.log" 2>&1; then
    tail -20 "$BUILD/package-install.log" >&2
    echo "apt-get could not install the package on a fresh Debian 12" >&2
    exit 1
fi

chroot "$CLEAN" sh -c 'mkdir -p /tmp/home && cd /tmp && HOME=/tmp/home \
    timeout 10 xvfb-run -a /usr/bin/fbmanager >/dev/null 2>&1; [ $? -eq 124 ]' \
    || { echo "The installed program did not keep running" >&2; exit 1; }
for file in devices/MyFunctionBlocks/device.xml units/Examples/gain.unit/unit.xml; do
    if ! cmp -s "$CLEAN/usr/lib/fbmanager/user/$file" "$CLEAN/tmp/home/Ostrel/Velmora2/$file"; then
        echo "The installed program did not merge its template ($file)" >&2
        exit 1
    fi
done
echo "The package installs on a fresh Debian 12, and the installed program starts and merges its template."
