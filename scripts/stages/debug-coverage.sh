#!/usr/bin/env bash
# The Debug stage of the test command: the x86_64 program and its tests built in Debug (every
# assert active) and for gcov, the unit and GUI suites run under 64-bit Wine (native, also
# inside the emulation namespace), then line and branch coverage per product folder. Fails when
# a test fails or the product's line coverage falls below COVERAGE_THRESHOLD.
# Run by scripts/test.sh with the display up; alone: DISPLAY=... scripts/stages/debug-coverage.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

# Product line coverage reached by the suites, less a little for runs that time differently.
COVERAGE_THRESHOLD=92.0

begin_stage
STAGE_START=$(date +%s)
DIR=$OUT/x86_64-debug

log "building x86_64 Debug with tests, for coverage"
cmake_build x86_64-debug "$ROOT" "$DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/x86_64-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DCORVANE_COVERAGE=ON
stage_done "building x86_64 Debug"

# The 64-bit loader runs natively wherever this machine is x86_64, emulated namespace or not.
use_flavour x86_64
start_wine

# The counts of an earlier run would be added to this one's.
find "$DIR" -name '*.gcda' -delete
# The program writes each count file to the object's own path; through Wine's Z: drive (the
# host's /) that is the build tree, whatever the current drive of the process.
export GCOV_PREFIX=Z: GCOV_PREFIX_STRIP=0

status=0
log "running the unit and GUI suites, Debug, under 64-bit Wine"
ctest --test-dir "$DIR" --output-on-failure --timeout 300 || status=1
stage_done "the Debug suite"

log "coverage of the product by the Debug suite"
# Only the build tree is searched for counts: the Wine prefixes under out/ link to the host's /.
gcovr --root "$ROOT" --object-directory "$DIR" --gcov-executable x86_64-w64-mingw32-gcov-posix \
    --filter "$ROOT/(app|fw|portlib|ports|diag|update|ui)/" \
    --exclude-throw-branches --exclude-unreachable-branches \
    --json-summary "$OUT/coverage-summary.json" --txt "$OUT/coverage.txt" "$DIR" >/dev/null ||
    { log "gcovr failed"; exit 1; }
python3 "$ROOT/scripts/stages/coverage-by-folder.py" "$OUT/coverage-summary.json" "$COVERAGE_THRESHOLD" ||
    status=1
log "uncovered lines per file: $OUT/coverage.txt"
stage_done "coverage"
exit $status
