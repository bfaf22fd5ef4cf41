#!/usr/bin/env bash
# Makes the spooler of the current Wine prefix ($WINEPREFIX) list exactly the given ports, e.g.
#   wine-ports.sh LPT1: LPT2: COM1: FILE: USB001
# Wine's spooler lists the value names of this registry key (REG_SZ, data unused), sorted by
# name, and reads it at every enumeration. The key must never hold a default (unnamed) value:
# Wine's spooler loops for ever on it. With no arguments the spooler lists no port at all.
set -euo pipefail

key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports'
# The loader of the prefix's flavour, which the run and test commands export.
wine=${WINELOADER:-/usr/lib/wine/wine}

[ -n "${WINEPREFIX:-}" ] || { echo "wine-ports.sh: WINEPREFIX is not set" >&2; exit 2; }

export WINEDEBUG=${WINEDEBUG:--all}
# "reg add" of the bare key gives it an empty default value; /va takes that away again.
"$wine" reg add "$key" /f >/dev/null
"$wine" reg delete "$key" /va /f >/dev/null
for port in "$@"; do
    "$wine" reg add "$key" /v "$port" /t REG_SZ /d "" /f >/dev/null
done
