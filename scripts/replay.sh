#!/usr/bin/env bash
# Replays a recording of the port library (made by the recorder, recorder/) in the real
# Corvane.exe on the simulated library, under Xvfb where there is no display:
#   scripts/replay.sh FILE.rec [update|verify ...] [--data FILE] [--timing]
# Without operations it presses those the recording holds, in order. --data gives the data file
# of the recorded run (default: the sample file the build makes); --timing keeps the recorded
# pauses. Prints the calls replayed, the first divergence or none, the text of each box, and
# saves a screenshot of the last box to out/replay-last-box.png. Exit status 0 only when the
# whole recording replayed without divergence.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
[ $# -ge 1 ] || { echo "usage: scripts/replay.sh FILE.rec [update|verify ...] [--data FILE] [--timing]" >&2; exit 2; }

begin_command "$0" "$@"

recording=$(realpath "$1")
shift
args=()
while [ $# -gt 0 ]; do
    case "$1" in
    --data) args+=(--data "Z:$(realpath "$2")"); shift 2 ;;
    *) args+=("$1"); shift ;;
    esac
done

build_and_start_wine

shot=$OUT/replay-last-box.bmp
rm -f "$shot" "${shot%.bmp}.png"
cd "$OUT/$FLAVOUR/bin"
# The Windows program ends its lines with CR LF.
set +e
"$WINELOADER" corvane_replay.exe replay "Z:$recording" --shot "Z:$shot" "${args[@]}" | tr -d '\r'
status=${PIPESTATUS[0]}
set -e
if [ -s "$shot" ]; then
    convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
    echo "screenshot of the last box: ${shot%.bmp}.png"
fi
exit "$status"
