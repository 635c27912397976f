#!/bin/sh
# Refreshes the README's pictures in docs/images: both tabs of the window,
# drawn under a virtual X display with a sample device and a filled form.
set -eu
. "$(dirname "$0")/setup.sh"
for package in xvfb xauth; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >/dev/null
done
cmake --build "$BUILD" --target fbmanager_screenshots
mkdir -p "$ROOT/docs/images"
cd "$BUILD/bin"
# A laptop's screen, in English and in German.
xvfb-run -a -s '-screen 0 1366x768x24' env LC_ALL=C.UTF-8 LANGUAGE=en ./fbmanager_screenshots "$ROOT/docs/images"
xvfb-run -a -s '-screen 0 1366x768x24' env LC_ALL=C.UTF-8 LANGUAGE=de ./fbmanager_screenshots "$ROOT/docs/images" de
echo "Pictures written to $ROOT/docs/images"
