#!/usr/bin/env bash
# Static analysis: cppcheck over the product (app fw portlib ports diag update ui), the coverage
# build's hook (coverage), the port library I/O record (lvxio), the simulated port library (sim)
# and the recording one (recorder), as the Windows build sees them, for the shipped 32-bit target
# and the 64-bit one. Any finding fails the run. A false positive is suppressed beside its line,
# with the reason:
# // cppcheck-suppress <id> ; <why>. A suppression that no longer matches anything is
# itself a finding (unmatchedSuppression).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
begin_stage

FOLDERS=(app fw portlib ports diag update ui coverage lvxio sim recorder)
# The system's headers are not analysed: the Win32 types and calls come from cppcheck's own
# description of the Windows API. The defines are the build's.
# shellcheck disable=SC2054 # the commas belong to the option
OPTIONS=(--enable=warning,style,performance,portability,information --inline-suppr
    --library=windows --std=c++17 --language=c++ -I "$ROOT"
    -D_WIN32 -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601 -DWINVER=0x0601
    --error-exitcode=1 -j2 --quiet
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]')

cd "$ROOT"
status=0
for platform in win32A win64; do
    cache=$OUT/cppcheck/$platform
    mkdir -p "$cache"
    findings=$OUT/cppcheck/$platform.txt
    begin=$(date +%s)
    rc=0
    cppcheck "${OPTIONS[@]}" --platform="$platform" --cppcheck-build-dir="$cache" "${FOLDERS[@]}" \
        >"$findings" 2>&1 || rc=$?
    count=$(wc -l <"$findings")
    files=$(find "${FOLDERS[@]}" -name '*.cpp' | wc -l)
    log "cppcheck $(cppcheck --version | awk '{print $2}') ($platform): $files files, $count findings, $(($(date +%s) - begin)) s"
    if [ "$rc" -ne 0 ] || [ -s "$findings" ]; then
        cat "$findings" >&2
        status=1
    fi
done
exit $status
