#!/usr/bin/env bash
# The release's support kit, Corvane-<version>-support.zip in OUTDIR (with its .sha256 beside
# it): the 32-bit recording port library Lorvex.dll that support hands out, README.txt saying
# what it is and how to use it (docs/support-kit.txt, then the guide's own steps), and
# SHA256SUMS of both. The library is signed when the release is; the zip is dated like the main
# one (SOURCE_DATE_EPOCH), so two builds of one commit give the same bytes.
#   support-kit.sh BUILD STAGE VERSION OUTDIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$1 stage=$2 version=$3 outdir=$4

rm -rf "$stage"
mkdir -p "$stage"
cp "$build/bin/recorder/Lorvex.dll" "$stage/"
"$root/scripts/sign-release.sh" "$stage/Lorvex.dll"
# The guide's section on recordings, without its heading and markdown's code quotes; CRLF for
# the Notepad of Windows 7.
{
    cat "$root/docs/support-kit.txt"
    awk '/^# / { inside = ($0 == "# When support asks for a recording"); next } inside' \
        "$root/docs/guide.md" | tr -d '`'
} | sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' >"$stage/README.txt"
grep -q 'Lorvex.real.dll' "$stage/README.txt" || { echo "the guide has no recording steps" >&2; exit 1; }

zip=Corvane-$version-support.zip
rm -f "$outdir/$zip"
python3 "$root/scripts/release-zip.py" "$outdir/$zip" "$SOURCE_DATE_EPOCH" "$stage" Lorvex.dll README.txt
(cd "$outdir" && sha256sum "$zip" >"$zip.sha256")
