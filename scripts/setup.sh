#!/bin/sh
# Installs the Debian packages the build needs (only those missing), then
# configures and builds into build/. Sourced by run.sh and test.sh.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build"
. "$ROOT/scripts/packages.sh"
need_packages $BUILD_PACKAGES
# The fault tests give files an ACL and extended attributes and read them back.
need_packages acl attr

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${FBM_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD" --parallel "$(nproc)"
