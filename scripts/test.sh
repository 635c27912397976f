#!/bin/sh
# Builds the program and runs every test.
set -eu
. "$(dirname "$0")/setup.sh"
cd "$BUILD"
ctest --output-on-failure --parallel "$(nproc)"
