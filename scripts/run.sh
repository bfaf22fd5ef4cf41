#!/usr/bin/env bash
# Installs what is missing, builds the tool and the simulated port library, and runs the tool
# under Wine on the simulated printers. Without a display it runs under Xvfb, saves a
# screenshot of the main window to out/corvane.png and ends the tool. With arguments it runs the
# tool unattended with them instead (scripts/run.sh /update /port USB001), prints what the tool
# printed and ends with the tool's exit status.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

begin_command "$0" "$@"
log "building $FLAVOUR"
build_flavour "$FLAVOUR" -DBUILD_TESTING=OFF
start_wine

bin=$OUT/$FLAVOUR/bin
# A realistic machine: two parallel ports, a serial port, a file port and one USB port.
if [ -x "$ROOT/scripts/wine-ports.sh" ]; then
    "$ROOT/scripts/wine-ports.sh" LPT1: LPT2: COM1: FILE: USB001
fi
# The simulated printers of the run: see sim/README.md.
cp "$ROOT/scripts/run.sim" "$bin/Lorvex.sim"

cd "$bin"
if [ $# -gt 0 ]; then
    log "running Corvane.exe $*"
    status=0
    "$WINELOADER" Corvane.exe "$@" | cat || status=${PIPESTATUS[0]}
    log "exit status $status"
    exit "$status"
fi
if [ "$HEADLESS" = 0 ]; then
    log "running Corvane on display $DISPLAY"
    "$WINELOADER" Corvane.exe
    exit 0
fi

log "no display: running Corvane under Xvfb ($DISPLAY)"
# The driver's picture of the main window as it opens (tools/guide-shots), then the tool ends.
shot=$OUT/corvane.bmp
rm -f "$shot"
"$WINELOADER" GuideShots.exe --main-window "Z:$shot" </dev/null | tr -d '\r'
convert "$shot" "${shot%.bmp}.png"
rm -f "$shot"
log "screenshot of the main window: ${shot%.bmp}.png"
