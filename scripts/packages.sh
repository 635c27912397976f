#!/bin/sh
# need_packages PACKAGE...: installs those of the Debian packages that are
# missing (apt-get, as root). Sourced by the other scripts.

# What building the program and running its tests takes.
BUILD_PACKAGES="cmake g++ make qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n"

need_packages() {
    missing=""
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $package"
        fi
    done
    [ -n "$missing" ] || return 0
    echo "Installing missing packages:$missing"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Run this command as root (or install the packages above with sudo apt-get install)." >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
}
