#!/usr/bin/env bash
# Installs what is missing, builds the tool and the simulated port library, and runs the tool
# under Wine on the simulated printers. Without a display it runs under Xvfb, saves a
# screenshot of the main window to out/corvane.png and ends the tool. With arguments it runs the
# tool unattended with them instead (scripts/run.sh /update /port USB001), prints what the tool
# printed and ends with the tool's exit status.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

mkdir -p "$OUT"
install_packages
enter_32bit_machine "$0" "$@"
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
# A Wine desktop window frames the dialog with its caption, as a window manager would.
"$WINELOADER" explorer /desktop=Corvane,640x480 Corvane.exe &
tool=$!
shown=0
for _ in $(seq 1 300); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Corvane (NVM Ver.1.01.06)"' && { shown=1; break; }
    sleep 0.2
done
[ "$shown" = 1 ] || { log "the main window did not appear"; exit 1; }
# The window is mapped before it is painted: take the picture once two in a row agree.
shot=$OUT/corvane.png
previous=$OUT/corvane-previous.png
import -window root -crop 640x480+0+0 "$previous"
for _ in $(seq 1 40); do
    sleep 0.5
    import -window root -crop 640x480+0+0 "$shot"
    compare -metric AE "$shot" "$previous" null: 2>/dev/null && break
    mv "$shot" "$previous"
done
rm -f "$previous"
log "screenshot of the main window: $shot"
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
wait "$tool" 2>/dev/null || true
