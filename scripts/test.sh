#!/usr/bin/env bash
# Installs what is missing, builds the tool, its simulated port library and its tests, and runs
# every test: unit and GUI tests under Wine, the host-side parser tests natively.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

mkdir -p "$OUT"
start=$(date +%s)
install_packages
choose_flavour

# The shipped 32-bit program is always built; tests are built for the flavour that runs here.
if [ "$FLAVOUR" = i686 ]; then
    log "building i686 with tests"
    build_flavour i686 -DBUILD_TESTING=ON
else
    log "building i686 (the shipped program)"
    build_flavour i686 -DBUILD_TESTING=OFF
    log "building x86_64 with tests"
    build_flavour x86_64 -DBUILD_TESTING=ON
fi
log "built in $(($(date +%s) - start)) s"

ensure_display
prepare_prefix
trap stop_display EXIT
start_wineserver

status=0
log "running the tests under Wine"
# A test program that fails is run once more: real input to a fresh window under Xvfb now and
# then goes astray on a loaded machine. A failure that repeats still fails the run.
ctest --test-dir "$OUT/$FLAVOUR" --output-on-failure --timeout 300 --repeat until-pass:2 || status=1

if [ -f "$ROOT/tests/host/CMakeLists.txt" ]; then
    log "running the host-side tests (address and undefined-behaviour sanitizers)"
    cmake -S "$ROOT/tests/host" -B "$OUT/host" -DCMAKE_BUILD_TYPE=Debug >"$OUT/configure-host.log" ||
        { cat "$OUT/configure-host.log"; exit 1; }
    cmake --build "$OUT/host" -j"$(nproc)" >"$OUT/build-host.log" 2>&1 ||
        { tail -40 "$OUT/build-host.log"; exit 1; }
    ctest --test-dir "$OUT/host" --output-on-failure --timeout 600 || status=1
fi

log "done in $(($(date +%s) - start)) s"
exit $status
