#!/bin/sh
# Installs the Debian packages the build needs (only those missing), then
# configures and builds into build/. Sourced by run.sh and test.sh.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build"
. "$ROOT/scripts/packages.sh"
need_packages $BUILD_PACKAGES

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${FBM_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD" --parallel "$(nproc)"
