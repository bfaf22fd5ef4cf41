#!/usr/bin/env bash
# Prints the closing figures of the fault sweep and the leak soak from the last CTest run in a
# build folder ($1), whether they passed or not: CTest shows a passing test's output nowhere else.
set -euo pipefail
log=${1:?build folder}/Testing/Temporary/LastTest.log
[ -f "$log" ] || exit 0
grep -E '^(fault sweep|leak soak):' "$log" | sed 's/^/== /' >&2 || true
