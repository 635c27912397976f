#!/bin/sh
# Installs the Debian packages the build needs (only those missing), then
# configures and builds into build/. Sourced by run.sh and test.sh.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build"
PACKAGES="cmake g++ make qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
if [ -n "$missing" ]; then
    echo "Installing missing packages:$missing"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Run this command as root (or install the packages above with sudo apt-get install)." >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
fi

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${FBM_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD" --parallel "$(nproc)"
