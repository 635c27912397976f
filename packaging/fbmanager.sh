#!/bin/bash
# Starts the program where it lives beside its template tree (lib/fbmanager),
# under the name it was called by.
exec -a "$(basename "$0")" "$(dirname "$(readlink -f "$0")")/../lib/fbmanager/bin/fbmanager" "$@"
