#!/usr/bin/env bash
# Installs what is missing, builds the tool, its simulated port library and its tests, and runs
# every test: unit and GUI tests of the i686 program under Wine (emulated where the kernel runs
# no 32-bit code), the host-side parser tests natively. A test that fails fails the run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

mkdir -p "$OUT"
export CORVANE_START=${CORVANE_START:-$(date +%s)}
install_packages
enter_32bit_machine "$0" "$@"
choose_flavour
stage_done "installing"

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
# The same sources for 64-bit Windows: they must build, and the manifest must name amd64.
if [ "$FLAVOUR" = i686 ]; then
    log "building x86_64 (the program only)"
    build_flavour x86_64 -DBUILD_TESTING=OFF
    cmake -DPROGRAM="$OUT/x86_64/bin/Corvane.exe" -P "$ROOT/tests/ManifestCheck.cmake"
fi
stage_done "building"

ensure_display
prepare_prefix
trap stop_display EXIT
start_wineserver
stage_done "starting Wine ($FLAVOUR${CORVANE_I386_EMULATED:+, under qemu-i386})"

status=0
log "running the tests under Wine"
ctest --test-dir "$OUT/$FLAVOUR" --output-on-failure --timeout 300 || status=1
"$ROOT/scripts/reliability-figures.sh" "$OUT/$FLAVOUR"
stage_done "the Wine test suite"

# The release, built twice in two folders: the same Corvane.exe and zip, and a zip that verifies.
if [ "$FLAVOUR" = i686 ]; then
    "$ROOT/scripts/reproducible.sh" || status=1
    STAGE_START=$(date +%s) # the stage timed itself
else
    log "no release check: its pictures need the i686 program under Wine"
    status=1
fi

if [ -f "$ROOT/tests/host/CMakeLists.txt" ]; then
    log "running the host-side tests (address and undefined-behaviour sanitizers)"
    cmake -S "$ROOT/tests/host" -B "$OUT/host" -DCMAKE_BUILD_TYPE=Debug >"$OUT/configure-host.log" ||
        { cat "$OUT/configure-host.log"; exit 1; }
    cmake --build "$OUT/host" -j"$(nproc)" >"$OUT/build-host.log" 2>&1 ||
        { tail -40 "$OUT/build-host.log"; exit 1; }
    ctest --test-dir "$OUT/host" --output-on-failure --timeout 600 || status=1
    stage_done "the host-side tests"
fi
"$ROOT/scripts/fuzz.sh" || status=1; stage_done "the fuzzers"
"$ROOT/scripts/static-checks.sh" || status=1; stage_done "static analysis"

bash "$ROOT/scripts/debug-coverage.sh" || status=1

log "done in $(($(date +%s) - CORVANE_START)) s"
exit $status
