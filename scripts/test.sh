#!/usr/bin/env bash
# Installs what is missing, builds the tool, its simulated port library and its tests, and runs
# every test: unit and GUI tests of the i686 program under Wine (emulated where the kernel runs
# no 32-bit code), the host-side parser tests natively. A test that fails fails the run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

begin_command "$0" "$@"
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

start_wine
stage_done "starting Wine ($FLAVOUR${CORVANE_I386_EMULATED:+, under qemu-i386})"

# What failed, said again at the very end: a log read from its tail shows it there.
failed=()
fail() {
    failed+=("$1")
    status=1
}
# The names of the tests of a CTest tree that failed in its last run.
failed_tests() {
    local list=$1/Testing/Temporary/LastTestsFailed.log
    [ -f "$list" ] && cut -d: -f2- "$list" | paste -sd' ' - || true
}

status=0
log "running the tests under Wine"
ctest --test-dir "$OUT/$FLAVOUR" --output-on-failure --timeout 900 ||
    fail "the Wine test suite: $(failed_tests "$OUT/$FLAVOUR")"
"$ROOT/scripts/stages/reliability-figures.sh" "$OUT/$FLAVOUR"
stage_done "the Wine test suite"

# The release, built twice in two folders: the same Corvane.exe and zip, and a zip that verifies.
if [ "$FLAVOUR" = i686 ]; then
    "$ROOT/scripts/stages/release-twice.sh" || fail "the release built twice"
    STAGE_START=$(date +%s) # the stage timed itself
else
    log "no release check: its pictures need the i686 program under Wine"
    fail "no release check"
fi

"$ROOT/scripts/stages/host-tests.sh" || fail "the host-side tests: $(failed_tests "$OUT/host")"
stage_done "the host-side tests"
"$ROOT/scripts/stages/fuzz.sh" || fail "the fuzzers"
stage_done "the fuzzers"
"$ROOT/scripts/stages/static-checks.sh" || fail "static analysis"
stage_done "static analysis"

bash "$ROOT/scripts/stages/debug-coverage.sh" ||
    fail "the Debug suite or its coverage: $(failed_tests "$OUT/x86_64-debug")"

log "done in $(($(date +%s) - CORVANE_START)) s"
for each in "${failed[@]}"; do
    log "FAILED: $each"
done
exit $status
