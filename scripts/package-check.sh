#!/bin/sh
# Checks the Debian package as the tools of its users' systems do:
#  - builds it twice, in two build directories, and compares the bytes;
#  - its file list (scripts/package-files.txt), dependencies and recommends,
#    and that the changelog and the AppStream releases know its version;
#  - lintian reports nothing, informational, pedantic and experimental tags
#    included, but those ACCEPTED_TAGS lists below, each with its reason;
#  - appstreamcli and desktop-file-validate accept the installed metadata;
#  - installed with apt-get on a fresh system (made with debootstrap) of the
#    release this machine runs, the one the package was built for, the
#    program answers --version without a display and, started under Xvfb with
#    an empty home, merges its installed template.
# Needs root and Debian's archive.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/packages.sh"
need_packages debootstrap dpkg-dev file lintian appstream desktop-file-utils

# Informational and experimental tags let through, one "tag: reason" per line.
ACCEPTED_TAGS="executable-in-usr-lib: the program finds its template tree beside itself \
(lib/fbmanager/bin/../user), as in the build tree; /usr/bin/fbmanager starts it there
hardening-no-fortify-functions: the build has -D_FORTIFY_SOURCE=2 (from dpkg-buildflags, checked \
below), but every read and memcpy of the program either has a size the compiler proves safe, \
where glibc calls the plain function, or a size known only at run time, which glibc cannot check"

CHECK="$ROOT/build-package-check"
rm -rf "$CHECK"
mkdir -p "$CHECK"
for build in 1 2; do
    echo "Building the package ($build of 2)"
    "$ROOT/scripts/package.sh" "$CHECK/build-$build" >/dev/null 2>"$CHECK/build-$build.log" \
        || { tail -20 "$CHECK/build-$build.log" >&2; exit 1; }
done
DEB=$(cd "$CHECK/build-1" && ls fbmanager_*.deb)
echo "Package: $DEB"
if ! cmp "$CHECK/build-1/$DEB" "$CHECK/build-2/$DEB"; then
    echo "Two builds of the same sources gave different packages" >&2
    exit 1
fi
for flag in -D_FORTIFY_SOURCE=2 -fstack-protector-strong; do
    grep -q -e "^CMAKE_CXX_FLAGS:STRING=.*$flag" "$CHECK/build-1/CMakeCache.txt" \
        || { echo "The package was not built with $flag" >&2; exit 1; }
done
cp "$CHECK/build-1/$DEB" "$CHECK/"
cd "$CHECK"

dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' | sort > package-files.txt
if ! diff -u "$ROOT/scripts/package-files.txt" package-files.txt; then
    echo "The package's file list differs from scripts/package-files.txt" >&2
    exit 1
fi
for field in "Depends: libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins" "Recommends: qt6-translations-l10n"; do
    value=$(dpkg-deb -f "$DEB" "${field%%:*}")
    for runtime in ${field#*:}; do
        case "$value" in
            *"$runtime"*) ;;
            *) echo "${field%%:*} lacks $runtime: $value" >&2; exit 1 ;;
        esac
    done
done

dpkg-deb -x "$DEB" tree
version=$(dpkg-deb -f "$DEB" Version)
if [ "$(dpkg-parsechangelog -l "$ROOT/packaging/changelog" -S Version)" != "$version" ] \
    || ! grep -q "<release version=\"$version\"" tree/usr/share/metainfo/*.metainfo.xml; then
    echo "The changelog and the AppStream metadata need an entry for version $version" >&2
    exit 1
fi
if grep -rlF -e "$ROOT" -e "$CHECK" tree; then
    echo "These files of the package name the source or build directory" >&2
    exit 1
fi

lintian --pedantic --display-info --display-experimental "$DEB" 2>&1 \
    | grep -E '^[EWIPX]: ' > lintian.txt || true
unexpected=$(while read -r kind package tag rest; do
    case "$kind" in
        [IPX]:) printf '%s\n' "$ACCEPTED_TAGS" | grep -q "^$tag:" && continue ;;
    esac
    echo "$kind $package $tag $rest"
done < lintian.txt)
if [ -n "$unexpected" ]; then
    echo "$unexpected" >&2
    echo "lintian found the problems above" >&2
    exit 1
fi
echo "lintian: no tags but the accepted ones"

appstreamcli validate-tree --no-net tree > appstream.txt 2>&1 || { cat appstream.txt >&2; exit 1; }
if grep -E '^ *[EW]: ' appstream.txt; then
    echo "appstreamcli finds the problems above" >&2
    exit 1
fi
desktop-file-validate tree/usr/share/applications/*.desktop > desktop.txt 2>&1 || true
if [ -s desktop.txt ]; then
    cat desktop.txt >&2
    echo "desktop-file-validate finds the problems above" >&2
    exit 1
fi
echo "appstreamcli and desktop-file-validate accept the metadata and the desktop entry"

# The package depends on the versions of the libraries it was built with.
RELEASE=$(. /etc/os-release && echo "$VERSION_CODENAME")
CLEAN=$(mktemp -d /tmp/fbmanager-clean.XXXXXX)
cleanup() {
    umount "$CLEAN/proc" 2>/dev/null || true
    rm -rf "$CLEAN"
}
trap cleanup EXIT
echo "Making a fresh Debian $RELEASE in $CLEAN"
debootstrap --variant=minbase "$RELEASE" "$CLEAN" "${FBM_DEBIAN_MIRROR:-http://deb.debian.org/debian}" >/dev/null
cp "$DEB" "$CLEAN/tmp/"
cp /etc/resolv.conf "$CLEAN/etc/"
mount -t proc proc "$CLEAN/proc"
if ! chroot "$CLEAN" sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq /tmp/$DEB xvfb xauth" >"$CHECK/package-install.log" 2>&1; then
    tail -20 "$CHECK/package-install.log" >&2
    echo "apt-get could not install the package on a fresh Debian $RELEASE" >&2
    exit 1
fi

answer=$(chroot "$CLEAN" env -u DISPLAY HOME=/nonexistent fbmanager --version)
[ "$answer" = "fbmanager $version" ] \
    || { echo "The installed program answers --version with: $answer" >&2; exit 1; }
chroot "$CLEAN" sh -c 'mkdir -p /tmp/home && cd /tmp && HOME=/tmp/home \
    timeout 10 xvfb-run -a /usr/bin/fbmanager >/dev/null 2>&1; [ $? -eq 124 ]' \
    || { echo "The installed program did not keep running" >&2; exit 1; }
for file in devices/MyFunctionBlocks/device.xml units/Examples/gain.unit/unit.xml; do
    if ! cmp -s "$CLEAN/usr/lib/fbmanager/user/$file" "$CLEAN/tmp/home/Ostrel/Velmora2/$file"; then
        echo "The installed program did not merge its template ($file)" >&2
        exit 1
    fi
done
echo "The package installs on a fresh Debian $RELEASE, and the installed program starts and merges its template."
