#!/bin/sh
# need_packages PACKAGE...: installs those of the Debian packages that are
# missing (apt-get, as root). Sourced by the other scripts.

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
