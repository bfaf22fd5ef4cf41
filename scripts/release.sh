#!/usr/bin/env bash
# The release command: out/release/Corvane-<version>-win32.zip from the i686 Release build,
# holding Corvane.exe, the operator's guide (one HTML page, its pictures of this very build taken
# here under Xvfb on the simulated printers), LICENSE and SHA256SUMS of the other three; beside it
# the support kit Corvane-<version>-support.zip (scripts/support-kit.sh) and, outside both, the
# debug files of the shipped program and library (Corvane-<version>-debug/). With a certificate
# (scripts/sign-release.sh) the program and the library are signed; without, nothing changes.
# Every dated thing takes the commit's time (SOURCE_DATE_EPOCH, when not given), so two runs on
# one commit give the same bytes, wherever they run. Installs what is missing first.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

STAGE_START=$(date +%s)
begin_command "$0" "$@"
if [ "$FLAVOUR" != i686 ]; then
    log "the release's pictures need the i686 program running under 32-bit Wine, and it cannot run here"
    exit 1
fi

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null) ||
        { log "no commit to date the release by: set SOURCE_DATE_EPOCH"; exit 1; }
fi
export SOURCE_DATE_EPOCH

# Built afresh each time: the linker stamps the header with SOURCE_DATE_EPOCH only when it runs.
BUILD=$OUT/release-i686
STAGE=$OUT/release-stage
rm -rf "$BUILD" "$STAGE"
mkdir -p "$STAGE/bmp" "$STAGE/shots" "$STAGE/zip" "$OUT/release"
log "building i686 Release (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
# The program, the recorder for the support kit, and for the pictures the simulated library, the
# sample data file and the program that takes them.
cmake_build release "$ROOT" "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -- \
    --target Corvane Lorvex lorvex_sample_image lorvex_recorder GuideShots
version=$(cat "$BUILD/version.txt")
stage_done "building the release"

# The guide's pictures: the program on a simulated printer on LPT1 (tools/guide-shots), taken as
# BMP files; the PNG holds no chunk of the time it was made.
export CORVANE_PREFIX=${CORVANE_PREFIX:-$OUT/wineprefix-release-$FLAVOUR}
start_wine
log "taking the guide's pictures"
"$WINELOADER" "$BUILD/bin/GuideShots.exe" "Z:$STAGE/bmp" </dev/null | tr -d '\r' |
    while read -r line; do log "pictures: $line"; done ||
    { log "the guide's pictures were not all taken"; exit 1; }
for bmp in "$STAGE/bmp"/*.bmp; do
    convert "$bmp" -strip -define png:exclude-chunks=date,time +set date:create +set date:modify \
        "$STAGE/shots/$(basename "$bmp" .bmp).png"
done
stage_done "taking the pictures"

# pandoc 2 (Debian 12) embeds the pictures with --self-contained, pandoc 3 with --embed-resources.
embed=(--self-contained)
pandoc_major=$(pandoc --version | awk 'NR == 1 { split($2, v, "."); print v[1] }')
[ "$pandoc_major" -lt 3 ] || embed=(--embed-resources --standalone)
sed "s/@VERSION@/$version/g" "$ROOT/docs/guide.md" >"$STAGE/guide.md"
guide=Corvane-$version-guide.html
pandoc "$STAGE/guide.md" --from markdown --to html5 "${embed[@]}" --resource-path="$STAGE/shots" \
    --output "$STAGE/zip/$guide"
cp "$BUILD/bin/Corvane.exe" "$STAGE/zip/"
"$ROOT/scripts/sign-release.sh" "$STAGE/zip/Corvane.exe"
cp "$ROOT/LICENSE" "$STAGE/zip/LICENSE"
zip=$OUT/release/Corvane-$version-win32.zip
rm -f "$zip"
python3 "$ROOT/scripts/release-zip.py" "$zip" "$SOURCE_DATE_EPOCH" "$STAGE/zip" Corvane.exe "$guide" LICENSE
"$ROOT/scripts/support-kit.sh" "$BUILD" "$STAGE/support" "$version" "$OUT/release"
debug=$OUT/release/Corvane-$version-debug
rm -rf "$debug"
mkdir -p "$debug"
cp "$BUILD/bin/Corvane.debug" "$BUILD/bin/recorder/Lorvex.debug" "$debug/"
stage_done "the guide and the zip"
(cd "$OUT/release" && sha256sum "$(basename "$zip")" >"$(basename "$zip").sha256")
log "release: $zip"
cat "$zip.sha256" "$OUT/release/Corvane-$version-support.zip.sha256" >&2
(cd "$BUILD/bin" && sha256sum Corvane.exe) >&2
