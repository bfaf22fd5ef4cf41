#!/usr/bin/env bash
# Builds the tool and runs the update benchmark, which prints its figures: throughput of a
# 4 MiB update against a direct send loop and against the floor its worker's loop and bar
# messages leave, Verify's own time, the processor time the tool uses while a slow transfer
# runs against a program that only repaints the same progress bar, and the tool's peak working
# set for a large and a small data file. Run on demand; takes a few minutes. Arguments go to
# the benchmark (throughput, waiting or memory: only that part).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

begin_command "$0" "$@"
build_and_start_wine
cd "$OUT/$FLAVOUR/bin"
"$WINELOADER" update_bench.exe "$@"
