#!/usr/bin/env bash
# The release stage of the test command: builds the release (scripts/release.sh), checks the
# zip's contents against its SHA256SUMS, then builds it a second time from a copy of the sources
# in another folder and requires the same SHA-256 for both Corvane.exe files and both pairs of
# zips (main and support kit). Both builds take the time of the commit (SOURCE_DATE_EPOCH) and
# share one Wine prefix. They are unsigned: a signed release is proven by removing its
# signatures, which gives these bytes.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
begin_stage
STAGE_START=$(date +%s)

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct)}
export CORVANE_PREFIX=${CORVANE_PREFIX:-$OUT/wineprefix-release-i686}
unset CORVANE_SIGN_PKCS12
"$ROOT/scripts/release.sh"

version=$(cat "$OUT/release-i686/version.txt")
zip_name=Corvane-$version-win32.zip
support_name=Corvane-$version-support.zip
first_zip=$OUT/release/$zip_name
status=0
# Each zip holds exactly its files, and its SHA256SUMS verifies.
while read -r name expected; do
    check=$OUT/release-check/$name
    rm -rf "$check"
    python3 -m zipfile -e "$OUT/release/$name" "$check"
    listed=$(python3 -c 'import sys, zipfile; print(" ".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$OUT/release/$name")
    if [ "$listed" != "$expected" ]; then
        log "$name holds: $listed; expected: $expected"
        status=1
    fi
    (cd "$check" && sha256sum --quiet -c SHA256SUMS) || { log "the SHA256SUMS of $name does not verify"; status=1; }
done <<EOF
$zip_name Corvane.exe Corvane-$version-guide.html LICENSE SHA256SUMS
$support_name Lorvex.dll README.txt SHA256SUMS
EOF

# The second build: the same sources (the working tree's, committed or not) in another folder.
second=$OUT/repro
rm -rf "$second"
mkdir -p "$second/src"
git -C "$ROOT" ls-files -z -co --exclude-standard |
    (cd "$ROOT" && tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$second/src"
log "building the release again in $second/src"
CORVANE_OUT=$second/out "$second/src/scripts/release.sh"

for pair in "release-i686/bin/Corvane.exe" "release/$zip_name" "release/$support_name"; do
    a=$(sha256sum <"$OUT/$pair" | cut -d' ' -f1)
    b=$(sha256sum <"$second/out/$pair" | cut -d' ' -f1)
    if [ "$a" = "$b" ]; then
        log "reproducible: $(basename "$pair") $a"
    else
        log "NOT reproducible: $(basename "$pair") $a (first) and $b (second)"
        status=1
    fi
done
if ! cmp -s "$first_zip" "$second/out/release/$zip_name"; then
    for shots in "$OUT/release-stage/shots" "$second/out/release-stage/shots"; do
        (cd "$shots" && sha256sum ./*.png) >&2
    done
fi
stage_done "the release, built twice"
exit $status
