#!/usr/bin/env bash
# Coverage-guided fuzzing of the parsers of outside input: the libFuzzer targets of tests/host/fuzz,
# built natively with clang under the address and undefined-behaviour sanitizers. Each target
# starts from its seed corpus (tests/host/corpus/<target>) and its regression cases
# (tests/host/regressions/<target>) and runs a fixed number of inputs. Any broken rule, bad read,
# leak or hang fails the run, and so does a total of fewer than a million inputs.
# A finding's input is kept as out/fuzz/findings/<target>/crash-*: reproduce it with
#   out/fuzz/fuzz_<target> out/fuzz/findings/<target>/crash-...
# and, with the fault mended, copy it into tests/host/regressions/<target>/ so that every later
# run (and the host-side tests' fuzz_replay_<target>) replays it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
begin_stage

# target, inputs to run, longest input in bytes (a reply buffer is 50 bytes, a device ID 1024;
# a recording's first lines are enough to reach every field).
TARGETS=(
    "version_reply 400000 64"
    "memory_reply 400000 64"
    "device_id 400000 1100"
    "port_id 600000 128"
    "hex_byte 400000 8"
    "recording 100000 2048"
)
MIN_TOTAL=1000000

BUILD=$OUT/fuzz
CXX=clang++ cmake_build fuzz "$ROOT/tests/host" "$BUILD" -DCMAKE_BUILD_TYPE=Debug -DCORVANE_FUZZ=ON

export ASAN_OPTIONS=halt_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

total=0
failed=0
started=$(date +%s)
for entry in "${TARGETS[@]}"; do
    read -r target runs max_len <<<"$entry"
    work=$BUILD/work/$target
    findings=$BUILD/findings/$target
    rm -rf "$work" "$findings"
    mkdir -p "$work" "$findings"
    logfile=$BUILD/$target.log
    begin=$(date +%s)
    # New inputs go to the first folder, never into the repository's. -timeout makes a hang a
    # finding; -max_total_time only stops a run that has stalled as a whole.
    # The recordings the replay is held to seed the recording parser.
    seeds=()
    [ "$target" = recording ] && seeds=("$ROOT/tests/recordings")
    rc=0
    "$BUILD/fuzz_$target" -runs="$runs" -max_len="$max_len" -timeout=10 -max_total_time=300 \
        -print_final_stats=1 -artifact_prefix="$findings/" \
        "$work" "$ROOT/tests/host/corpus/$target" "$ROOT/tests/host/regressions/$target" \
        "${seeds[@]}" >"$logfile" 2>&1 || rc=$?
    executed=$(awk '/^stat::number_of_executed_units:/ { print $2 }' "$logfile" | tail -1)
    seed=$(sed -n 's/^INFO: Seed: \([0-9]*\).*/\1/p' "$logfile" | head -1)
    coverage=$(sed -n 's/.*DONE *cov: \([0-9]*\).*/\1/p' "$logfile" | tail -1)
    printf '%-14s %8s inputs in %3d s, %s edges covered, seed %s\n' "$target" "${executed:-?}" \
        "$(($(date +%s) - begin))" "${coverage:-?}" "${seed:-?}" >&2
    total=$((total + ${executed:-0}))
    if [ "$rc" -ne 0 ]; then
        failed=$((failed + 1))
        grep -E 'rule broken|ERROR:|SUMMARY:|runtime error' "$logfile" | head -20 >&2 || true
        log "FINDING in $target (log $logfile): $(find "$findings" -type f -printf '%f ')"
        log "reproduce: $BUILD/fuzz_$target $findings/<file>; once mended, copy the file into tests/host/regressions/$target/"
    fi
done

log "fuzzing: $total inputs over ${#TARGETS[@]} targets in $(($(date +%s) - started)) s, $failed with findings"
if [ "$total" -lt "$MIN_TOTAL" ]; then
    log "fuzzing ran fewer than $MIN_TOTAL inputs"
    exit 1
fi
[ "$failed" -eq 0 ]
