#!/usr/bin/env bash
# Makes the recordings of tests/recordings/ again: for each NAME.sim there (a simulator
# scenario whose first line says "# operations: update verify"), runs the real Corvane.exe on
# the recorder over the simulator, presses those operations, and writes NAME.rec (the
# recording) and NAME.expect (the text of each box, one line each).
#   scripts/make-recordings.sh [NAME ...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

begin_command "$0" "$@"
build_and_start_wine

folder=$ROOT/tests/recordings
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for scenario in "$folder"/*.sim; do
        names+=("$(basename "$scenario" .sim)")
    done
fi
cd "$OUT/$FLAVOUR/bin"
for name in "${names[@]}"; do
    scenario=$folder/$name.sim
    read -r -a operations < <(sed -n '1s/^# operations://p' "$scenario")
    log "recording $name: ${operations[*]}"
    "$WINELOADER" corvane_replay.exe record "Z:$scenario" "Z:$folder/$name.rec" \
        --expect "Z:$folder/$name.expect" "${operations[@]}" | tr -d '\r'
    [ "${PIPESTATUS[0]}" = 0 ] || { log "recording $name failed"; exit 1; }
done
