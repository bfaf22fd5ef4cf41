#!/usr/bin/env bash
# Installs what is missing, builds the tool and the simulated port library, and runs the tool
# under Wine on the simulated printers. Without a display it runs under Xvfb, saves a
# screenshot of the main window to out/corvane.png and ends the tool.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

mkdir -p "$OUT"
install_packages
choose_flavour
log "building $FLAVOUR"
build_flavour "$FLAVOUR" -DBUILD_TESTING=OFF
ensure_display
prepare_prefix
trap stop_display EXIT

bin=$OUT/$FLAVOUR/bin
# A realistic machine: two parallel ports, a serial port, a file port and one USB port.
if [ -x "$ROOT/scripts/wine-ports.sh" ]; then
    "$ROOT/scripts/wine-ports.sh" LPT1: LPT2: COM1: FILE: USB001
fi
# The simulated printers of the run: see sim/README.md.
cp "$ROOT/scripts/run.sim" "$bin/Lorvex.sim"

cd "$bin"
if [ "$HEADLESS" = 0 ]; then
    log "running Corvane on display $DISPLAY"
    "$WINELOADER" Corvane.exe
    exit 0
fi

log "no display: running Corvane under Xvfb ($DISPLAY)"
# A Wine desktop window frames the dialog with its caption, as a window manager would.
"$WINELOADER" explorer /desktop=Corvane,640x480 Corvane.exe &
tool=$!
for _ in $(seq 1 100); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Corvane (NVM Ver.1.01.06)"' && break
    sleep 0.2
done
sleep 1
import -window root -crop 640x480+0+0 "$OUT/corvane.png"
log "screenshot of the main window: $OUT/corvane.png"
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
wait "$tool" 2>/dev/null || true
