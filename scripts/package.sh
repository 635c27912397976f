#!/bin/sh
# Builds the Debian package the way Debian builds its own: with the flags of
# dpkg-buildflags (hardening included), stripped, and reproducible: file times
# come from the last commit, and neither the source nor the build directory
# leaves a trace in the binary, so two builds give the same bytes.
#
#   scripts/package.sh [BUILD-DIR]     (default: build-package/)
#
# The package ends up in BUILD-DIR; its path is the last line printed.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/packages.sh"
need_packages cmake g++ make qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools \
    qt6-translations-l10n dpkg-dev file

BUILD=${1:-$ROOT/build-package}
mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)

if SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null); then :; else
    SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$ROOT/packaging/changelog" -S Timestamp)
fi
export SOURCE_DATE_EPOCH
# rcc stores each resource's time; the translations are made during the build.
export QT_RCC_SOURCE_DATE_OVERRIDE="$SOURCE_DATE_EPOCH"
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
# dpkg-buildflags maps the directory it runs in away; the build directory
# is mapped too (later maps win), wherever it lies.
buildflag() { (cd "$ROOT" && dpkg-buildflags --get "$1"); }
CXXFLAGS="$(buildflag CPPFLAGS) $(buildflag CXXFLAGS) -ffile-prefix-map=$BUILD=."
LDFLAGS=$(buildflag LDFLAGS)

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=None -DFBM_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$BUILD" --parallel "$(nproc)" >/dev/null
rm -f "$BUILD"/fbmanager_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
ls "$BUILD"/fbmanager_*.deb
