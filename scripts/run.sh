#!/bin/sh
# Builds the program and starts it.
set -eu
. "$(dirname "$0")/setup.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<MSG
fbmanager is built ($BUILD/bin/fbmanager), but there is no display to show its window:
neither DISPLAY nor WAYLAND_DISPLAY is set.
Start it from a desktop session, or under a virtual display:
    apt-get install xvfb && xvfb-run -s '-screen 0 1280x1024x24' $BUILD/bin/fbmanager
MSG
    exit 1
fi
exec "$BUILD/bin/fbmanager" "$@"
