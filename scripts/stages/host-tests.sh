#!/usr/bin/env bash
# The host-side stage of the test command: the parsers' tests of tests/host, built natively under
# the address and undefined-behaviour sanitizers, and run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
begin_stage

log "running the host-side tests (address and undefined-behaviour sanitizers)"
cmake_build host "$ROOT/tests/host" "$OUT/host" -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir "$OUT/host" --output-on-failure --timeout 600
